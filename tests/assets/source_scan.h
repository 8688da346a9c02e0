#pragma once

#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

namespace velkaro::test {

// A string literal of a C++ source: its bytes after escapes, adjacent literals joined.
struct Literal {
    std::string bytes;
    int line = 0;  // where it starts
};

// The string literals of a source text. Comments, character literals and digit separators are
// skipped; raw strings are read as they stand.
std::vector<Literal> StringLiterals(std::string_view source);

// The program-folder file a literal names, in Windows-1252 with '/' separators, when it names a
// file the program expects to find shipped (sounds, pictures, the guide, databases, settings);
// nullopt for anything else, including the files the program makes itself (events, results,
// display files) and file-dialog patterns. Absolute forms built on the program folder
// ("%s\\Guides\\...") are reduced to their relative part.
std::optional<std::string> ShippedName(std::string_view literal);

struct NameUse {
    std::string name;   // as ShippedName gives it; may hold a printf conversion
    std::string where;  // file:line
};

// Every shipped name the program's sources under `root` ask for: the logic folders, shell/,
// forms_kit/ and platform/ (its fakes excepted).
std::vector<NameUse> ShippedNamesInSources(const std::filesystem::path& root);

// The source with its comments and the insides of its string and character literals blanked;
// lines stay where they were.
std::string CodeOnly(std::string_view source);

// The lines (from 1) where the code, comments and literals aside, matches `pattern`; a match may
// span lines and counts at its first.
std::vector<int> LinesMatching(std::string_view source, const std::regex& pattern);

// Every .h/.cpp/.hpp file under root's `folders`, sorted.
std::vector<std::filesystem::path> SourcesUnder(const std::filesystem::path& root,
                                                const std::vector<std::string>& folders);

}  // namespace velkaro::test
