// Sixteen bytes of text looked at at once (SSE2 on x86-64, NEON on ARM), for
// the scans that pass over every byte of a text: a block where no byte can
// matter is passed whole, any other is looked at byte by byte.
#pragma once

#include <cstdint>
#include <cstring>

namespace quillmark {

using ByteBlock = unsigned char __attribute__((vector_size(16)));

inline ByteBlock load_block(const unsigned char* bytes) {
    ByteBlock block;
    std::memcpy(&block, bytes, sizeof block);
    return block;
}

// Whether any lane of the result of comparing blocks is set.
template <typename Lanes>
bool any_lane(Lanes lanes) {
    std::uint64_t halves[2];
    static_assert(sizeof lanes == sizeof halves);
    std::memcpy(halves, &lanes, sizeof halves);
    return (halves[0] | halves[1]) != 0;
}

// The lanes set in the result of comparing blocks, as the low sixteen bits.
template <typename Lanes>
unsigned lane_mask(Lanes lanes) {
    static_assert(sizeof lanes == sizeof(ByteBlock));
#if defined(__SSE2__)
    using Bytes = char __attribute__((vector_size(16)));
    return static_cast<unsigned>(__builtin_ia32_pmovmskb128(reinterpret_cast<Bytes>(lanes)));
#else
    unsigned mask = 0;
    for (unsigned lane = 0; lane < sizeof(ByteBlock); ++lane)
        if (lanes[lane]) mask |= 1u << lane;
    return mask;
#endif
}

}  // namespace quillmark
