#include "model/text/utf8.hpp"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillmark {

namespace {

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed sequence at `pos`, or 0 when the bytes there are
// ill-formed. `bad` receives the length of the maximal ill-formed subpart
// (at least 1) in that case.
std::size_t well_formed_length(std::string_view text, std::size_t pos, std::size_t& bad) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t left = text.size() - pos;
    const unsigned char c = s[pos];
    bad = 1;
    if (c < 0x80) return 1;
    std::size_t need;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        need = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 3;
        if (c == 0xE0) low = 0xA0;   // no overlong forms
        if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 4;
        if (c == 0xF0) low = 0x90;   // no overlong forms
        if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;  // a continuation byte, C0, C1 or F5..FF
    }
    for (std::size_t i = 1; i < need; ++i) {
        if (i >= left) return 0;
        const unsigned char next = s[pos + i];
        const bool fits = i == 1 ? (next >= low && next <= high) : is_continuation(next);
        if (!fits) return 0;
        bad = i + 1;
    }
    return need;
}

}  // namespace

std::optional<std::size_t> find_invalid_utf8(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t pos = 0;
    std::size_t bad = 0;
    while (pos < size) {
        // Runs of ASCII, thirty-two bytes at a time, then eight.
#if defined(__SSE2__)
        while (pos + 32 <= size) {
            const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos));
            const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + pos + 16));
            if (_mm_movemask_epi8(_mm_or_si128(low, high)) != 0) break;
            pos += 32;
        }
#endif
        while (pos + 8 <= size) {
            std::uint64_t block;
            std::memcpy(&block, s + pos, 8);
            if (block & 0x8080808080808080ull) break;
            pos += 8;
        }
        if (pos == size) break;
        if (s[pos] < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t n = well_formed_length(text, pos, bad);
        if (n == 0) return pos;
        pos += n;
    }
    return std::nullopt;
}

bool is_valid_utf8(std::string_view text) { return !find_invalid_utf8(text); }

std::string repair_utf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    std::size_t pos = 0;
    std::size_t bad = 0;
    while (pos < text.size()) {
        const std::size_t n = well_formed_length(text, pos, bad);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            pos += bad;
        } else {
            out.append(text, pos, n);
            pos += n;
        }
    }
    return out;
}

std::size_t code_point_length(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 1;
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    std::size_t n = 1;
    if (c >= 0xF0)
        n = 4;
    else if (c >= 0xE0)
        n = 3;
    else if (c >= 0xC0)
        n = 2;
    // Never step over a byte that does not continue the sequence, nor past
    // the end: on valid UTF-8 neither happens.
    std::size_t length = 1;
    while (length < n && pos + length < text.size() && is_continuation(static_cast<unsigned char>(text[pos + length])))
        ++length;
    return length;
}

std::uint32_t decode_code_point(std::string_view text, std::size_t pos, std::size_t& length) {
    length = code_point_length(text, pos);
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (length == 1) return lead;
    std::uint32_t cp = lead & (0xFFu >> (length + 1));
    for (std::size_t i = 1; i < length; ++i) cp = (cp << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3Fu);
    return cp;
}

std::size_t offset_after_characters(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < count && pos < text.size(); ++i) pos += code_point_length(text, pos);
    return pos < text.size() ? pos : text.size();
}

std::string_view first_characters(std::string_view text, std::size_t count) {
    return text.substr(0, offset_after_characters(text, count));
}

std::string_view after_characters(std::string_view text, std::size_t count) {
    return text.substr(offset_after_characters(text, count));
}

std::string_view without_last_character(std::string_view text) {
    if (text.empty()) return text;
    std::size_t start = text.size() - 1;
    while (start > 0 && is_continuation(static_cast<unsigned char>(text[start])) && text.size() - start < 4) --start;
    // `start` is now the lead byte of the last code point (valid UTF-8).
    return text.substr(0, start);
}

std::string_view last_character(std::string_view text) {
    const std::string_view rest = without_last_character(text);
    return text.substr(rest.size());
}


std::string_view without_cut_last_character(std::string_view text) {
    std::size_t continuation = 0;
    while (continuation < 3 && continuation < text.size() &&
           is_continuation(static_cast<unsigned char>(text[text.size() - 1 - continuation])))
        ++continuation;
    if (continuation == text.size()) return text;
    const auto lead = static_cast<unsigned char>(text[text.size() - 1 - continuation]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length > continuation + 1) text.remove_suffix(continuation + 1);
    return text;
}

// ----- encoding ------------------------------------------------------------

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
