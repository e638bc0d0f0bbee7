// A UCI engine in a process of its own, spoken to over pipes, for the bench programs that play games
// (zarn-soak, zarn-selfplay). Every read has a deadline; the destructor kills what is still running.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace zarn::bench {

using Clock = std::chrono::steady_clock;

// Its error output goes to the log file when one is named, and stays the caller's otherwise.
class EngineProcess {
public:
    explicit EngineProcess(const std::string& program, const std::string& log = {}) : program_(program), log_(log) {
        int input[2], output[2];
        if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        if (!log.empty())
            posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(input[0]);
        close(output[1]);
        toEngine_ = input[1];
        fromEngine_ = output[0];
    }
    ~EngineProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (toEngine_ >= 0) close(toEngine_);
        if (fromEngine_ >= 0) close(fromEngine_);
    }
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    const std::string& Log() const { return log_; }

    bool Send(const std::string& line) {
        const std::string text = line + "\n";
        std::size_t written = 0;
        while (written < text.size()) {
            const ssize_t n = write(toEngine_, text.data() + written, text.size() - written);
            if (n <= 0) return false;
            written += static_cast<std::size_t>(n);
        }
        return true;
    }

    // The next line of output, or nothing at the deadline or at the end of the output.
    std::optional<std::string> ReadLine(Clock::time_point deadline) {
        for (;;) {
            if (const std::size_t end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                return line;
            }
            if (ended_) return std::nullopt;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return std::nullopt;
            pollfd wait{fromEngine_, POLLIN, 0};
            if (poll(&wait, 1, static_cast<int>(std::min<std::int64_t>(left, 1000))) <= 0) continue;
            char chunk[4096];
            const ssize_t n = read(fromEngine_, chunk, sizeof(chunk));
            if (n <= 0) ended_ = true;
            else buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    // Reads until a line starting with prefix; every line read on the way goes to seen.
    std::optional<std::string> Await(const std::string& prefix, Clock::time_point deadline,
                                     std::vector<std::string>* seen = nullptr) {
        while (auto line = ReadLine(deadline)) {
            if (line->compare(0, prefix.size(), prefix) == 0) return line;
            if (seen) seen->push_back(*line);
        }
        return std::nullopt;
    }

    // Sends quit and waits for the exit; true when the program ended by itself with status 0.
    bool Quit() {
        if (pid_ <= 0) return false;
        Send("quit");
        const auto giveUp = Clock::now() + std::chrono::seconds(20);
        int status = 0;
        for (;;) {
            const pid_t done = waitpid(pid_, &status, WNOHANG);
            if (done == pid_) break;
            if (Clock::now() > giveUp) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                pid_ = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    std::string program_;
    std::string log_;
    pid_t pid_ = -1;
    int toEngine_ = -1;
    int fromEngine_ = -1;
    std::string buffer_;
    bool ended_ = false;
};

}  // namespace zarn::bench
