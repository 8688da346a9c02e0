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

// "line N" and that line of both texts, from the first byte where they part.
std::string FirstDifference(const std::string& got, const std::string& want) {
    auto at = std::mismatch(got.begin(), got.end(), want.begin(), want.end()).first - got.begin();
    std::size_t start = at == 0 ? 0 : got.rfind('\n', std::size_t(at - 1)) + 1;
    auto lineOf = [&](const std::string& s) {
        return start > s.size() ? "" : s.substr(start, s.find('\n', start) - start);
    };
    return "line " + std::to_string(std::count(got.begin(), got.begin() + long(start), '\n') + 1) +
           "\n  exported: " + lineOf(got) + "\n  stored:   " + lineOf(want);
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
            std::string want = test::ReadWholeFile(stored / file);
            ASSERT_TRUE(got == want) << file << " " << FirstDifference(got, want);
        }
    }
}

}  // namespace
}  // namespace velkaro
