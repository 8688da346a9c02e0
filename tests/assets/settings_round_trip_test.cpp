// The shipped settings read by the program's own readers and written back unchanged.

#include <gtest/gtest.h>

#include <filesystem>

#include "event/settings_files.h"
#include "tests/assets/assets_support.h"
#include "tests/support/test_support.h"
#include "timing/interface_settings.h"

namespace fs = std::filesystem;

namespace velkaro {
namespace {

class ShippedSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"R\u00E9glagesSons.rg", "R\u00E9glagesInterface2.rg",
                                 "Private/R\u00E9glagesAffichage.rgsc"}) {
            fs::create_directories((folder.Path() / name).parent_path());
            fs::copy_file(test::DataFolder() / name, folder.Path() / name);
        }
    }
    std::string Shipped(const char* name) { return test::ReadWholeFile(test::DataFolder() / name); }
    std::string Written(const char* name) { return test::ReadWholeFile(folder.Path() / name); }

    test::TempFolder folder;
    test::ScopedCurrentFolder here{folder.Path()};
};

TEST_F(ShippedSettings, SoundsReadAndWriteBackByteForByte) {
    SoundSettings s;
    ASSERT_TRUE(ReadSoundSettings(s, SystemDisk()));
    EXPECT_TRUE(s.language == kLanguageEnglish || s.language == kLanguageFrench);
    EXPECT_FALSE(s.carFinish.Empty());
    ASSERT_TRUE(WriteSoundSettings(s, SystemDisk()));
    EXPECT_EQ(Written("R\u00E9glagesSons.rg"), Shipped("R\u00E9glagesSons.rg"));
}

TEST_F(ShippedSettings, DisplayReadsWhole) {
    DisplaySettings d;
    CustomColours custom{};
    ASSERT_TRUE(ReadDisplaySettings(kDisplaySettingsFile, d, custom, SystemDisk()));
    for (const TextStyleSetting& t : d.textStyles) {
        EXPECT_FALSE(t.faceName.Empty());
        EXPECT_GT(t.size, 0);
    }
    for (std::int32_t w : d.columnWidths) EXPECT_GT(w, 0);
    ASSERT_TRUE(WriteDisplaySettings(kDisplaySettingsFile, d, custom, SystemDisk()));
    EXPECT_EQ(Written("Private/R\u00E9glagesAffichage.rgsc"),
              Shipped("Private/R\u00E9glagesAffichage.rgsc"));
}

TEST_F(ShippedSettings, InterfaceReadsAsAnUnconnectedMk1) {
    InterfaceSettings s;
    ASSERT_TRUE(ReadInterfaceSettings(s, SystemDisk()));
    EXPECT_EQ(s.port, "COM1");
    EXPECT_EQ(s.ready, 0);
    EXPECT_EQ(s.interfaceType, kMk1Type);
    ASSERT_TRUE(WriteInterfaceSettings(s, SystemDisk()));
    EXPECT_EQ(Written("R\u00E9glagesInterface2.rg"), Shipped("R\u00E9glagesInterface2.rg"));
}

}  // namespace
}  // namespace velkaro
