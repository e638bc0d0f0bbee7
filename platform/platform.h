// The few services the engine and the adapter need from the operating system.
// Each has a POSIX and a Windows implementation.
#pragma once

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

// Atomically stores value and returns the previous value.
std::int32_t AtomicExchange(volatile std::int32_t* target, std::int32_t value);

}  // namespace zarn::platform
