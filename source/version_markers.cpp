#include "source/version_markers.hpp"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillmark {

// Every marker contains one of five byte pairs at a fixed offset: "v1"
// (pap-v15, pap-v16), "v4" (all v4.x markers), "T3" (ST32-...), "D=" (DTD=)
// and "<!" (<!DOCTYPE ...). The scan looks for the pairs and checks the
// markers around each hit, so a marker is found wherever it occurs.
namespace {

class MarkerMatcher {
public:
    MarkerMatcher(std::string_view text, VersionMarkers& markers) : text_(text), m_(markers) {}

    void check_pair_at(std::size_t pos) {
        switch (text_[pos]) {
            case 'v': check_v(pos); break;
            case 'T': m_.st32_grant_dtd |= has("ST32-US-Grant-025xml.dtd", pos, 1); break;
            case 'D': m_.dtd_2_5 |= has("DTD=\"2.5\"", pos, 2); break;
            case '<': check_doctype(pos); break;
            default: break;
        }
    }

    bool is_pair(std::size_t pos) const {
        const char a = text_[pos], b = text_[pos + 1];
        return (a == 'v' && (b == '1' || b == '4')) || (a == 'T' && b == '3') || (a == 'D' && b == '=') ||
               (a == '<' && b == '!');
    }

private:
    // Does `marker` occur with its byte `offset` at text position `pos`?
    bool has(std::string_view marker, std::size_t pos, std::size_t offset) const {
        if (pos < offset) return false;
        const std::size_t start = pos - offset;
        return start + marker.size() <= text_.size() && std::memcmp(text_.data() + start, marker.data(), marker.size()) == 0;
    }

    // The digit that follows a marker prefix whose "v" stands at `pos`, or -1.
    int digit_after(std::size_t pos, std::size_t offset_after_v) const {
        const std::size_t at = pos + offset_after_v;
        if (at >= text_.size() || text_[at] < '0' || text_[at] > '9') return -1;
        return text_[at] - '0';
    }

    void check_v(std::size_t pos) {
        if (text_[pos + 1] == '1') {
            m_.pap_v15_dtd |= has("pap-v15-2001-01-31.dtd", pos, 4);
            m_.pap_v16 |= has("pap-v16", pos, 4);
            return;
        }
        if (has("us-patent-application-v4", pos, 22)) {
            const int minor = digit_after(pos, 2);
            if (minor >= 0 && minor <= 6) m_.application_v4[minor] = true;
        }
        if (has("us-patent-grant-v4", pos, 16)) {
            const int minor = digit_after(pos, 2);
            if (minor >= 0 && minor <= 7) m_.grant_v4[minor] = true;
        }
        if (has("dtd-version=\"v4", pos, 13)) {
            if (pos + 2 < text_.size() && text_[pos + 2] == '.') {
                const int minor = digit_after(pos, 3);
                if (minor >= 0 && minor <= 7) m_.dtd_version_v4_dot[minor] = true;
            } else if (digit_after(pos, 2) == 0) {
                m_.dtd_version_v40 = true;
            }
        }
    }

    void check_doctype(std::size_t pos) {
        m_.doctype_application |= has("<!DOCTYPE us-patent-application", pos, 0);
        m_.doctype_grant |= has("<!DOCTYPE us-patent-grant", pos, 0);
        m_.doctype_patdoc |= has("<!DOCTYPE PATDOC", pos, 0);
    }

    std::string_view text_;
    VersionMarkers& m_;
};

}  // namespace

VersionMarkers scan_version_markers(std::string_view text) {
    VersionMarkers markers;
    if (text.size() < 2) return markers;
    MarkerMatcher matcher(text, markers);
    const std::size_t last_pair = text.size() - 1;  // pairs start before this
    std::size_t pos = 0;
#if defined(__SSE2__)
    const auto* data = reinterpret_cast<const unsigned char*>(text.data());
    const __m128i v = _mm_set1_epi8('v'), one = _mm_set1_epi8('1'), four = _mm_set1_epi8('4');
    const __m128i t = _mm_set1_epi8('T'), three = _mm_set1_epi8('3');
    const __m128i d = _mm_set1_epi8('D'), equals = _mm_set1_epi8('=');
    const __m128i lt = _mm_set1_epi8('<'), bang = _mm_set1_epi8('!');
    for (; pos + 17 <= text.size(); pos += 16) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + pos + 1));
        __m128i hits = _mm_and_si128(_mm_cmpeq_epi8(first, v),
                                     _mm_or_si128(_mm_cmpeq_epi8(second, one), _mm_cmpeq_epi8(second, four)));
        hits = _mm_or_si128(hits, _mm_and_si128(_mm_cmpeq_epi8(first, t), _mm_cmpeq_epi8(second, three)));
        hits = _mm_or_si128(hits, _mm_and_si128(_mm_cmpeq_epi8(first, d), _mm_cmpeq_epi8(second, equals)));
        hits = _mm_or_si128(hits, _mm_and_si128(_mm_cmpeq_epi8(first, lt), _mm_cmpeq_epi8(second, bang)));
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits)); mask != 0; mask &= mask - 1)
            matcher.check_pair_at(pos + static_cast<std::size_t>(__builtin_ctz(mask)));
    }
#endif
    for (; pos < last_pair; ++pos)
        if (matcher.is_pair(pos)) matcher.check_pair_at(pos);
    return markers;
}

}  // namespace quillmark
