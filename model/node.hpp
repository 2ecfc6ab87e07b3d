// Generic kept XML: an element with its whole subtree, or one text run.
//
// A kept subtree is one table of entries in document order plus one string
// buffer, so keeping an element costs two allocations however large it is.
// An element's entry is followed by its attributes' entries and then by its
// children's; it records where its subtree ends, which is where its next
// sibling starts. Names are stored qualified ("prefix:local").
#pragma once

#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmark {

class Node {
    struct Entry;

public:
    enum class Kind : std::uint8_t { Element, Text };

    struct AttributeView {
        std::string_view name;
        std::optional<std::string_view> prefix;
        std::string_view value;
    };

    class Ref;

    // Iterates over the entries of one element that share a kind of step:
    // attributes step by one entry, children skip their subtrees.
    template <typename Item>
    class Range {
    public:
        class iterator {
        public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = Item;
            using difference_type = std::ptrdiff_t;
            iterator() = default;
            iterator(const Node* node, std::uint32_t index) : node_(node), index_(index) {}
            Item operator*() const;
            iterator& operator++();
            iterator operator++(int) {
                iterator before = *this;
                ++*this;
                return before;
            }
            friend bool operator==(const iterator& a, const iterator& b) { return a.index_ == b.index_; }

        private:
            const Node* node_ = nullptr;
            std::uint32_t index_ = 0;
        };
        Range(const Node* node, std::uint32_t first, std::uint32_t end) : node_(node), first_(first), end_(end) {}
        iterator begin() const { return {node_, first_}; }
        iterator end() const { return {node_, end_}; }
        bool empty() const { return first_ == end_; }
        std::size_t size() const { return static_cast<std::size_t>(std::distance(begin(), end())); }

    private:
        const Node* node_;
        std::uint32_t first_;
        std::uint32_t end_;
    };

    // One node of the subtree; valid while its Node lives.
    class Ref {
    public:
        Ref(const Node* node, std::uint32_t index) : node_(node), index_(index) {}
        Kind kind() const;
        bool is_element() const { return kind() == Kind::Element; }
        std::string_view name() const;  // local name of an element
        std::optional<std::string_view> prefix() const;
        std::string_view qualified_name() const;
        std::string_view text_value() const;  // the text of a Text node
        Range<AttributeView> attributes() const;
        Range<Ref> children() const;

    private:
        const Entry& entry() const;
        const Node* node_;
        std::uint32_t index_;
    };

    Node() = default;  // an empty text run
    static Node text(std::string_view content);

    Ref root() const { return {this, 0}; }

private:
    friend class NodeBuilder;

    enum class EntryKind : std::uint8_t { Element, Text, Attribute };
    struct Entry {
        EntryKind kind = EntryKind::Text;
        std::uint16_t prefix_length = 0;  // element and attribute names
        // Element: the index past its subtree. Attribute: its value's offset.
        std::uint32_t extent = 0;
        std::uint32_t offset = 0;  // the qualified name, or the text
        std::uint32_t length = 0;
        // Element: its attribute count. Attribute: its value's length.
        std::uint32_t count = 0;
    };

    std::string_view view(std::uint32_t offset, std::uint32_t length) const {
        return std::string_view(strings_).substr(offset, length);
    }
    std::uint32_t next_sibling(std::uint32_t index) const {
        return entries_[index].kind == EntryKind::Element ? entries_[index].extent : index + 1;
    }

    std::vector<Entry> entries_;
    std::string strings_;
};

// Builds a Node in document order: an element's attributes are added right
// after it starts, before any child.
class NodeBuilder {
public:
    // Sizes the buffers once when the caller knows the totals.
    void reserve(std::size_t entries, std::size_t bytes);
    void start_element(std::string_view name, std::optional<std::string_view> prefix);
    void add_attribute(std::string_view name, std::optional<std::string_view> prefix, std::string_view value);
    // A text run made of the pieces joined.
    void add_text(std::initializer_list<std::string_view> pieces);
    void end_element();
    Node finish();

private:
    std::uint32_t store_qualified(std::string_view name, std::optional<std::string_view> prefix,
                                  Node::Entry& entry);
    Node node_;
    std::vector<std::uint32_t> open_;
};

template <>
inline Node::AttributeView Node::Range<Node::AttributeView>::iterator::operator*() const {
    const Entry& entry = node_->entries_[index_];
    const std::string_view qualified = node_->view(entry.offset, entry.length);
    if (!entry.prefix_length) return {qualified, std::nullopt, node_->view(entry.extent, entry.count)};
    return {qualified.substr(entry.prefix_length + 1u), qualified.substr(0, entry.prefix_length),
            node_->view(entry.extent, entry.count)};
}

template <>
inline Node::Range<Node::AttributeView>::iterator& Node::Range<Node::AttributeView>::iterator::operator++() {
    ++index_;
    return *this;
}

template <>
inline Node::Ref Node::Range<Node::Ref>::iterator::operator*() const {
    return {node_, index_};
}

template <>
inline Node::Range<Node::Ref>::iterator& Node::Range<Node::Ref>::iterator::operator++() {
    index_ = node_->next_sibling(index_);
    return *this;
}

}  // namespace quillmark
