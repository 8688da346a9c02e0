#pragma once

#include <string>
#include <vector>

// The whole program behind main(): arguments in, what goes to standard output and standard
// error out, and the exit status. 0 done, 2 a usage fault (unknown command or option, a category
// or round that does not exist), 3 a file that is damaged, empty or not an event file.

namespace velkaro::results {

inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitDamaged = 3;

int RunTool(const std::vector<std::string>& args, std::string& out, std::string& err);

// The same over bytes already in memory, for the fuzzer: `args` name "EVENT" where the file goes.
int RunToolOnBytes(const std::vector<std::string>& args, const std::string& eventBytes,
                   std::string& out, std::string& err);

extern const char* const kUsage;

}  // namespace velkaro::results
