// The Claims section of an APS grant: claims from segment "CLMS", split at
// "NUM" records, and one design claim from segment "DCLM".
//
// A claim is made of several text records (a "PAR" opening the claim, then
// "PA1" to "PA3" records for its indented elements). Each record becomes one
// `ClaimText` holding its value as a single `Text`, and every part after the
// first starts on a line of its own:
//
// - a record coded "PA1" to "PA3" is nested inside the nearest earlier part
//   of the same claim whose level is lower ("PAR" and every other code count
//   as level 0); the others stand at the top of the claim's content;
// - a `Text` "\n" stands before every part but the first, at the top and
//   inside a parent alike.
//
// So `Claim.text` (plain text, model/facts/summary.cpp) shows one part per line, and the
// Markdown claim block (verbatim rendering, render/inline.cpp) also indents each
// nested part two spaces deeper than its parent, as it does for nested
// claim text of the XML grants.
//
// A reissue writes the claims it adds inside the text of the last claim
// before them, each between ".Iadd." and ".Iaddend." with no "NUM" record
// of its own: "... its length. .Iadd. 13. A hydrophone ...". The text splits
// into a new claim at each ".Iadd." followed by a number above that of the
// claim it sits in, a period, white space and a capital letter; the new claim keeps
// its ".Iadd." marker and starts at level 0, so the parts after it nest as
// in any claim.
#include <vector>

#include "model/text/text.hpp"

#include "source/aps/claims.hpp"
#include "source/aps/body.hpp"

namespace quillmark::aps {

namespace {

struct ClaimPart {
    std::uint32_t level;
    std::string_view value;
};

constexpr std::string_view insertion_start = ".Iadd.";

// The claim number that the ".Iadd." at `at` opens, or 0 when it opens none.
std::size_t added_claim_number(std::string_view text, std::size_t at) {
    std::size_t pos = at + insertion_start.size();
    while (pos < text.size() && text[pos] == ' ') ++pos;
    const std::size_t digits = pos;
    std::size_t number = 0;
    while (pos < text.size() && is_ascii_digit(text[pos]) && pos - digits < 6) number = number * 10 + (text[pos++] - '0');
    if (pos == digits || pos + 2 >= text.size() || text[pos] != '.' || !white_space_at(text, pos + 1)) return 0;
    pos += 1 + white_space_at(text, pos + 1);
    return pos < text.size() && text[pos] >= 'A' && text[pos] <= 'Z' ? number : 0;
}

// Where the next claim added inside `text` starts, from `from` on, given
// the number of the claim the text belongs to; npos when none does.
std::size_t next_added_claim(std::string_view text, std::size_t from, std::size_t current_claim) {
    for (std::size_t at = text.find(insertion_start, from); at != std::string_view::npos;
         at = text.find(insertion_start, at + 1))
        if (added_claim_number(text, at) > current_claim) return at;
    return std::string_view::npos;
}

// Appends to `out` the parts from `next` on whose level is above
// `parent_level` (each with its own deeper parts nested inside it), a "\n"
// before each one unless `out` is still empty. Levels are at most 3, so the
// recursion is at most five calls deep.
void append_parts(InlineContent& out, const std::vector<ClaimPart>& parts, std::size_t& next, int parent_level) {
    while (next < parts.size() && static_cast<int>(parts[next].level) > parent_level) {
        const ClaimPart& part = parts[next++];
        if (!out.empty()) out.add_text({"\n"});
        const std::uint32_t claim_text = out.open(InlineKind::ClaimText);
        out.add_text({part.value});
        append_parts(out, parts, next, static_cast<int>(part.level));
        out.close(claim_text);
    }
}

ClaimEntry claim_entry(const std::vector<ClaimPart>& parts) {
    ClaimEntry entry;
    std::size_t next = 0;
    append_parts(entry.content, parts, next, -1);
    return entry;
}

ClaimPart part_of(const ApsRecord& record) { return {paragraph_level(record.code).value_or(0), record.value}; }

}  // namespace

std::optional<ClaimsSection> build_claims(const ApsRecords& records) {
    ClaimsSection section;
    std::vector<ClaimPart> parts;  // of the claim under construction
    // Adds the claim under construction when it has a part; an empty one is
    // dropped.
    auto close = [&] {
        if (!parts.empty()) section.children.emplace_back(claim_entry(parts));
        parts.clear();
    };

    // Adds the part, split into the claims a reissue inserted into it. The
    // claim the part belongs to is the one after those already added.
    auto add_part = [&](ClaimPart part) {
        const std::string_view text = part.value;
        std::size_t start = 0;
        for (std::size_t at = next_added_claim(text, 0, section.children.size() + 1); at != std::string_view::npos;
             at = next_added_claim(text, start + 1, section.children.size() + 1)) {
            if (const std::string_view before = trim_end(text.substr(start, at - start)); !before.empty())
                parts.push_back({part.level, before});
            close();
            start = at;
            part.level = 0;
        }
        parts.push_back({part.level, text.substr(start)});
    };

    for (const ApsRecord& record : records) {
        if (record.segment != "CLMS" || record.code == "STM") continue;
        if (record.code == "NUM") {  // its value is not kept: claims are numbered by position
            close();
            continue;
        }
        if (!record.value.empty()) add_part(part_of(record));
    }
    close();

    for (const ApsRecord& record : records)
        if (record.segment == "DCLM" && !record.value.empty()) parts.push_back(part_of(record));
    if (!parts.empty()) section.children.emplace_back(claim_entry(parts));

    if (section.children.empty()) return std::nullopt;
    return section;
}

}  // namespace quillmark::aps
