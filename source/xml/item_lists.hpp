// Bibliographic entries that stand next to each other in the source share
// one item; any other item in between starts a new one.
#pragma once

#include <type_traits>
#include <variant>
#include <vector>

#include "model/record/document.hpp"

namespace quillmark {

// Appends `entry` to the list `entries` of the last item when that item is
// an `Item`, else to a new `Item` (with no attributes).
template <class Item, class Entry>
void add_to_last_item(std::vector<BibliographicItem>& items, std::vector<Entry> Item::*entries,
                      std::type_identity_t<Entry> entry) {
    if (items.empty() || !std::holds_alternative<Item>(items.back())) items.emplace_back(Item{});
    (std::get<Item>(items.back()).*entries).push_back(std::move(entry));
}

inline void add_priority_claim(std::vector<BibliographicItem>& items, PriorityClaim claim) {
    add_to_last_item(items, &PriorityClaims::claims, std::move(claim));
}

}  // namespace quillmark
