// Windows child processes: CreateProcess with anonymous pipes for standard input and output,
// TerminateProcess and WaitForSingleObject.
#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#undef LoadLibrary

#include <cstdio>

#include <mutex>

#include "platform/platform.h"

namespace zarn::platform {
namespace {

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }
std::intptr_t FromHandle(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

void CloseIfOpen(std::intptr_t& handle) {
    if (handle != -1 && handle != 0) ::CloseHandle(AsHandle(handle));
    handle = -1;
}

// One argument of a command line, quoted so that the C runtime's parser gives it back unchanged.
void AppendQuoted(std::string& line, const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
        line += argument;
        return;
    }
    line += '"';
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') line.append(backslashes * 2 + 1, '\\');
        else line.append(backslashes, '\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
}

std::string LastError() {
    char text[256];
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                          ::GetLastError(), 0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.')) reason.pop_back();
    return reason.empty() ? "error " + std::to_string(::GetLastError()) : reason;
}

// A pipe whose end for the child is inheritable and whose end for this process is not.
bool ChildPipe(HANDLE& childEnd, HANDLE& ourEnd, bool childReads) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    childEnd = childReads ? readEnd : writeEnd;
    ourEnd = childReads ? writeEnd : readEnd;
    ::SetHandleInformation(ourEnd, HANDLE_FLAG_INHERIT, 0);
    return true;
}

}  // namespace

std::string ExecutablePath() {
    char path[32768];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return {};
    return std::string(path, length);
}

// Children are started one at a time, and each child's inheritable ends are closed here before the
// next child starts, so that no child holds another one's pipes.
bool StartChild(const std::string& program, const std::vector<std::string>& arguments, ChildProcess& child,
                std::string& reason) {
    // One child at a time, so that no child inherits the pipes being made for another.
    static std::mutex starting;
    std::lock_guard lock(starting);
    HANDLE childInput = nullptr, ourInput = nullptr, childOutput = nullptr, ourOutput = nullptr;
    if (!ChildPipe(childInput, ourInput, true)) {
        reason = LastError();
        return false;
    }
    if (!ChildPipe(childOutput, ourOutput, false)) {
        reason = LastError();
        ::CloseHandle(childInput);
        ::CloseHandle(ourInput);
        return false;
    }
    HANDLE errors = nullptr;
    const HANDLE ourErrors = ::GetStdHandle(STD_ERROR_HANDLE);
    if (ourErrors && ourErrors != INVALID_HANDLE_VALUE)
        ::DuplicateHandle(::GetCurrentProcess(), ourErrors, ::GetCurrentProcess(), &errors, 0, TRUE, DUPLICATE_SAME_ACCESS);

    std::string line;
    AppendQuoted(line, program);
    for (const std::string& argument : arguments) {
        line += ' ';
        AppendQuoted(line, argument);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    startup.hStdError = errors;
    PROCESS_INFORMATION started{};
    const BOOL ok = ::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                     &started);
    if (!ok) reason = LastError();
    ::CloseHandle(childInput);
    ::CloseHandle(childOutput);
    if (errors) ::CloseHandle(errors);
    if (!ok) {
        ::CloseHandle(ourInput);
        ::CloseHandle(ourOutput);
        return false;
    }
    ::CloseHandle(started.hThread);
    child.process = FromHandle(started.hProcess);
    child.input = FromHandle(ourInput);
    child.output = FromHandle(ourOutput);
    return true;
}

bool WriteToChild(ChildProcess& child, const char* data, std::size_t size) {
    while (size > 0) {
        if (child.input == -1) return false;
        DWORD written = 0;
        const DWORD chunk = size > 1u << 20 ? 1u << 20 : static_cast<DWORD>(size);
        if (!::WriteFile(AsHandle(child.input), data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

std::ptrdiff_t ReadFromChild(ChildProcess& child, char* data, std::size_t size) {
    if (child.output == -1) return -1;
    DWORD count = 0;
    const DWORD chunk = size > 1u << 20 ? 1u << 20 : static_cast<DWORD>(size);
    if (::ReadFile(AsHandle(child.output), data, chunk, &count, nullptr)) return static_cast<std::ptrdiff_t>(count);
    return ::GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
}

void CloseChildInput(ChildProcess& child) { CloseIfOpen(child.input); }

void EndChild(ChildProcess& child) {
    if (child.process != -1) ::TerminateProcess(AsHandle(child.process), 1);
}

bool WaitForChild(ChildProcess& child, int timeoutMs, std::string& ending) {
    if (child.process == -1) return true;
    if (::WaitForSingleObject(AsHandle(child.process), timeoutMs < 0 ? 0 : static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    ::GetExitCodeProcess(AsHandle(child.process), &code);
    ending = "exit status " + std::to_string(code);
    return true;
}

void CloseChild(ChildProcess& child) {
    CloseIfOpen(child.input);
    CloseIfOpen(child.output);
    CloseIfOpen(child.process);
}

void IgnoreBrokenPipes() {}

void UseBinaryStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

bool SyncFile(std::FILE* file) { return file && std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

}  // namespace zarn::platform

#endif  // _WIN32
