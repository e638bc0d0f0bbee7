// A game through polyglot, which adapts the zarn program to the xboard protocol: the test speaks
// xboard to polyglot, which speaks UCI to zarn.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/uci/engine.h"
#include "cli/uci/position.h"

namespace zarn::cli {
namespace {

using namespace std::chrono_literals;

std::string FindPolyglot() {
    for (const char* path : {"/usr/games/polyglot", "/usr/bin/polyglot", "/usr/local/bin/polyglot"})
        if (access(path, X_OK) == 0) return path;
    return "";
}

// A child process with its standard input and output on pipes.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& home) {
        int toChild[2], fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(toChild[0], STDIN_FILENO);
            dup2(fromChild[1], STDOUT_FILENO);
            dup2(fromChild[1], STDERR_FILENO);
            close(toChild[1]);
            close(fromChild[0]);
            setenv("HOME", home.c_str(), 1);  // polyglot may keep a settings file there
            std::vector<char*> args;
            for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        input_ = toChild[1];
        output_ = fromChild[0];
    }

    ~ChildProcess() {
        if (input_ >= 0) close(input_);
        if (pid_ > 0) {
            // Closing the input ends polyglot; it is killed only when it does not end in time.
            for (int i = 0; i < 50; ++i) {
                if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                    pid_ = -1;
                    break;
                }
                usleep(100000);
            }
            if (pid_ > 0) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
            }
        }
        if (output_ >= 0) close(output_);
    }

    bool Started() const { return pid_ > 0 && input_ >= 0; }

    void Send(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(write(input_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        transcript_ += "> " + line + "\n";
    }

    // The next line that starts with prefix; lines before it are kept in the transcript. Empty on timeout.
    std::string AwaitLine(const std::string& prefix, std::chrono::milliseconds timeout) {
        const auto until = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            const std::size_t end = pending_.find('\n');
            if (end != std::string::npos) {
                std::string line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                transcript_ += "< " + line + "\n";
                if (line.rfind(prefix, 0) == 0) return line;
                continue;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
            if (left <= 0ms) return "";
            pollfd descriptor{output_, POLLIN, 0};
            if (poll(&descriptor, 1, static_cast<int>(left.count())) <= 0) continue;
            char buffer[4096];
            const ssize_t count = read(output_, buffer, sizeof buffer);
            if (count <= 0) return "";
            pending_.append(buffer, static_cast<std::size_t>(count));
        }
    }

    const std::string& Transcript() const { return transcript_; }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string pending_;
    std::string transcript_;
};

TEST(Polyglot, PlaysAGameOverXboard) {
    const std::string polyglot = FindPolyglot();
    if (polyglot.empty()) GTEST_SKIP() << "polyglot is not installed (tools/install-deps --test installs it)";
    const std::filesystem::path program = ZARN_PROGRAM;
    const std::filesystem::path home = std::filesystem::temp_directory_path() / ("zarn-polyglot-" + std::to_string(getpid()));
    std::filesystem::create_directories(home);

    std::vector<std::string> game;
    {
        ChildProcess child({polyglot, "-noini", "-ec", program.string(), "-ed", program.parent_path().string(), "-log",
                            "false"},
                           home.string());
        ASSERT_TRUE(child.Started());
        child.Send("xboard");
        child.Send("protover 2");
        ASSERT_NE(child.AwaitLine("feature done=1", 20s), "") << child.Transcript();
        EXPECT_NE(child.Transcript().find("feature myname=\"Zarn 504\""), std::string::npos) << child.Transcript();
        child.Send("new");
        child.Send("sd 4");
        child.Send("st 2");
        // The test plays White's first move; then the engine answers, and after that plays whichever side
        // is to move each time it is told to go.
        child.Send("usermove e2e4");
        game.push_back("e2e4");
        for (int ply = 0; ply < 8; ++ply) {
            if (ply > 0) child.Send("go");
            const std::string move = child.AwaitLine("move ", 30s);
            ASSERT_NE(move, "") << child.Transcript();
            game.push_back(move.substr(5));
        }
        child.Send("ping 9");
        EXPECT_EQ(child.AwaitLine("pong", 10s), "pong 9") << child.Transcript();
        EXPECT_EQ(child.Transcript().find("Illegal move"), std::string::npos) << child.Transcript();
        EXPECT_EQ(child.Transcript().find("Error"), std::string::npos) << child.Transcript();
        child.Send("quit");
    }
    std::filesystem::remove_all(home);

    // Every move of the game is legal in turn.
    ASSERT_GE(StartEngine(1), 0);
    PositionRecord record;
    record.moves = game;
    std::string moves;
    for (const std::string& move : game) moves += move + " ";
    EXPECT_EQ(ApplyPosition(record), "") << moves;
    StopEngine();
}

}  // namespace
}  // namespace zarn::cli
