#include "model/record/entry_table.hpp"

namespace quillmark {

void EntryTable::reserve(std::size_t entries, std::size_t bytes) {
    entries_.reserve(entries);
    strings_.reserve(bytes);
}

void EntryTable::store_qualified(Entry& entry, std::string_view name, std::optional<std::string_view> prefix) {
    entry.offset = static_cast<std::uint32_t>(strings_.size());
    if (prefix && !prefix->empty()) {
        strings_.append(*prefix);
        strings_ += ':';
        entry.prefix_length = static_cast<std::uint16_t>(prefix->size());
    }
    strings_.append(name);
    entry.length = static_cast<std::uint32_t>(strings_.size()) - entry.offset;
}

std::uint32_t EntryTable::open(std::uint8_t kind) {
    const auto index = static_cast<std::uint32_t>(entries_.size());
    Entry& entry = entries_.emplace_back();
    entry.kind = kind;
    entry.extent = index + 1;
    return index;
}

std::uint32_t EntryTable::open_named(std::uint8_t kind, std::string_view name, std::optional<std::string_view> prefix) {
    const std::uint32_t index = open(kind);
    store_qualified(entries_.back(), name, prefix);
    return index;
}

void EntryTable::add_attribute(std::string_view name, std::optional<std::string_view> prefix, std::string_view value) {
    Entry& entry = entries_.emplace_back();
    entry.kind = entry_kind::attribute;
    store_qualified(entry, name, prefix);
    entry.extent = static_cast<std::uint32_t>(value.size());
    strings_.append(value);
}

void EntryTable::add_text(std::uint8_t kind, std::initializer_list<std::string_view> pieces) {
    const std::uint32_t index = open(kind);
    Entry& entry = entries_[index];
    entry.offset = static_cast<std::uint32_t>(strings_.size());
    for (std::string_view piece : pieces) strings_.append(piece);
    entry.length = static_cast<std::uint32_t>(strings_.size()) - entry.offset;
}

void EntryTable::set_target(std::uint32_t node, std::uint32_t attribute) {
    Entry& entry = entries_[node];
    entry.detail = 1;
    entry.offset = entries_[attribute].offset + entries_[attribute].length;
    entry.length = entries_[attribute].extent;
}

void EntryTable::truncate(Mark mark) {
    entries_.resize(mark.entries);
    strings_.resize(mark.bytes);
}

}  // namespace quillmark
