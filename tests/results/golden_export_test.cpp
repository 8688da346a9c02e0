// The export of event files kept from the end-to-end runs (VELKARO_KEEP_EVENT=/abs/path.race on
// FinalsShell.FromTheQuarterFinalsToTheClosureReport and
// ClassificationEndToEnd.TwoHeatsRunThenTheRoundAndTheOverallAreValidated), compared whole with
// the trees stored beside them. VELKARO_UPDATE_GOLDEN=1 rewrites the stored trees instead: read
// the new files before committing them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "platform/cp1252.h"
#include "tests/support/test_support.h"
#include "tools/results/results_tool.h"

namespace velkaro {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
    return names;
}

TEST(ResultsGolden, TheExportOfRealRunsIsTheStoredTree) {
    const fs::path data = fs::path(VELKARO_TEST_DATA) / "results";
    const bool update = std::getenv("VELKARO_UPDATE_GOLDEN") != nullptr;
    for (std::string name : {"qualification", "finals"}) {
        SCOPED_TRACE(name);
        test::TempFolder folder;
        const fs::path stored = data / (name + "-export");
        const fs::path site = update ? stored : folder.Path() / "site";
        if (update) fs::remove_all(stored);
        std::string out, err;
        ASSERT_EQ(
            results::RunTool({"export", (data / (name + ".race")).string(), "--out", site.string()},
                             out, err),
            0)
            << err;
        ASSERT_EQ(Names(site), Names(stored));
        for (const std::string& file : Names(stored)) {
            std::string got = test::ReadWholeFile(site / file);
            ASSERT_EQ(got, test::ReadWholeFile(stored / file)) << file;  // shown as a diff
            // A page a phone reads that loads nothing from elsewhere.
            bool page = file.ends_with(".html");
            EXPECT_EQ(page && (got.find("<script") != got.npos || got.find("http") != got.npos ||
                               got.find("name=\"viewport\"") == got.npos),
                      false)
                << file;
        }
    }
}

// Each section of the real files, one at a time, with the file ending half-way through it: check
// names that section, at its title's offset.
TEST(ResultsGolden, CheckNamesEverySectionAFileEndsInside) {
    for (std::string name : {"qualification", "finals"}) {
        const std::string whole =
            test::ReadWholeFile(fs::path(VELKARO_TEST_DATA) / "results" / (name + ".race"));
        std::string out, err;
        ASSERT_EQ(results::RunToolOnBytes({"check", "EVENT"}, whole, out, err), 0) << out;
        int sections = 0;
        for (std::size_t at = whole.find("\r\n\r\n"); at != std::string::npos;
             at = whole.find("\r\n\r\n", at + 4)) {
            std::size_t title = at + 4, next = whole.find("\r\n\r\n", title);
            if (next == std::string::npos) next = whole.size();
            std::string cut = whole.substr(0, title + (next - title) / 2);
            std::string said =
                "offset " + std::to_string(title) + ": \"" +
                Utf8FromCp1252(whole.substr(title, whole.find('\t', title) - title)) +
                "\" cut short";
            out.clear();
            err.clear();
            EXPECT_EQ(results::RunToolOnBytes({"check", "EVENT"}, cut, out, err), 3) << said;
            EXPECT_NE(out.find(said), std::string::npos) << said << "\n" << out;
            ++sections;
        }
        EXPECT_GE(sections, 10) << name;
    }
}

}  // namespace
}  // namespace velkaro
