#include "source/version_markers.hpp"

#include <cstring>


namespace quillmark {

// Every marker contains one of five byte pairs at a fixed offset: "v1"
// (pap-v15, pap-v16), "v4" (all v4.x markers), "T3" (ST32-...), "TD" (DTD=,
// rare in text, where "D=" ends every ID attribute of ST.32) and "<!"
// (<!DOCTYPE ...). The scan looks for the pairs and checks the
// markers around each hit, so a marker is found wherever it occurs.
namespace {

class MarkerMatcher {
public:
    MarkerMatcher(std::string_view text, VersionMarkers& markers) : text_(text), m_(markers) {}

    void check_pair_at(std::size_t pos) {
        switch (text_[pos]) {
            case 'v': check_v(pos); break;
            case 'T':
                if (text_[pos + 1] == '3')
                    m_.st32_grant_dtd |= has("ST32-US-Grant-025xml.dtd", pos, 1);
                else
                    m_.dtd_2_5 |= has("DTD=\"2.5\"", pos, 1);
                break;
            case '<': check_doctype(pos); break;
            default: break;
        }
    }

    bool is_pair(std::size_t pos) const {
        const char a = text_[pos], b = text_[pos + 1];
        return (a == 'v' && (b == '1' || b == '4')) || (a == 'T' && (b == '3' || b == 'D')) || (a == '<' && b == '!');
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

typedef char Bytes16 __attribute__((vector_size(16)));
typedef char Bytes32 __attribute__((vector_size(32)));

// The first block of bytes from `pos` on that holds the first byte of one of
// the five pairs, or where the blocks end. Nearly every block of a text has
// none, and is passed over with a handful of vector operations.
template <class Bytes>
[[gnu::always_inline]] inline std::size_t next_block_with_pair(std::string_view text, std::size_t pos) {
    constexpr std::size_t width = sizeof(Bytes);
    for (; pos + width + 1 <= text.size(); pos += width) {
        Bytes first, second;
        std::memcpy(&first, text.data() + pos, width);
        std::memcpy(&second, text.data() + pos + 1, width);
        const Bytes hits = ((first == 'v') & ((second == '1') | (second == '4'))) |
                           ((first == 'T') & ((second == '3') | (second == 'D'))) | ((first == '<') & (second == '!'));
        unsigned long long lanes[width / 8];
        std::memcpy(lanes, &hits, width);
        unsigned long long any = 0;
        for (unsigned long long lane : lanes) any |= lane;
        if (any != 0) return pos;
    }
    return pos;
}

// Checks the pairs of every block that holds one; returns where the blocks
// end.
template <class Bytes>
[[gnu::always_inline]] inline std::size_t scan_blocks(std::string_view text, std::size_t pos, MarkerMatcher& matcher) {
    constexpr std::size_t width = sizeof(Bytes);
    while ((pos = next_block_with_pair<Bytes>(text, pos)) + width + 1 <= text.size()) {
        for (const std::size_t end = pos + width; pos < end; ++pos)
            if (matcher.is_pair(pos)) matcher.check_pair_at(pos);
    }
    return pos;
}

#if defined(__x86_64__)
[[gnu::target("avx2")]] std::size_t scan_blocks_avx2(std::string_view text, MarkerMatcher& matcher) {
    return scan_blocks<Bytes32>(text, 0, matcher);
}

bool has_avx2() {
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported;
}
#endif

}  // namespace

VersionMarkers scan_version_markers(std::string_view text) {
    VersionMarkers markers;
    if (text.size() < 2) return markers;
    MarkerMatcher matcher(text, markers);
    std::size_t pos = 0;
#if defined(__x86_64__)
    if (has_avx2()) pos = scan_blocks_avx2(text, matcher);
#endif
    pos = scan_blocks<Bytes16>(text, pos, matcher);
    for (const std::size_t last_pair = text.size() - 1; pos < last_pair; ++pos)
        if (matcher.is_pair(pos)) matcher.check_pair_at(pos);
    return markers;
}

}  // namespace quillmark
