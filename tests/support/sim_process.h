#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace velkaro::test {

using namespace std::chrono_literals;
using Deadline = std::chrono::steady_clock::time_point;

inline Deadline In(std::chrono::milliseconds d) {
    return std::chrono::steady_clock::now() + d;
}
inline bool Before(Deadline d) {
    return std::chrono::steady_clock::now() < d;
}

// The decoder simulator as a child process: commands on its standard input, its log read line
// by line.
class SimProcess {
  public:
    SimProcess(const std::string& program, const std::vector<std::string>& args) {
        int in[2], out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        toSim_ = in[1];
        fromSim_ = out[0];
        ::fcntl(fromSim_, F_SETFL, ::fcntl(fromSim_, F_GETFL) | O_NONBLOCK);
    }

    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            Deadline end = In(5s);
            while (::waitpid(pid_, &status, WNOHANG) == 0) {
                if (!Before(end)) {
                    ::kill(pid_, SIGKILL);
                    ::waitpid(pid_, &status, 0);
                    break;
                }
                std::this_thread::sleep_for(2ms);
            }
        }
        if (toSim_ >= 0) ::close(toSim_);
        if (fromSim_ >= 0) ::close(fromSim_);
    }

    bool Started() const { return pid_ > 0; }

    void Send(const std::string& command) {
        std::string line = command + "\n";
        ASSERT_EQ(::write(toSim_, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    }

    // The next line, after those already waited for, that contains text.
    std::optional<std::string> WaitFor(const std::string& text,
                                       std::chrono::milliseconds limit = 10s) {
        Deadline end = In(limit);
        for (;;) {
            Pump();
            for (; next_ < lines_.size(); ++next_) {
                if (lines_[next_].find(text) != std::string::npos) return lines_[next_++];
            }
            if (!Before(end)) return std::nullopt;
            std::this_thread::sleep_for(2ms);
        }
    }

    const std::vector<std::string>& Lines() {
        Pump();
        return lines_;
    }

  private:
    void Pump() {
        char buf[4096];
        for (ssize_t n; (n = ::read(fromSim_, buf, sizeof buf)) > 0;) {
            partial_.append(buf, static_cast<std::size_t>(n));
        }
        for (std::size_t end; (end = partial_.find('\n')) != std::string::npos;) {
            lines_.push_back(partial_.substr(0, end));
            partial_.erase(0, end + 1);
        }
    }

    pid_t pid_ = -1;
    int toSim_ = -1, fromSim_ = -1;
    std::string partial_;
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

}  // namespace velkaro::test
