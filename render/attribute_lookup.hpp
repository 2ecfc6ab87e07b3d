// An attribute without a prefix looked up by name, in kept XML
// (`Node::Ref::attributes()`, `InlineContent::Ref::attributes()`) or in a
// record's `Attributes`.
#pragma once

#include <optional>
#include <string_view>

#include "render/ascii_case.hpp"

namespace quillmark {

template <typename Attributes, typename SameName>
std::optional<std::string_view> find_unprefixed(const Attributes& attributes, SameName same_name) {
    for (const auto& attribute : attributes)
        if (!attribute.prefix && same_name(std::string_view(attribute.name))) return std::string_view(attribute.value);
    return std::nullopt;
}

// The value of the attribute named exactly `name`.
template <typename Attributes>
std::optional<std::string_view> unprefixed_attribute(const Attributes& attributes, std::string_view name) {
    return find_unprefixed(attributes, [name](std::string_view candidate) { return candidate == name; });
}

// The value of the attribute named `lower_name`, its letters in any case:
// v2.5 writes "FILE" and "LVL" where v4 writes "file" and "lvl".
template <typename Attributes>
std::optional<std::string_view> attribute_ignoring_case(const Attributes& attributes, std::string_view lower_name) {
    return find_unprefixed(attributes, [lower_name](std::string_view candidate) {
        return candidate.size() == lower_name.size() && starts_with_ignoring_case(candidate, lower_name);
    });
}

}  // namespace quillmark
