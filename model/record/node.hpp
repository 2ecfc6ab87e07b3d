// Generic kept XML: an element with its whole subtree, or one text run,
// held as an entry table (see entry_table.hpp).
#pragma once

#include "model/record/element_role.hpp"
#include "model/record/entry_table.hpp"

namespace quillmark {

class Node {
public:
    enum class Kind : std::uint8_t { Element, Text };

    // One node of kept XML; valid while the table holding it lives.
    class Ref {
    public:
        Ref(const EntryTable* table, std::uint32_t index) : table_(table), index_(index) {}
        Kind kind() const;
        bool is_element() const { return kind() == Kind::Element; }
        std::string_view name() const;  // the local name of an element
        ElementRole role() const;       // Transparent for text
        std::optional<std::string_view> prefix() const;
        std::string_view qualified_name() const;
        std::string_view text_value() const;  // the text of a Text node
        AttributeRange attributes() const;
        // The value of the first attribute of that local name, any prefix.
        std::optional<std::string_view> attribute(std::string_view local_name) const;
        SiblingRange<Ref> children() const;
        // Kept text that writes back a processing instruction ("<?...?>")
        // or a comment ("<!--...-->"): markup, not text of the document.
        bool is_processing_instruction() const;
        bool is_comment() const;
        bool is_instruction_or_comment() const { return is_processing_instruction() || is_comment(); }

    private:
        const EntryTable::Entry& entry() const;
        const EntryTable* table_;
        std::uint32_t index_;
    };

    Node() = default;  // an empty text run
    explicit Node(EntryTable table) : table_(std::move(table)) {}
    static Node text(std::string_view content);

    Ref root() const { return {&table_, 0}; }
    // The bytes of text, names and values the subtree holds.
    std::size_t stored_bytes() const { return table_.stored_bytes(); }

private:
    EntryTable table_;
};

// The accessors every renderer calls for each node, inlined.

inline const EntryTable::Entry& Node::Ref::entry() const {
    static constexpr EntryTable::Entry empty_text{};  // what a default Node reads as
    return table_->size() == 0 ? empty_text : table_->entry(index_);
}

inline Node::Kind Node::Ref::kind() const {
    return entry().kind == entry_kind::kept_element ? Kind::Element : Kind::Text;
}

inline ElementRole Node::Ref::role() const {
    const EntryTable::Entry& e = entry();
    return e.kind == entry_kind::kept_element ? static_cast<ElementRole>(e.detail) : ElementRole::Transparent;
}

inline std::string_view Node::Ref::text_value() const {
    const EntryTable::Entry& e = entry();
    return e.kind == entry_kind::kept_text ? table_->text(e) : std::string_view();
}

inline SiblingRange<Node::Ref> Node::Ref::children() const {
    const EntryTable::Entry& e = entry();
    if (e.kind != entry_kind::kept_element) return {table_, 0, 0};
    return {table_, table_->first_child(index_), e.extent};
}

// Writes kept XML into a table in document order: an element's attributes
// right after it starts, before any child.
class NodeWriter {
public:
    explicit NodeWriter(EntryTable& table) : table_(table) {}
    void start_element(std::string_view name, std::optional<std::string_view> prefix,
                       ElementRole role = ElementRole::Transparent);
    void add_attribute(std::string_view name, std::optional<std::string_view> prefix, std::string_view value);
    void add_text(std::initializer_list<std::string_view> pieces) { table_.add_text(entry_kind::kept_text, pieces); }
    void end_element();

private:
    static constexpr std::uint32_t none_open = 0xFFFFFFFF;
    EntryTable& table_;
    // The innermost element not yet ended. Each open element's entry links
    // to the one it is nested in, so nesting needs no stack of its own.
    std::uint32_t innermost_ = none_open;
};

}  // namespace quillmark
