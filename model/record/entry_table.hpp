// A tree held as one table of entries in document order plus one string
// buffer, so that a whole subtree costs two allocations however large it is.
//
// Every entry records where its subtree ends, which is where its next
// sibling starts. A node's attributes come right after its own entry, before
// its children. Names are stored qualified ("prefix:local"); an attribute's
// value follows its name in the string buffer. Kept XML
// (`Node`) and inline content (`InlineContent`) are both such tables, and
// inline content holds its kept elements as subtrees of its own table.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/record/byte_buffer.hpp"

namespace quillmark {

// Kinds of entry shared by every table; inline kinds use the values below.
namespace entry_kind {
inline constexpr std::uint8_t kept_element = 0x40;
inline constexpr std::uint8_t kept_text = 0x41;
inline constexpr std::uint8_t attribute = 0x42;
}  // namespace entry_kind

struct AttributeView {
    std::string_view name;
    std::optional<std::string_view> prefix;
    std::string_view value;
};

class EntryTable {
public:
    struct Entry {
        std::uint8_t kind = entry_kind::kept_text;
        // An inline container: 1 when `target` is set. A kept element: its
        // ElementRole.
        std::uint8_t detail = 0;
        std::uint16_t prefix_length = 0;
        // The index past the subtree; for an attribute, its value's length.
        std::uint32_t extent = 0;
        // Text: its bytes. Element, attribute: the qualified name. Inline
        // container: its target, when it has one.
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };

    // A position to go back to with `truncate`.
    struct Mark {
        std::size_t entries;
        std::size_t bytes;
    };

    // ----- reading

    std::size_t size() const { return entries_.size(); }
    // The bytes of text, names and values held.
    std::size_t stored_bytes() const { return strings_.size(); }
    const Entry& entry(std::uint32_t index) const { return entries_[index]; }
    std::string_view view(std::uint32_t offset, std::uint32_t length) const {
        return strings_.view(offset, length);
    }
    std::string_view text(const Entry& entry) const { return view(entry.offset, entry.length); }
    std::string_view local_name(const Entry& entry) const {
        return text(entry).substr(entry.prefix_length ? entry.prefix_length + 1u : 0u);
    }
    std::optional<std::string_view> prefix(const Entry& entry) const {
        if (!entry.prefix_length) return std::nullopt;
        return text(entry).substr(0, entry.prefix_length);
    }
    AttributeView attribute(std::uint32_t index) const {
        const Entry& e = entries_[index];
        return {local_name(e), prefix(e), view(e.offset + e.length, e.extent)};
    }
    // The entry past a node's attributes.
    std::uint32_t first_child(std::uint32_t index) const {
        std::uint32_t child = index + 1;
        while (child < entries_.size() && entries_[child].kind == entry_kind::attribute) ++child;
        return child;
    }

    // ----- building, in document order

    // The calls made for every entry are defined below, to be inlined.
    void reserve(std::size_t entries, std::size_t bytes);
    // Starts a node that children may follow; `close` ends it.
    std::uint32_t open(std::uint8_t kind);
    std::uint32_t open_named(std::uint8_t kind, std::string_view name, std::optional<std::string_view> prefix);
    void close(std::uint32_t index) { entries_[index].extent = static_cast<std::uint32_t>(entries_.size()); }
    // An open node's extent is set only when it closes; until then a writer
    // may keep a link of its own there, such as the node it is nested in.
    void set_open_link(std::uint32_t index, std::uint32_t link) { entries_[index].extent = link; }
    // An attribute of the node opened last, before any of its children.
    void add_attribute(std::string_view name, std::optional<std::string_view> prefix, std::string_view value);
    // A text run made of the pieces joined.
    void add_text(std::uint8_t kind, std::initializer_list<std::string_view> pieces);
    void set_detail(std::uint32_t index, std::uint8_t detail) { entries_[index].detail = detail; }
    // Makes the value of the node's attribute `attribute` its target.
    void set_target(std::uint32_t node, std::uint32_t attribute);

    Mark mark() const { return {entries_.size(), strings_.size()}; }
    void truncate(Mark mark);

private:
    void store_qualified(Entry& entry, std::string_view name, std::optional<std::string_view> prefix);

