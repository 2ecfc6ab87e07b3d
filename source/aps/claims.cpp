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
// So `Claim.text` (plain text, model/summary.cpp) shows one part per line, and the
// Markdown claim block (verbatim rendering, render/inline.cpp) also indents each
// nested part two spaces deeper than its parent, as it does for nested
// claim text of the XML grants.
#include <vector>

#include "source/aps/claims.hpp"
#include "source/aps/body.hpp"

namespace quillmark::aps {

namespace {

struct ClaimPart {
    std::uint32_t level;
    const std::string* value;
};

// Appends to `out` the parts from `next` on whose level is above
// `parent_level` (each with its own deeper parts nested inside it), a "\n"
// before each one unless `out` is still empty. Levels are at most 3, so the
// recursion is at most five calls deep.
void append_parts(InlineContent& out, const std::vector<ClaimPart>& parts, std::size_t& next, int parent_level) {
    while (next < parts.size() && static_cast<int>(parts[next].level) > parent_level) {
        const ClaimPart& part = parts[next++];
        if (!out.empty()) out.add_text({"\n"});
        const std::uint32_t claim_text = out.open(InlineKind::ClaimText);
        out.add_text({*part.value});
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

ClaimPart part_of(const ApsRecord& record) { return {paragraph_level(record.code).value_or(0), &record.value}; }

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

    for (const ApsRecord& record : records) {
        if (record.segment != "CLMS" || record.code == "STM") continue;
        if (record.code == "NUM") {  // its value is not kept: claims are numbered by position
            close();
            continue;
        }
        if (!record.value.empty()) parts.push_back(part_of(record));
    }
    close();

    for (const ApsRecord& record : records)
        if (record.segment == "DCLM" && !record.value.empty()) parts.push_back(part_of(record));
    if (!parts.empty()) section.children.emplace_back(claim_entry(parts));

    if (section.children.empty()) return std::nullopt;
    return section;
}

}  // namespace quillmark::aps
