// Windows services: the steady clock, LoadLibraryA/GetProcAddress, the module file name, GetTickCount
// VirtualAlloc for zero-filled pages and InterlockedExchange.
#if defined(_WIN32)

#include <windows.h>

// windows.h maps LoadLibrary onto LoadLibraryA or LoadLibraryW; the engine's own function keeps its name.
#undef LoadLibrary

#include <chrono>
#include <cstring>

#include "platform/platform.h"

namespace zarn::platform {

std::int64_t ElapsedMilliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

std::uint32_t TickCount() { return static_cast<std::uint32_t>(::GetTickCount()); }

void* LoadLibrary(const char* path) {
    if (!path) return nullptr;
    return reinterpret_cast<void*>(::LoadLibraryA(path));
}

void* FindSymbol(void* library, const char* name) {
    if (!library || !name) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void FreeLibrary(void* library) {
    if (library) ::FreeLibrary(static_cast<HMODULE>(library));
}

std::string ModulePathOf(const void* address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCSTR>(address), &module))
        return {};
    char path[MAX_PATH + 1];
    const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    return std::string(path, length);
}

void* AllocateZeroedPages(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    // Committed pages read as zeros and take no physical memory until touched.
    return ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreeZeroedPages(void* block, std::size_t /*bytes*/) {
    if (block) ::VirtualFree(block, 0, MEM_RELEASE);
}

void ZeroPages(void* block, std::size_t bytes) {
    if (block) std::memset(block, 0, bytes);
}

bool PopulatePages(void* block, std::size_t bytes) {
    if (!block || bytes == 0) return true;
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    const std::size_t step = info.dwPageSize > 0 ? info.dwPageSize : 4096;
    auto* bytesOf = static_cast<unsigned char*>(block);
    for (std::size_t offset = 0; offset < bytes; offset += step)
        ::InterlockedOr(reinterpret_cast<volatile LONG*>(bytesOf + offset), 0);
    return true;
}

std::uint64_t AvailableMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status)) return 0;
    return static_cast<std::uint64_t>(status.ullAvailPhys);
}

void NameThisThread(const char*) {}

std::int32_t AtomicExchange(volatile std::int32_t* target, std::int32_t value) {
    static_assert(sizeof(LONG) == sizeof(std::int32_t));
    return static_cast<std::int32_t>(::InterlockedExchange(reinterpret_cast<volatile LONG*>(target), value));
}

}  // namespace zarn::platform

#endif  // _WIN32
