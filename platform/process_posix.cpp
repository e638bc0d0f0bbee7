// POSIX child processes: posix_spawn with pipes for standard input and output, kill and waitpid.
#if !defined(_WIN32)

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

#include <mutex>

#include "platform/platform.h"

extern char** environ;

namespace zarn::platform {
namespace {

// A pipe whose two ends are above the standard descriptors and closed in every started program.
bool HighPipe(int ends[2]) {
    int raw[2];
    if (pipe(raw) != 0) return false;
    for (int i = 0; i < 2; ++i) {
        ends[i] = fcntl(raw[i], F_DUPFD_CLOEXEC, 3);
        close(raw[i]);
    }
    if (ends[0] >= 0 && ends[1] >= 0) return true;
    for (int i = 0; i < 2; ++i)
        if (ends[i] >= 0) close(ends[i]);
    return false;
}

void CloseDescriptor(std::intptr_t& descriptor) {
    if (descriptor >= 0) close(static_cast<int>(descriptor));
    descriptor = -1;
}

}  // namespace

std::string ExecutablePath() {
#if defined(__linux__)
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length > 0) return std::string(path, static_cast<std::size_t>(length));
#endif
    return ModulePathOf(reinterpret_cast<const void*>(&ExecutablePath));
}

bool StartChild(const std::string& program, const std::vector<std::string>& arguments, ChildProcess& child,
                std::string& reason) {
    // One child at a time, so that no child inherits the pipes being made for another.
    static std::mutex starting;
    std::lock_guard lock(starting);
    int input[2];
    int output[2];
    if (!HighPipe(input)) {
        reason = std::strerror(errno);
        return false;
    }
    if (!HighPipe(output)) {
        reason = std::strerror(errno);
        close(input[0]);
        close(input[1]);
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    // dup2 onto 0 and 1 clears close-on-exec there; the pipes' own descriptors close at the exec.
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    // This process may ignore SIGPIPE; the child gets the default back, so that a child whose reader
    // has gone ends.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int failure = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(input[0]);
    close(output[1]);
    if (failure != 0) {
        reason = std::strerror(failure);
        close(input[1]);
        close(output[0]);
        return false;
    }
    child.process = pid;
    child.input = input[1];
    child.output = output[0];
    return true;
}

bool WriteToChild(ChildProcess& child, const char* data, std::size_t size) {
    while (size > 0) {
        if (child.input < 0) return false;
        const ssize_t written = write(static_cast<int>(child.input), data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

std::ptrdiff_t ReadFromChild(ChildProcess& child, char* data, std::size_t size) {
    if (child.output < 0) return -1;
    for (;;) {
        const ssize_t count = read(static_cast<int>(child.output), data, size);
        if (count < 0 && errno == EINTR) continue;
        return count;
    }
}

void CloseChildInput(ChildProcess& child) { CloseDescriptor(child.input); }

void EndChild(ChildProcess& child) {
    if (child.process > 0) kill(static_cast<pid_t>(child.process), SIGKILL);
}

bool WaitForChild(ChildProcess& child, int timeoutMs, std::string& ending) {
    if (child.process <= 0) return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(static_cast<pid_t>(child.process), &status, WNOHANG);
        if (done == static_cast<pid_t>(child.process)) {
            if (WIFEXITED(status)) ending = "exit status " + std::to_string(WEXITSTATUS(status));
            else if (WIFSIGNALED(status)) ending = "signal " + std::to_string(WTERMSIG(status));
            else ending = "an unknown end";
            child.process = -1;
            return true;
        }
        if (done < 0 && errno != EINTR) {
            ending = "an unknown end";
            child.process = -1;
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void CloseChild(ChildProcess& child) {
    CloseDescriptor(child.input);
    CloseDescriptor(child.output);
}

void IgnoreBrokenPipes() { signal(SIGPIPE, SIG_IGN); }

void UseBinaryStandardStreams() {}

bool SyncFile(std::FILE* file) { return file && std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

}  // namespace zarn::platform

#endif  // !_WIN32
