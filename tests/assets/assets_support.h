#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace velkaro::test {

// The program folder's skeleton as committed.
inline std::filesystem::path DataFolder() {
    return std::filesystem::path(VELKARO_SOURCE_ROOT) / "data";
}

// The regular files under a folder of data/ (recursively), sorted.
inline std::vector<std::filesystem::path> FilesUnder(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        if (e.is_regular_file()) files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace velkaro::test
