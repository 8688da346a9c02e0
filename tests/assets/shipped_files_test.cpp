#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "common/run_car.h"
#include "forms_kit/pictures.h"
#include "platform/cp1252.h"
#include "platform/fake/fake_messages.h"
#include "platform/program_folder.h"
#include "tests/assets/assets_support.h"
#include "tests/assets/source_scan.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace velkaro::test {
namespace {

std::vector<int> Range(int first, int last) {
    std::vector<int> v;
    for (int i = first; i <= last; ++i) v.push_back(i);
    return v;
}

// The numbers a name built with one %d can take: car numbers for the per-car calls, the four
// frames of the scan lamp. Empty when the format is not known.
std::vector<int> NumbersFor(const std::string& format) {
    if (format.starts_with("sons/")) return Range(1, kCarSlots);
    if (format.starts_with("images/voyantScanPuce")) return Range(1, 4);
    return {};
}

// The names a format stands for; a name without conversion stands for itself.
std::vector<std::string> Expand(const std::string& name) {
    std::size_t at = name.find('%');
    if (at == std::string::npos) return {name};
    if (name.compare(at, 2, "%d") != 0 || name.find('%', at + 1) != std::string::npos) return {};
    std::vector<std::string> out;
    for (int n : NumbersFor(name)) {
        out.push_back(name.substr(0, at) + std::to_string(n) + name.substr(at + 2));
    }
    return out;
}

TEST(ShippedFiles, EveryFileTheCodeAsksForIsInTheSkeleton) {
    std::vector<NameUse> uses = ShippedNamesInSources(VELKARO_SOURCE_ROOT);
    std::set<std::string> checked;
    for (const NameUse& use : uses) {
        std::vector<std::string> names = Expand(use.name);
        EXPECT_FALSE(names.empty()) << use.where << ": no numbers known for \"" << use.name
                                    << "\"; teach NumbersFor() this format";
        for (const std::string& name : names) {
            checked.insert(name);
            EXPECT_TRUE(fs::is_regular_file(DataFolder() / FileSystemName(name)))
                << use.where << " asks for \"" << Utf8FromCp1252(name) << "\", not in data/";
        }
    }
    // The scan really reads the sources: it finds names the shell is known to use.
    EXPECT_TRUE(checked.contains(kStartPicture));
    EXPECT_TRUE(checked.contains(kTreeIconSpare));
    EXPECT_TRUE(checked.contains("images/menu1001.bmp"));
}

TEST(ShippedFiles, FormatsExpandToEveryNumberTheCodeUses) {
    std::vector<std::string> calls = Expand("sons/FinCourseVoiture%dGB.wav");
    ASSERT_EQ(calls.size(), static_cast<std::size_t>(kCarSlots));
    EXPECT_EQ(calls.front(), "sons/FinCourseVoiture1GB.wav");
    EXPECT_EQ(calls.back(), "sons/FinCourseVoiture20GB.wav");
    EXPECT_TRUE(Expand("images/%s.bmp").empty());
    EXPECT_TRUE(Expand("sons/%d-%d.wav").empty());
}

TEST(ShippedFiles, AFirstStartCopiesTheWholeSkeletonWithoutAMessage) {
    TempFolder temp;
    fs::path folder = temp.Path() / "Velkaro Race Management";
    ScopedCurrentFolder restore(fs::current_path());
    FakeMessages messages;
    FailOnUnexpectedMessages(messages);
    ASSERT_TRUE(PrepareProgramFolder(folder.string(), DataFolder().string(), messages));
    std::vector<fs::path> shipped = FilesUnder(DataFolder());
    for (const fs::path& f : shipped) {
        fs::path copy = folder / f.lexically_relative(DataFolder());
        EXPECT_EQ(ReadWholeFile(copy), ReadWholeFile(f)) << copy;
    }
    // The program opens its files by their Windows-1252 names, relative to the folder.
    for (const char* name :
         {"BaseDonn\xE9"
          "esPays.bd",
          "BaseDonn\xE9"
          "esTranspondeurs.bd",
          "R\xE9glagesSons.rg", "R\xE9glagesInterface2.rg", "Private/R\xE9glagesAffichage.rgsc"}) {
        std::FILE* f = std::fopen(FileSystemName(name).c_str(), "rb");
        EXPECT_NE(f, nullptr) << Utf8FromCp1252(name);
        if (f) std::fclose(f);
    }
}

TEST(ShippedFiles, TheSkeletonStaysSmall) {
    std::uintmax_t total = 0;
    for (const fs::path& f : FilesUnder(DataFolder())) total += fs::file_size(f);
    EXPECT_LT(total, 30u * 1024 * 1024);
}

}  // namespace
}  // namespace velkaro::test
