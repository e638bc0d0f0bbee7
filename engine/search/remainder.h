// The remainder of a 64-bit key by a divisor fixed for a long time (the bucket count of a table),
// by multiplication instead of a division: the divisor's reciprocal is computed once, and each
// remainder costs a few multiplications where a 64-bit division costs tens of cycles. Exact for every
// key and every divisor from 2 up (the reciprocal carries 128 bits, twice the key's width).
// Without a 128-bit type (32-bit targets) it falls back to the plain remainder.
#pragma once

#include <cstdint>

namespace zarn {

class Remainder {
public:
    constexpr Remainder() = default;
    constexpr explicit Remainder(std::uint64_t divisor) : divisor_(divisor) {
#if defined(__SIZEOF_INT128__)
        reciprocal_ = divisor > 1 ? ~Wide{0} / divisor + 1 : 0;
#endif
    }

    constexpr std::uint64_t Of(std::uint64_t value) const {
#if defined(__SIZEOF_INT128__)
        if (divisor_ > 1) {
            // The fraction value / divisor in 128 bits; times the divisor, its integer part is the remainder.
            const Wide fraction = reciprocal_ * value;
            const Wide low = static_cast<Wide>(static_cast<std::uint64_t>(fraction)) * divisor_;
            const Wide high = static_cast<Wide>(static_cast<std::uint64_t>(fraction >> 64)) * divisor_;
            return static_cast<std::uint64_t>((high + (low >> 64)) >> 64);
        }
#endif
        return divisor_ ? value % divisor_ : 0;
    }

private:
#if defined(__SIZEOF_INT128__)
    __extension__ using Wide = unsigned __int128;
    Wide reciprocal_ = 0;
#endif
    std::uint64_t divisor_ = 0;
};

}  // namespace zarn
