#include "tests/assets/source_scan.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <sstream>

namespace velkaro::test {
namespace {

bool IsHex(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}
unsigned HexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>(std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
}
bool IsWord(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Reads the escape sequence at s[i] (just after the backslash); returns the byte(s) and moves i.
std::string Escape(std::string_view s, std::size_t& i) {
    char c = s[i++];
    switch (c) {
        case 'n':
            return "\n";
        case 't':
            return "\t";
        case 'r':
            return "\r";
        case 'a':
            return "\a";
        case 'b':
            return "\b";
        case 'f':
            return "\f";
        case 'v':
            return "\v";
        case 'x': {
            unsigned value = 0;
            while (i < s.size() && IsHex(s[i])) {
                value = value * 16 + HexValue(s[i++]);
            }
            return std::string(1, static_cast<char>(value & 0xFF));
        }
        default:
            if (c >= '0' && c <= '7') {
                unsigned value = static_cast<unsigned>(c - '0');
                for (int k = 0; k < 2 && i < s.size() && s[i] >= '0' && s[i] <= '7'; ++k) {
                    value = value * 8 + static_cast<unsigned>(s[i++] - '0');
                }
                return std::string(1, static_cast<char>(value & 0xFF));
            }
            return std::string(1, c);  // \\ \" \' \?
    }
}

}  // namespace

std::vector<Literal> StringLiterals(std::string_view s) {
    std::vector<Literal> out;
    bool joinable = false;  // only white space and comments since the last literal
    int line = 1;
    std::size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (s.substr(i, 2) == "//") {
            while (i < s.size() && s[i] != '\n') ++i;
        } else if (s.substr(i, 2) == "/*") {
            std::size_t end = s.find("*/", i + 2);
            end = end == std::string_view::npos ? s.size() : end + 2;
            line += static_cast<int>(std::count(s.begin() + i, s.begin() + end, '\n'));
            i = end;
        } else if (c == '\'' && i > 0 && IsHex(s[i - 1])) {
            ++i;  // digit separator: 1'000
        } else if (c == '\'') {
            for (++i; i < s.size() && s[i] != '\''; ++i) {
                if (s[i] == '\\') ++i;
            }
            ++i;
            joinable = false;
        } else if (c == '"') {
            std::string bytes;
            int start = line;
            bool raw = i > 0 && s[i - 1] == 'R' &&
                       (i < 2 || !IsWord(s[i - 2]) || s[i - 2] == '8' || s[i - 2] == 'u' ||
                        s[i - 2] == 'U' || s[i - 2] == 'L');
            if (raw) {
                std::size_t open = s.find('(', i);
                std::string close = ")" + std::string(s.substr(i + 1, open - i - 1)) + "\"";
                std::size_t end = s.find(close, open);
                if (end == std::string_view::npos) end = s.size();
                bytes = std::string(s.substr(open + 1, end - open - 1));
                line += static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
                i = std::min(s.size(), end + close.size());
            } else {
                for (++i; i < s.size() && s[i] != '"';) {
                    if (s[i] == '\\') {
                        ++i;
                        bytes += Escape(s, i);
                    } else {
                        bytes += s[i++];
                    }
                }
                ++i;
            }
            if (joinable && !out.empty()) {
                out.back().bytes += bytes;
            } else {
                out.push_back({bytes, start});
            }
            joinable = true;
        } else {
            joinable = false;
            ++i;
        }
    }
    return out;
}

std::optional<std::string> ShippedName(std::string_view literal) {
    std::string name(literal);
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.starts_with("%s")) name.erase(0, 2);
    while (name.starts_with("/")) name.erase(0, 1);
    if (name.empty() || name[0] == '.' || name.find_first_of("*?( \t\r\n") != std::string::npos) {
        return std::nullopt;
    }
    std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return std::nullopt;
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    static constexpr std::array<std::string_view, 7> kShipped{"wav", "bmp", "png", "pdf",
                                                              "bd",  "rg",  "rgsc"};
    if (std::find(kShipped.begin(), kShipped.end(), ext) == kShipped.end()) return std::nullopt;
    return name;
}

std::vector<NameUse> ShippedNamesInSources(const std::filesystem::path& root) {
    namespace fs = std::filesystem;
    static constexpr std::array<const char*, 9> kFolders{"event",         "timing",    "databases",
                                                         "qualification", "finals",    "analysis",
                                                         "shell",         "forms_kit", "platform"};
    std::vector<fs::path> files;
    for (const char* folder : kFolders) {
        fs::path dir = root / folder;
        if (!fs::is_directory(dir)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            const fs::path& p = entry.path();
            if (!entry.is_regular_file()) continue;
            if (p.extension() != ".h" && p.extension() != ".cpp" && p.extension() != ".hpp") {
                continue;
            }
            if (p.lexically_relative(root).string().starts_with("platform/fake/")) continue;
            files.push_back(p);
        }
    }
    std::sort(files.begin(), files.end());
    std::vector<NameUse> uses;
    for (const fs::path& p : files) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        for (const Literal& lit : StringLiterals(text.str())) {
            if (auto name = ShippedName(lit.bytes)) {
                uses.push_back(
                    {*name, p.lexically_relative(root).string() + ":" + std::to_string(lit.line)});
            }
        }
    }
    return uses;
}

std::string CodeOnly(std::string_view s) {
    std::string out(s);
    auto blank = [&out](std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to && k < out.size(); ++k) {
            if (out[k] != '\n') out[k] = ' ';
        }
    };
    std::size_t i = 0;
    while (i < s.size()) {
        if (s.substr(i, 2) == "//") {
            std::size_t end = std::min(s.find('\n', i), s.size());
            blank(i, end);
            i = end;
        } else if (s.substr(i, 2) == "/*") {
            std::size_t end = s.find("*/", i + 2);
            end = end == std::string_view::npos ? s.size() : end + 2;
            blank(i, end);
            i = end;
        } else if (s[i] == '\'' && i > 0 && IsHex(s[i - 1])) {
            ++i;
        } else if (s[i] == '"' && i > 0 && s[i - 1] == 'R') {
            std::size_t open = std::min(s.find('(', i), s.size());
            std::string close = ")" + std::string(s.substr(i + 1, open - i - 1)) + "\"";
            std::size_t end = s.find(close, open);
            end = end == std::string_view::npos ? s.size() : end + close.size();
            blank(i + 1, end - 1);
            i = end;
        } else if (s[i] == '"' || s[i] == '\'') {
            char quote = s[i];
            std::size_t j = i + 1;
            for (; j < s.size() && s[j] != quote && s[j] != '\n'; ++j) {
                if (s[j] == '\\') ++j;
            }
            blank(i + 1, j);
            i = j + 1;
        } else {
            ++i;
        }
    }
    return out;
}

std::vector<int> LinesMatching(std::string_view source, const std::regex& pattern) {
    std::string code = CodeOnly(source);
    std::vector<int> lines;
    for (auto it = std::sregex_iterator(code.begin(), code.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        auto at = code.begin() + it->position();
        lines.push_back(1 + static_cast<int>(std::count(code.begin(), at, '\n')));
    }
    return lines;
}

std::vector<std::filesystem::path> SourcesUnder(const std::filesystem::path& root,
                                                const std::vector<std::string>& folders) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const std::string& folder : folders) {
        if (!fs::is_directory(root / folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            const fs::path& p = entry.path();
            if (entry.is_regular_file() &&
                (p.extension() == ".h" || p.extension() == ".cpp" || p.extension() == ".hpp")) {
                files.push_back(p);
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace velkaro::test
