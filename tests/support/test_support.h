#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/fake/fake_messages.h"

namespace velkaro::test {

// A FakeMessages whose unscripted boxes fail the current test.
void FailOnUnexpectedMessages(FakeMessages& messages);

// A fresh empty folder under the system's temporary folder, removed when the object dies.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// The whole content of a file, or an empty string when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& file);
void WriteWholeFile(const std::filesystem::path& file, const std::string& bytes);

// Copies an end-to-end run's event file to the absolute path VELKARO_KEEP_EVENT names, when it is
// set: the golden inputs of the results tool come from such runs.
void KeepEventFile(const std::filesystem::path& file);

// `bytes` little-endian bytes of v.
std::string LittleEndian(std::uint32_t v, int bytes);
// A RIFF/WAVE file of that format tag and layout holding `data`, an unknown chunk before it.
std::string WavFile(int tag, int channels, int rate, int bits, const std::string& data);

// Runs the rest of a test with the given folder as current directory.
class ScopedCurrentFolder {
  public:
    explicit ScopedCurrentFolder(const std::filesystem::path& folder);
    ~ScopedCurrentFolder();

  private:
    std::filesystem::path previous_;
};

}  // namespace velkaro::test
