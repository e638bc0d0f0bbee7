// The plug-in records its own path once, when it is loaded, and derives the engine library's path and
// the engines directory from it. The case of the path is kept: on case-sensitive file systems it decides
// which file is loaded; only the search for the engines directory ignores case.
#include "adapter/module_path.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace zarn::adapter {
namespace {

std::array<char, MaxModulePath + 1> modulePath{};
std::size_t modulePathLength = 0;

void RecordModulePath() {
    const std::string path = platform::ModulePathOf(reinterpret_cast<const void*>(&RecordModulePath));
    modulePathLength = std::min(path.size(), MaxModulePath);
    std::memcpy(modulePath.data(), path.data(), modulePathLength);
    modulePath[modulePathLength] = '\0';
}

// Runs when the module is loaded into a process.
const struct RecordAtLoad {
    RecordAtLoad() { RecordModulePath(); }
} recordAtLoad;

constexpr bool IsSeparator(char c) { return c == '/' || c == '\\'; }

constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// True when path holds a separator, "engines" in any case and a separator at offset at.
bool EnginesComponentAt(std::string_view path, std::size_t at) {
    constexpr std::string_view word = "engines";
    if (at + word.size() + 2 > path.size()) return false;
    if (!IsSeparator(path[at]) || !IsSeparator(path[at + word.size() + 1])) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Lower(path[at + 1 + i]) != word[i]) return false;
    return true;
}

}  // namespace

std::string_view ModulePath() { return {modulePath.data(), modulePathLength}; }

std::size_t ModuleTailOffset(std::string_view path) {
    for (std::size_t at = path.size(); at-- > 0;)
        if (EnginesComponentAt(path, at)) return at + 9;
    for (std::size_t at = path.size(); at-- > 0;)
        if (IsSeparator(path[at])) return at + 1;
    return 0;
}

std::string_view EngineDirectory(std::string_view path) { return path.substr(0, ModuleTailOffset(path)); }

char* EngineLibraryPath(std::string_view path, char* out, std::size_t outSize) {
    if (outSize == 0) return out;
    std::string_view base = path.size() > 2 ? path.substr(0, path.size() - 3) : path;
    const std::string_view extension = path.size() > 2 ? "dll" : "";
    const std::size_t baseLength = std::min(base.size(), outSize - 1);
    std::memcpy(out, base.data(), baseLength);
    const std::size_t extensionLength = std::min(extension.size(), outSize - 1 - baseLength);
    std::memcpy(out + baseLength, extension.data(), extensionLength);
    out[baseLength + extensionLength] = '\0';
    return out;
}

}  // namespace zarn::adapter
