// Sixteen bytes of text looked at at once (SSE2 on x86-64, NEON on ARM), for
// the finishing scan that passes over every byte of the Markdown: a block where no
// byte can matter is passed whole, any other is looked at byte by byte.
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

}  // namespace quillmark
