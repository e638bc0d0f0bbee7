// The plug-in's logo as embedded data where there are no module resources.
#pragma once

#include <cstddef>

namespace zarn::adapter {

inline constexpr int LogoResource = 102;

// The complete bitmap file (header, info header, bottom-up BGR rows), 100 x 50 at 24 bits.
extern const unsigned char LogoBitmap[];
extern const std::size_t LogoBitmapSize;

}  // namespace zarn::adapter
