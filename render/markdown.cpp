#include "render/markdown.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "model/text/text.hpp"
#include "render/byte_blocks.hpp"

namespace quillmark {

namespace {

// A control character other than tab, or DEL, which a terminal showing the
// file would act on; and the line feed, which the collapsing counts.
constexpr std::array<bool, 256> needs_look = [] {
    std::array<bool, 256> look{};
    for (int byte = 0; byte < 0x20; ++byte) look[static_cast<std::size_t>(byte)] = byte != '\t';
    look[0x7F] = true;
    return look;
}();

// A line feed between two bytes that are no line feeds is copied as it
// stands, whatever the run before the piece: only a run of line feeds, or
// one at either end of a piece, is counted.
bool needs_look_at(std::string_view text, std::size_t pos) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte != '\n') return needs_look[byte];
    return pos == 0 || pos + 1 == text.size() || text[pos - 1] == '\n' || text[pos + 1] == '\n';
}

// The lanes of a block that hold a byte below 0x20 or DEL.
auto control_lanes(ByteBlock block) { return (block < 0x20) | (block == 0x7F); }

// Whether any of the thirty-two bytes at `bytes` is below 0x20 or is DEL.
bool any_control(const unsigned char* bytes) {
    return any_lane(control_lanes(load_block(bytes)) | control_lanes(load_block(bytes + sizeof(ByteBlock))));
}

// Whether any of the sixteen bytes at `bytes` is below 0x20 or is DEL, but
// a lone line feed (a tab counts: the bytes are then looked at one by one).
// The bytes just before and after the sixteen are read too, where a control
// stands among them.
bool may_need_look(const unsigned char* bytes) {
    const ByteBlock block = load_block(bytes);
    const auto controls = control_lanes(block);
    if (!any_lane(controls)) return false;
    const auto lone_feed = (block == '\n') & (load_block(bytes - 1) != '\n') & (load_block(bytes + 1) != '\n');
    return any_lane(controls & ~lone_feed);
}

// The position of the first byte at or after `pos` that needs a look, or
// the size.
std::size_t next_look(std::string_view text, std::size_t pos) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    while (true) {
        while (pos + 2 * sizeof(ByteBlock) <= text.size() && !any_control(bytes + pos)) pos += 2 * sizeof(ByteBlock);
        while (pos > 0 && pos + sizeof(ByteBlock) < text.size() && !may_need_look(bytes + pos)) pos += sizeof(ByteBlock);
        const std::size_t end = std::min(pos + sizeof(ByteBlock), text.size());
        for (; pos < end; ++pos)
            if (needs_look_at(text, pos)) return pos;
        if (pos == text.size()) return pos;
    }
}

constexpr std::string_view replacement_character = "\uFFFD";

// Appends `piece`, shrinking every run of three or more line feeds (counted
// across pieces in `run`) to two, and showing every terminal control as
// U+FFFD, so the reader sees that something stood there; a carriage return
// just before a line feed (a template's CR LF) stays. This is where every
// Markdown of either flavour, template text included, is finished: no
// terminal control passes.
void append_collapsed(std::string& out, std::string_view piece, int& run) {
    std::size_t pos = 0;
    while (pos < piece.size()) {
        const std::size_t end = next_look(piece, pos);
        if (end > pos) {
            out.append(piece, pos, end - pos);
            run = 0;
        }
        if (end == piece.size()) return;
        const char c = piece[end];
        if (c == '\n') {
            if (++run < 3) out += '\n';
        } else {
            run = 0;
            if (c == '\r' && end + 1 < piece.size() && piece[end + 1] == '\n')
                out += '\r';
            else
                out += replacement_character;
        }
        pos = end + 1;
    }
}

void trim_in_place(std::string& text) {
    const std::string_view trimmed = trim(text);
    const std::size_t start = static_cast<std::size_t>(trimmed.data() - text.data());
    text.resize(start + trimmed.size());
    text.erase(0, start);
}

std::string render_section(const Document& document, SectionKind kind, Flavor flavor) {
    return flavor_entry(flavor).writers[static_cast<std::size_t>(kind)](document);
}

// Each section the template names is rendered once, and only those.
std::string fill(const Template& segments, const Document& document, Flavor flavor) {
    std::array<std::optional<std::string>, 5> sections;
    std::size_t size = 0;
    for (const TemplateSegment& segment : segments) {
        if (const auto* literal = std::get_if<std::string>(&segment)) {
            size += literal->size();
            continue;
        }
        const SectionKind kind = std::get<SectionKind>(segment);
        std::optional<std::string>& section = sections[static_cast<std::size_t>(kind)];
        if (!section) section = render_section(document, kind, flavor);
        size += section->size();
    }
    std::string out;
    out.reserve(size);
    int run = 0;
    for (const TemplateSegment& segment : segments) {
        if (const auto* literal = std::get_if<std::string>(&segment))
            append_collapsed(out, *literal, run);
        else
            append_collapsed(out, *sections[static_cast<std::size_t>(std::get<SectionKind>(segment))], run);
    }
    trim_in_place(out);
    return out;
}

}  // namespace

std::string render_markdown(const Document& document, Flavor flavor) {
    // The default template always parses.
    static const Template segments = parse_template(default_template).value();
    return fill(segments, document, flavor);
}

Result<std::string, TemplateError> render_markdown_with_template(const Document& document, std::string_view text,
                                                                 Flavor flavor) {
    auto segments = parse_template(text);
    if (!segments) return segments.error();
    return fill(segments.value(), document, flavor);
}

}  // namespace quillmark
