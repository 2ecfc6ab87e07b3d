#include "model/text/entities.hpp"

#include <algorithm>
#include <array>
#include <span>

namespace quillmark {

namespace {

// A character-entity name without its "&" and ";", and what replaces it.
struct Entity {
    std::string_view name;
    std::string_view text;
};

#include "model/text/character_entities.inc"

// The table is applied as seventeen replacements one after the other, with
// "&amp;" eleventh: the names before it are replaced where they stand, and
// the names after it both where they stand and where an "&amp;" in front of
// them becomes the "&" they start with. None of the replacement texts holds
// an "&" or makes a name with its neighbours, so one pass over the text
// gives the same result: first-round names are replaced, "&amp;" becomes
// "&" unless a second-round name follows it, which is then replaced.
// Every other name that the ISO 8879 or MathML entity sets define becomes
// its character; a name that an "&amp;" spelled out stays text, as the
// seventeen leave it.
constexpr std::array<Entity, 10> first_round = {{
    {"lsqb", "["},
    {"rsqb", "]"},
    {"ldquo", "\""},
    {"rdquo", "\""},
    {"lsquo", "'"},
    {"rsquo", "'"},
    {"mdash", "-"},
    {"ndash", "-"},
    {"apos", "'"},
    {"quot", "\""},
}};
constexpr std::array<Entity, 6> second_round = {{
    {"lt", "<"},
    {"gt", ">"},
    {"Prime", "\""},
    {"prime", "'"},
    {"equals", "="},
    {"deg", " deg"},
}};

// The entity of `round` whose name and ";" begin `rest`.
const Entity* entity_at(std::span<const Entity> round, std::string_view rest) {
    for (const Entity& entity : round)
        if (rest.size() > entity.name.size() && rest[entity.name.size()] == ';' && rest.starts_with(entity.name))
            return &entity;
    return nullptr;
}

// The longest name in the character table, so a scan for the ";" that ends a
// name stops early on text that holds a lone "&".
constexpr std::size_t longest_name = [] {
    std::size_t longest = 0;
    for (const Entity& entity : character_entities) longest = std::max(longest, entity.name.size());
    return longest;
}();

// The character that the ISO and MathML entity sets give the name at the
// start of `rest` (followed by ";"), for names the seventeen do not cover.
const Entity* character_entity_at(std::string_view rest) {
    const std::size_t semicolon = rest.substr(0, longest_name + 1).find(';');
    if (semicolon == std::string_view::npos || semicolon == 0) return nullptr;
    const std::string_view name = rest.substr(0, semicolon);
    const auto found = std::lower_bound(character_entities.begin(), character_entities.end(), name,
                                        [](const Entity& entity, std::string_view key) { return entity.name < key; });
    if (found == character_entities.end() || found->name != name) return nullptr;
    return &*found;
}

// `characters`: the seventeen names become their characters as well.
void append_with(std::string& out, std::string_view text, bool characters) {
    std::size_t pos = 0;
    for (std::size_t amp; (amp = text.find('&', pos)) != std::string_view::npos;) {
        out.append(text, pos, amp - pos);
        std::string_view rest = text.substr(amp + 1);
        const Entity* entity = entity_at(first_round, rest);
        if (!entity) entity = entity_at(second_round, rest);
        if (!entity && rest.starts_with("amp;")) {
            rest.remove_prefix(4);
            entity = entity_at(second_round, rest);
            if (!entity) {
                out += '&';
                pos = amp + 5;
                continue;
            }
            amp += 4;
        }
        if (!entity) entity = character_entity_at(rest);
        if (!entity) {
            out += '&';
            pos = amp + 1;
            continue;
        }
        const Entity* written = characters ? character_entity_at(rest) : entity;
        out += (written ? written : entity)->text;
        pos = amp + 1 + entity->name.size() + 1;
    }
    out.append(text, pos);
}

}  // namespace

void append_decoded(std::string& out, std::string_view text) { append_with(out, text, false); }

void append_characters(std::string& out, std::string_view text) { append_with(out, text, true); }

std::string decode_entities(std::string_view text) {
    std::string out;
    append_decoded(out, text);
    return out;
}

}  // namespace quillmark
