// Eng19: the handle of the logo bitmap. On Windows the bitmap is resource 102 of this module, loaded
// on every call; elsewhere the handle is the address of the embedded bitmap file.
#include "adapter/eng.h"
#include "adapter/logo.h"

#if defined(_WIN32)
#include <windows.h>
#endif

extern "C" ENG_API void* ENG_CALL Eng19(void) {
#if defined(_WIN32)
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&Eng19), &self);
    return LoadBitmapA(self, MAKEINTRESOURCEA(zarn::adapter::LogoResource));
#else
    // The host only reads through the handle.
    return const_cast<unsigned char*>(zarn::adapter::LogoBitmap);
#endif
}
