// POSIX services: the steady clock, dlopen/dlsym, dladdr, anonymous mappings and a GCC atomic builtin.
#if !defined(_WIN32)

#include <dlfcn.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace zarn::platform {

std::int64_t ElapsedMilliseconds() {
    // Wall time: the processor time that clock() measures would stand still while the engine waits.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

std::uint32_t TickCount() { return static_cast<std::uint32_t>(ElapsedMilliseconds()); }

void* LoadLibrary(const char* path) {
    if (!path) return nullptr;
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void* FindSymbol(void* library, const char* name) {
    if (!library || !name) return nullptr;
    return dlsym(library, name);
}

void FreeLibrary(void* library) {
    if (library) dlclose(library);
}

std::string ModulePathOf(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname) return {};
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved)) return resolved;
    return info.dli_fname;
}

void* AllocateZeroedPages(std::size_t bytes) {
    if (bytes == 0) return nullptr;
    // Blocks of a large page or more start on a large-page boundary, so that every part of them can
    // be mapped by large pages: map a large page more, then give back the unaligned head and the tail.
    constexpr std::size_t LargePage = std::size_t{2} << 20;
    const std::size_t extra = bytes >= LargePage && bytes <= SIZE_MAX - LargePage ? LargePage : 0;
    void* mapped = mmap(nullptr, bytes + extra, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    void* block = mapped;
    if (extra != 0) {
        const auto start = reinterpret_cast<std::uintptr_t>(mapped);
        const std::uintptr_t aligned = (start + LargePage - 1) & ~std::uintptr_t{LargePage - 1};
        const std::size_t head = aligned - start;
        if (head != 0) munmap(mapped, head);
        if (extra - head != 0) munmap(reinterpret_cast<void*>(aligned + bytes), extra - head);
        block = reinterpret_cast<void*>(aligned);
    }
#if defined(MADV_HUGEPAGE)
    // Large pages where the system offers them: fewer page faults and translation misses in the search.
    // Only a hint; a refusal changes nothing.
    madvise(block, bytes, MADV_HUGEPAGE);
#endif
    return block;
}

void FreeZeroedPages(void* block, std::size_t bytes) {
    if (block) munmap(block, bytes);
}

void ZeroPages(void* block, std::size_t bytes) {
    if (!block || bytes == 0) return;
#if defined(__linux__)
    // On Linux a private anonymous page given back this way reads as zeros when next touched.
    if (madvise(block, bytes, MADV_DONTNEED) == 0) return;
#endif
    std::memset(block, 0, bytes);
}

bool PopulatePages(void* block, std::size_t bytes) {
    if (!block || bytes == 0) return true;
#if defined(__linux__)
    // Linux 5.14 and later fault the pages in by one call (faster than a touch per page).
#if !defined(MADV_POPULATE_WRITE)
    constexpr int MADV_POPULATE_WRITE = 23;
#endif
    if (madvise(block, bytes, MADV_POPULATE_WRITE) == 0) return true;
    if (errno != EINVAL) return false;
#endif
    const long pageSize = sysconf(_SC_PAGESIZE);
    const std::size_t step = pageSize > 0 ? static_cast<std::size_t>(pageSize) : 4096;
    auto* bytesOf = static_cast<unsigned char*>(block);
    for (std::size_t offset = 0; offset < bytes; offset += step)
        __atomic_fetch_or(reinterpret_cast<std::uint64_t*>(bytesOf + offset), 0, __ATOMIC_RELAXED);
    return true;
}

std::uint64_t AvailableMemory() {
#if defined(__linux__)
    // The kernel's own estimate of what can be had without swapping.
    if (std::FILE* file = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        unsigned long long kilobytes = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, file))
            found = std::sscanf(line, "MemAvailable: %llu kB", &kilobytes) == 1;
        std::fclose(file);
        if (found) return static_cast<std::uint64_t>(kilobytes) * 1024;
    }
#endif
#if defined(_SC_AVPHYS_PAGES)
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
#endif
    return 0;
}

void NameThisThread(const char* name) {
#if defined(__linux__)
    char shortened[16] = {};
    std::strncpy(shortened, name, sizeof shortened - 1);
    pthread_setname_np(pthread_self(), shortened);
#else
    (void)name;
#endif
}

std::int32_t AtomicExchange(volatile std::int32_t* target, std::int32_t value) {
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}

}  // namespace zarn::platform

#endif  // !_WIN32
