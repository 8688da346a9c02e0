#include "timing/interface_settings.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace velkaro {
namespace {

// The settings file as the file system spells it.
constexpr const char* kOnDisk = "R\xC3\xA9glagesInterface2.rg";

class InterfaceSettingsFile : public ::testing::Test {
  protected:
    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
};

TEST_F(InterfaceSettingsFile, IsOneTabSeparatedLineEndingInCrLf) {
    InterfaceSettings s;
    s.port = "COM12";
    s.ready = 1;
    s.interfaceType = kMk2Type;
    ASSERT_TRUE(WriteInterfaceSettings(s));
    EXPECT_EQ(test::ReadWholeFile(folder.Path() / kOnDisk), "COM12\t1\tVelkaroMK2\r\n");
    s.ready = 0;  // a decoder that is not ready is written as an MK1
    ASSERT_TRUE(WriteInterfaceSettings(s));
    EXPECT_EQ(test::ReadWholeFile(folder.Path() / kOnDisk), "COM12\t0\tVelkaro\r\n");
}

TEST_F(InterfaceSettingsFile, ReadsEitherLineEndAndAnyWhitespace) {
    InterfaceSettings s;
    test::WriteWholeFile(folder.Path() / kOnDisk, "COM7\t1\tVelkaroMK2\n");
    ASSERT_TRUE(ReadInterfaceSettings(s));
    EXPECT_EQ(s.port, "COM7");
    EXPECT_EQ(s.ready, 1);
    EXPECT_TRUE(IsMk2(s));
    test::WriteWholeFile(folder.Path() / kOnDisk, "  COM3 0\r\nVelkaro\r\n");
    ASSERT_TRUE(ReadInterfaceSettings(s));
    EXPECT_EQ(s.port, "COM3");
    EXPECT_EQ(s.ready, 0);
    EXPECT_EQ(s.interfaceType, "Velkaro");
}

TEST_F(InterfaceSettingsFile, MissingOrShortFilesLeaveEmptySlots) {
    InterfaceSettings s;
    s.port = "COM1";
    s.ready = 1;
    s.interfaceType = kMk2Type;
    EXPECT_FALSE(ReadInterfaceSettings(s));
    EXPECT_TRUE(s.port.Empty());
    EXPECT_TRUE(s.interfaceType.Empty());

    s.ready = 1;
    test::WriteWholeFile(folder.Path() / kOnDisk, "COM2\tyes\tVelkaroMK2\n");
    ASSERT_TRUE(ReadInterfaceSettings(s));
    EXPECT_EQ(s.port, "COM2");
    EXPECT_EQ(s.ready, 1);  // not a number: nothing more is read
    EXPECT_TRUE(s.interfaceType.Empty());

    // Words longer than their slots are cut, never written past.
    test::WriteWholeFile(folder.Path() / kOnDisk, "COM123456 1 VelkaroMK2VelkaroMK2\n");
    ASSERT_TRUE(ReadInterfaceSettings(s));
    EXPECT_EQ(s.port, "COM12");
    EXPECT_EQ(s.interfaceType, "VelkaroMK2Velka");
}

TEST_F(InterfaceSettingsFile, AFolderThatCannotBeWrittenFails) {
    std::filesystem::create_directory(folder.Path() / kOnDisk);  // the name is taken
    InterfaceSettings s;
    s.port = "COM1";
    EXPECT_FALSE(WriteInterfaceSettings(s));
}

}  // namespace
}  // namespace velkaro
