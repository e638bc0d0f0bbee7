// Start-up cost of the hash tables through the engine library's exports: the time ZarnInit takes at
// each size named, the resident memory after it, and the resident memory after a short search.
// Built as zarn-hash-init and run by bench/hash.sh:
//   zarn-hash-init <library> <megabytes>...
#include <dlfcn.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine/interface/zarn.h"

namespace {

using InitFn = int (*)(const ReportCallbacks*, const char*, int);
using VoidFn = void (*)();
using IntFn = int (*)(int);

// Resident and peak resident memory of this process in kilobytes, from /proc.
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::strtol(line.c_str() + std::string(field).size(), nullptr, 10);
    return -1;
}

template <typename Fn>
Fn Symbol(void* library, const char* name) {
    void* symbol = dlsym(library, name);
    if (!symbol) {
        std::fprintf(stderr, "hash-init: %s not exported\n", name);
        std::exit(2);
    }
    return reinterpret_cast<Fn>(symbol);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: hash-init <library> <megabytes>...\n");
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "hash-init: %s\n", dlerror());
        return 2;
    }
    const auto init = Symbol<InitFn>(library, "ZarnInit");
    const auto quit = Symbol<VoidFn>(library, "ZarnQuit");
    const auto startPosition = Symbol<VoidFn>(library, "ZarnSetStartPosition");
    const auto setDepth = Symbol<void (*)(int)>(library, "ZarnSetDepth");
    const auto analyse = Symbol<IntFn>(library, "ZarnAnalyse");
    const ReportCallbacks callbacks{static_cast<std::int32_t>(sizeof(ReportCallbacks)), nullptr, nullptr,
                                    nullptr, nullptr, nullptr};

    // Each size eleven times, the sizes interleaved so that every call meets tables of another size.
    constexpr int Rounds = 11;
    std::vector<std::vector<double>> times(argc - 2);
    for (int round = 0; round < Rounds; ++round) {
        for (int i = 2; i < argc; ++i) {
            const int megabytes = std::atoi(argv[i]);
            const auto started = std::chrono::steady_clock::now();
            const int result = init(&callbacks, "", megabytes * 1024);
            const auto elapsed = std::chrono::steady_clock::now() - started;
            if (result < 0) {
                std::fprintf(stderr, "hash-init: ZarnInit failed at %d MB\n", megabytes);
                return 1;
            }
            times[i - 2].push_back(std::chrono::duration<double, std::milli>(elapsed).count());
        }
    }
    for (int i = 2; i < argc; ++i) {
        std::vector<double>& t = times[i - 2];
        std::sort(t.begin(), t.end());
        std::printf("ZarnInit %5s MB: median %8.3f ms  (min %.3f, max %.3f)\n", argv[i], t[Rounds / 2], t.front(),
                    t.back());
    }

    // The last size again, then a short search: only the entries the search touched become resident.
    const int last = std::atoi(argv[argc - 1]);
    init(&callbacks, "", last * 1024);
    std::printf("after ZarnInit at %d MB: resident %ld KB, peak resident %ld KB\n", last, StatusKb("VmRSS:"),
                StatusKb("VmHWM:"));
    startPosition();
    setDepth(7);
    analyse(0);
    std::printf("after a depth-7 search:    resident %ld KB, peak resident %ld KB\n", StatusKb("VmRSS:"),
                StatusKb("VmHWM:"));
    quit();
    dlclose(library);
    return 0;
}
