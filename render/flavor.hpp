// The Markdown layouts a document can be rendered in: the default one and
// GitHub Flavored Markdown ("gfm").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillmark {

enum class Flavor : std::uint8_t { Default, Gfm };

// The flavour a caller names; nothing for a name no flavour has.
std::optional<Flavor> flavor_named(std::string_view name);
// The message for a name no flavour has.
std::string unknown_flavor_message(std::string_view name);

}  // namespace quillmark
