// The Markdown layouts a document can be rendered in, each by its name and
// its writers of the five sections: the default layout ("default") and
// GitHub Flavored Markdown ("gfm").
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/record/document.hpp"
#include "render/template.hpp"

namespace quillmark {

enum class Flavor : std::uint8_t { Default, Gfm };

using SectionWriter = std::string (*)(const Document&);

struct FlavorEntry {
    Flavor flavor;
    std::string_view name;
    // Indexed by `SectionKind`.
    std::array<SectionWriter, 5> writers;
};

// Every flavour, the default layout first.
std::span<const FlavorEntry> flavors();
const FlavorEntry& flavor_entry(Flavor flavor);
// The flavour a caller names; nothing for a name no flavour has.
std::optional<Flavor> flavor_named(std::string_view name);
// The names of every flavour, each between `quote`s, joined by ", " but the
// last by `last`: "'default' or 'gfm'".
std::string flavor_choices(std::string_view quote, std::string_view last);
// The message for a name no flavour has.
std::string unknown_flavor_message(std::string_view name);

}  // namespace quillmark
