#include "timing/interface_settings.h"

#include <gtest/gtest.h>

#include "tests/event/fields.h"
#include "tests/support/test_support.h"

namespace velkaro {
namespace {

using test::Fields;

class InterfaceSettingsFile : public ::testing::Test {
  protected:
    // The settings file as the file system spells it.
    std::filesystem::path OnDisk() const { return folder.Path() / "R\xC3\xA9glagesInterface2.rg"; }
    // What reading `bytes` over `s` leaves: "port|ready|type".
    std::string Read(const std::string& bytes, InterfaceSettings s) {
        test::WriteWholeFile(OnDisk(), bytes);
        EXPECT_TRUE(ReadInterfaceSettings(s, SystemDisk()));
        return Fields(s.port, s.ready, s.interfaceType);
    }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
};

TEST_F(InterfaceSettingsFile, IsOneTabSeparatedLineEndingInCrLf) {
    InterfaceSettings s{Text<6>("COM12"), 1, Text<16>(kMk2Type)};
    ASSERT_TRUE(WriteInterfaceSettings(s, SystemDisk()));
    EXPECT_EQ(test::ReadWholeFile(OnDisk()), "COM12\t1\tVelkaroMK2\r\n");
    s.ready = 0;  // a decoder that is not ready is written as an MK1
    ASSERT_TRUE(WriteInterfaceSettings(s, SystemDisk()));
    EXPECT_EQ(test::ReadWholeFile(OnDisk()), "COM12\t0\tVelkaro\r\n");

    std::filesystem::remove(OnDisk());
    std::filesystem::create_directory(OnDisk());  // the name is taken: writing fails
    EXPECT_FALSE(WriteInterfaceSettings(s, SystemDisk()));
}

TEST_F(InterfaceSettingsFile, ReadsEitherLineEndAndAnyWhitespaceAndCutsLongWords) {
    const InterfaceSettings stale{Text<6>("COM1"), 1, Text<16>(kMk2Type)};
    EXPECT_EQ(Read("COM7\t1\tVelkaroMK2\n", {}), "COM7|1|VelkaroMK2");
    EXPECT_EQ(Read("  COM3 0\r\nVelkaro\r\n", stale), "COM3|0|Velkaro");
    // Not a number: nothing more is read.
    EXPECT_EQ(Read("COM2\tyes\tVelkaroMK2\n", stale), "COM2|1|");
    // Words longer than their slots are cut, never written past.
    EXPECT_EQ(Read("COM123456 1 VelkaroMK2VelkaroMK2\n", {}), "COM12|1|VelkaroMK2Velka");

    // No file: empty slots.
    std::filesystem::remove(OnDisk());
    InterfaceSettings s = stale;
    EXPECT_FALSE(ReadInterfaceSettings(s, SystemDisk()));
    EXPECT_EQ(Fields(s.port, s.interfaceType), "|");
}

}  // namespace
}  // namespace velkaro
