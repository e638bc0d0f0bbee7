// Where the plug-in lies on disk, and the paths derived from it.
#pragma once

#include <cstddef>
#include <string_view>

namespace zarn::adapter {

inline constexpr std::size_t MaxModulePath = 510;

// The plug-in's own full path as recorded at load, in its original case (at most 510 characters).
std::string_view ModulePath();

// Offset in path of the module tail, the part below the engines directory (possibly with
// subdirectories, "sub/Zarn.eng"): after the last "engines" component (any case, "/" or "\" around
// it), else after the last separator, else 0.
std::size_t ModuleTailOffset(std::string_view path);

// The path with the tail cut off, so that it ends in a separator.
std::string_view EngineDirectory(std::string_view path);

// The engine library's path: the plug-in's path with its last three characters (the extension
// "eng") replaced by "dll". Written to out (zero-terminated, cut to fit); returns out.
char* EngineLibraryPath(std::string_view path, char* out, std::size_t outSize);

}  // namespace zarn::adapter
