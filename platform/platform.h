// The few services the engine and the adapter need from the operating system.
// Each has a POSIX and a Windows implementation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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

// Atomically stores value and returns the previous value.
std::int32_t AtomicExchange(volatile std::int32_t* target, std::int32_t value);

}  // namespace zarn::platform
