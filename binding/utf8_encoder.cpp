#include "binding/utf8_encoder.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillmark {

namespace {

// One code point; false for a value UTF-8 cannot carry.
inline bool encode_one(std::uint32_t c, char*& out) {
    auto* o = reinterpret_cast<unsigned char*>(out);
    if (c < 0x80) {
        *o++ = static_cast<unsigned char>(c);
    } else if (c < 0x800) {
        *o++ = static_cast<unsigned char>(0xC0 | (c >> 6));
        *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c <= 0xDFFF) return false;
        *o++ = static_cast<unsigned char>(0xE0 | (c >> 12));
        *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
        *o++ = static_cast<unsigned char>(0xF0 | (c >> 18));
        *o++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
        *o++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *o++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    } else {
        return false;
    }
    out = reinterpret_cast<char*>(o);
    return true;
}

}  // namespace

bool encode_utf8(const std::uint32_t* code_points, std::size_t count, char*& out) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen code points at a time while they are all ASCII: narrow them
    // to bytes with two saturating packs.
    const __m128i non_ascii = _mm_set1_epi32(~0x7F);
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= count) {
        const auto* block = reinterpret_cast<const __m128i*>(code_points + i);
        const __m128i a = _mm_loadu_si128(block), b = _mm_loadu_si128(block + 1);
        const __m128i c = _mm_loadu_si128(block + 2), d = _mm_loadu_si128(block + 3);
        const __m128i any = _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(any, non_ascii), zero)) != 0xFFFF) {
            for (const std::size_t end = i + 16; i < end; ++i)
                if (!encode_one(code_points[i], out)) return false;
            continue;
        }
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
        out += 16;
        i += 16;
    }
#endif
    for (; i < count; ++i)
        if (!encode_one(code_points[i], out)) return false;
    return true;
}

}  // namespace quillmark