    std::vector<Entry> entries_;
    ByteBuffer strings_;
};

inline void EntryTable::reserve(std::size_t entries, std::size_t bytes) {
    entries_.reserve(entries);
    strings_.reserve(bytes);
}

inline void EntryTable::store_qualified(Entry& entry, std::string_view name, std::optional<std::string_view> prefix) {
    entry.offset = static_cast<std::uint32_t>(strings_.size());
    if (prefix && !prefix->empty()) {
        strings_.append(*prefix);
        strings_.push_back(':');
        entry.prefix_length = static_cast<std::uint16_t>(prefix->size());
    }
    strings_.append(name);
    entry.length = static_cast<std::uint32_t>(strings_.size()) - entry.offset;
}

inline std::uint32_t EntryTable::open(std::uint8_t kind) {
    const auto index = static_cast<std::uint32_t>(entries_.size());
    Entry& entry = entries_.emplace_back();
    entry.kind = kind;
    entry.extent = index + 1;
    return index;
}

inline std::uint32_t EntryTable::open_named(std::uint8_t kind, std::string_view name,
                                            std::optional<std::string_view> prefix) {
    const std::uint32_t index = open(kind);
    store_qualified(entries_.back(), name, prefix);
    return index;
}

inline void EntryTable::add_attribute(std::string_view name, std::optional<std::string_view> prefix,
                                      std::string_view value) {
    Entry& entry = entries_.emplace_back();
    entry.kind = entry_kind::attribute;
    store_qualified(entry, name, prefix);
    entry.extent = static_cast<std::uint32_t>(value.size());
    strings_.append(value);
}

inline void EntryTable::add_text(std::uint8_t kind, std::initializer_list<std::string_view> pieces) {
    const std::uint32_t index = open(kind);
    Entry& entry = entries_[index];
    entry.offset = static_cast<std::uint32_t>(strings_.size());
    for (std::string_view piece : pieces) strings_.append(piece);
    entry.length = static_cast<std::uint32_t>(strings_.size()) - entry.offset;
}

// A run of entries of one table, walked by `Steps`: `Steps::item` makes the
// value at an index and `Steps::next` gives the index after it.
template <typename Steps>
class EntryRange {
public:
    using Item = decltype(Steps::item(nullptr, 0));

    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Item;
        using difference_type = std::ptrdiff_t;
        iterator() = default;
        iterator(const EntryTable* table, std::uint32_t index) : table_(table), index_(index) {}
        Item operator*() const { return Steps::item(table_, index_); }
        iterator& operator++() {
            index_ = Steps::next(table_, index_);
            return *this;
        }
        iterator operator++(int) {
            iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const iterator& a, const iterator& b) { return a.index_ == b.index_; }

    private:
        const EntryTable* table_ = nullptr;
        std::uint32_t index_ = 0;
    };

    EntryRange(const EntryTable* table, std::uint32_t first, std::uint32_t end)
        : table_(table), first_(first), end_(end) {}
    iterator begin() const { return {table_, first_}; }
    iterator end() const { return {table_, end_}; }
    bool empty() const { return first_ == end_; }
    std::size_t size() const { return static_cast<std::size_t>(std::distance(begin(), end())); }

private:
    const EntryTable* table_;
    std::uint32_t first_;
    std::uint32_t end_;
};

// Children of one node (or the top level of a table): each step skips a
// whole subtree. `Item` is made from the table and an entry index.
template <typename Item>
struct SiblingSteps {
    static Item item(const EntryTable* table, std::uint32_t index) { return Item(table, index); }
    static std::uint32_t next(const EntryTable* table, std::uint32_t index) { return table->entry(index).extent; }
};
template <typename Item>
using SiblingRange = EntryRange<SiblingSteps<Item>>;

// The attributes of one node, in source order.
struct AttributeSteps {
    static AttributeView item(const EntryTable* table, std::uint32_t index) { return table->attribute(index); }
    static std::uint32_t next(const EntryTable*, std::uint32_t index) { return index + 1; }
};
using AttributeRange = EntryRange<AttributeSteps>;

}  // namespace quillmark
