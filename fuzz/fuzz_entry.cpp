// The libFuzzer entry of one target; ZARN_FUZZ_RUNNER names the runner it hands each input to.
#include "fuzz/inputs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return zarn::fuzz::ZARN_FUZZ_RUNNER(data, size);
}
