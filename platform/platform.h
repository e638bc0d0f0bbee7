// The few services the engine and the adapter need from the operating system.
// Each has a POSIX and a Windows implementation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// windows.h maps LoadLibrary onto LoadLibraryA or LoadLibraryW; the function below keeps its own name.
#if defined(_WIN32) && defined(LoadLibrary)
#undef LoadLibrary
#endif

namespace zarn::platform {

// Wall time elapsed since an arbitrary fixed point, at 1000 ticks per second (the engine's clock).
std::int64_t ElapsedMilliseconds();

// Milliseconds since an arbitrary point, wrapping at 2^32 (the adapter's elapsed-time figure).
std::uint32_t TickCount();

// Dynamic loading: a null handle or symbol on failure.
void* LoadLibrary(const char* path);
void* FindSymbol(void* library, const char* name);
void FreeLibrary(void* library);

// Full path of the module (executable or shared library) that holds the given address.
std::string ModulePathOf(const void* address);

// Zero-filled memory straight from the system (mmap, VirtualAlloc): its pages cost nothing and are not
// resident until first touched, so a fresh block needs no clearing. Null on failure.
void* AllocateZeroedPages(std::size_t bytes);
// Releases a block of AllocateZeroedPages; bytes is the size it was allocated with. Null is ignored.
void FreeZeroedPages(void* block, std::size_t bytes);
// Sets a block of AllocateZeroedPages to zeros again; where the system can, the touched pages are handed
// back instead of written, and read as zeros from then on.
void ZeroPages(void* block, std::size_t bytes);

// Makes the pages of a block of AllocateZeroedPages resident and writable without changing a byte,
// so that the first writes to them fault no more (one atomic no-op write per page where the system
// has no call for it). Returns false when the system cannot back the pages with memory.
bool PopulatePages(void* block, std::size_t bytes);

// Memory the system could give without swapping, in bytes; 0 when unknown.
std::uint64_t AvailableMemory();

// Names the calling thread for tools that list threads (at most 15 characters are kept); may do nothing.
void NameThisThread(const char* name);

// Atomically stores value and returns the previous value.
std::int32_t AtomicExchange(volatile std::int32_t* target, std::int32_t value);

// Child processes (process_posix.cpp, process_windows.cpp), for work spread over several processes of
// this program: the child's standard input and output are pipes to this process, its standard error is
// this process's. Children may be started from several threads. One thread may read a child while
// another writes to it; EndChild may come from any thread until WaitForChild has seen the child end.
struct ChildProcess {
    std::intptr_t process = -1;  // the process id, or the process handle
    std::intptr_t input = -1;    // our end of the child's standard input
    std::intptr_t output = -1;   // our end of the child's standard output
};

// The full path of the running program, empty when the system does not tell.
std::string ExecutablePath();

// Starts the program with the arguments (those after its name). False, with the reason, when it cannot.
bool StartChild(const std::string& program, const std::vector<std::string>& arguments, ChildProcess& child,
                std::string& reason);
// Writes all the bytes to the child's standard input; false when the child no longer reads it.
bool WriteToChild(ChildProcess& child, const char* data, std::size_t size);
// Waits for output of the child and reads at most size bytes of it: the count, 0 at its end (the child
// ended or closed it), -1 on a failure.
std::ptrdiff_t ReadFromChild(ChildProcess& child, char* data, std::size_t size);
// Closes the child's standard input: a child that reads it to its end then sees the end.
void CloseChildInput(ChildProcess& child);
// Ends the child at once (SIGKILL, TerminateProcess).
void EndChild(ChildProcess& child);
// Waits at most timeoutMs for the child to end. True when it has ended, with what ended it in ending
// ("exit status 3", "signal 9"); the child is then gone and EndChild must not be called any more.
bool WaitForChild(ChildProcess& child, int timeoutMs, std::string& ending);
// Closes what is left of the child's pipes and handle (after WaitForChild returned true).
void CloseChild(ChildProcess& child);

// A write to a pipe whose reader has gone fails with an error instead of ending this process (POSIX:
// SIGPIPE ignored; children get the default back). Nothing to do on Windows.
void IgnoreBrokenPipes();
// Standard input and output carry bytes unchanged (Windows: binary mode). Nothing to do on POSIX.
void UseBinaryStandardStreams();
// Asks the system to put the file's written data on its storage; false when it cannot.
bool SyncFile(std::FILE* file);

}  // namespace zarn::platform
