# Writes the logo bitmap as a C++ array: cmake -DINPUT=logo.bmp -DOUTPUT=logo_data.cpp -P embed_logo.cmake
file(READ ${INPUT} bytes HEX)
string(LENGTH "${bytes}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from logo.bmp at build time.\n#include \"adapter/logo.h\"\n\nnamespace zarn::adapter {\n\nconst unsigned char LogoBitmap[] = {\n${bytes}\n};\nconst std::size_t LogoBitmapSize = ${size};\n\n}  // namespace zarn::adapter\n")
