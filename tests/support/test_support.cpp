#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

namespace velkaro::test {

void FailOnUnexpectedMessages(FakeMessages& messages) {
    messages.onUnexpected = [](const FakeMessages::Shown& m) {
        ADD_FAILURE() << "unexpected message box \"" << m.title << "\": " << m.text;
    };
}

TempFolder::TempFolder() {
    std::random_device rd;
    for (;;) {
        path_ = fs::temp_directory_path() /
                ("velkaro-test-" + std::to_string(getpid()) + "-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(path_, ec)) break;
    }
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // A test may have made parts read-only; give them back before removing.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string ReadWholeFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void KeepEventFile(const fs::path& file) {
    if (const char* to = std::getenv("VELKARO_KEEP_EVENT")) WriteWholeFile(to, ReadWholeFile(file));
}

ScopedCurrentFolder::ScopedCurrentFolder(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
}

ScopedCurrentFolder::~ScopedCurrentFolder() {
    std::error_code ec;
    fs::current_path(previous_, ec);
}

std::string LittleEndian(std::uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i) & 0xFF);
    return s;
}

std::string WavFile(int tag, int channels, int rate, int bits, const std::string& data) {
    const int frameBytes = channels * bits / 8;
    const std::string fmt = LittleEndian(tag, 2) + LittleEndian(channels, 2) +
                            LittleEndian(rate, 4) + LittleEndian(rate * frameBytes, 4) +
                            LittleEndian(frameBytes, 2) + LittleEndian(bits, 2);
    const std::string body = "WAVEfmt " + LittleEndian(16, 4) + fmt + "LIST" + LittleEndian(3, 4) +
                             "abc" + '\0' + "data" + LittleEndian(std::uint32_t(data.size()), 4) +
                             data;
    return "RIFF" + LittleEndian(std::uint32_t(body.size()), 4) + body;
}

}  // namespace velkaro::test
