// Tables that map an element's name to what a parser does with it: the
// readers of a family's sections and bibliographic items are listed by the
// names they read, so a family's vocabulary stands in one place.
#pragma once

#include <span>
#include <string_view>

namespace quillmark {

template <class Handler>
struct NameRule {
    std::string_view name;
    Handler handler;
};

// The handler listed for `name` (exact, case-sensitive), or nullptr.
template <class Handler>
const Handler* handler_for(std::span<const NameRule<Handler>> rules, std::string_view name) {
    for (const NameRule<Handler>& rule : rules)
        if (rule.name == name) return &rule.handler;
    return nullptr;
}

}  // namespace quillmark
