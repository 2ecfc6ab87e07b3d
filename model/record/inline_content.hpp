// Inline markup of a paragraph, heading or claim: text runs, typed
// containers (emphasis, references, claim text) and kept elements, held as
// one entry table (see entry_table.hpp). Kept elements are subtrees of the
// same table.
#pragma once

#include "model/record/entry_table.hpp"
#include "model/record/node.hpp"

namespace quillmark {

enum class InlineKind : std::uint8_t {
    Text,
    Number,
    CrossReference,
    FigureReference,
    ClaimReference,
    Bold,
    Italic,
    Highlight,
    ClaimText,
    Element,
};

class InlineContent {
public:
    // One inline node; valid while its content lives.
    class Ref {
    public:
        Ref(const EntryTable* table, std::uint32_t index) : table_(table), index_(index) {}
        InlineKind kind() const;
        std::string_view text_value() const;  // Text
        Node::Ref element_value() const { return {table_, index_}; }  // Element
        // Containers: every kind but Text and Element.
        SiblingRange<Ref> children() const;
        AttributeRange attributes() const;
        std::optional<std::string_view> target() const;  // the three reference kinds

    private:
        const EntryTable* table_;
        std::uint32_t index_;
    };
    using Nodes = SiblingRange<Ref>;

    InlineContent() = default;
    static InlineContent of_text(std::string_view text);

    Nodes nodes() const { return {&table_, 0, static_cast<std::uint32_t>(table_.size())}; }
    Nodes::iterator begin() const { return nodes().begin(); }
    Nodes::iterator end() const { return nodes().end(); }
    bool empty() const { return table_.size() == 0; }
    std::size_t stored_bytes() const { return table_.stored_bytes(); }

    // ----- building, in document order

    void reserve(std::size_t entries, std::size_t bytes) { table_.reserve(entries, bytes); }
    void add_text(std::initializer_list<std::string_view> pieces) { table_.add_text(text_kind, pieces); }
    // A container; its attributes follow right away, then its children,
    // then `close`.
    std::uint32_t open(InlineKind kind) { return table_.open(static_cast<std::uint8_t>(kind)); }
    void add_attribute(std::string_view name, std::optional<std::string_view> prefix, std::string_view value) {
        table_.add_attribute(name, prefix, value);
    }
    // The value of the container's attribute number `ordinal` becomes its target.
    void set_target(std::uint32_t container, std::uint32_t ordinal) {
        table_.set_target(container, container + 1 + ordinal);
    }
    void close(std::uint32_t container) { table_.close(container); }
    // Kept elements are written with this writer.
    NodeWriter kept_writer() { return NodeWriter(table_); }

    EntryTable::Mark mark() const { return table_.mark(); }
    void truncate(EntryTable::Mark mark) { table_.truncate(mark); }

private:
    static constexpr std::uint8_t text_kind = static_cast<std::uint8_t>(InlineKind::Text);
    EntryTable table_;
};

// The accessors every renderer calls for each node, inlined.

inline InlineKind InlineContent::Ref::kind() const {
    const std::uint8_t kind = table_->entry(index_).kind;
    if (kind == entry_kind::kept_element || kind == entry_kind::kept_text) return InlineKind::Element;
    return static_cast<InlineKind>(kind);
}

inline std::string_view InlineContent::Ref::text_value() const {
    const EntryTable::Entry& entry = table_->entry(index_);
    return entry.kind == text_kind ? table_->text(entry) : std::string_view();
}

inline SiblingRange<InlineContent::Ref> InlineContent::Ref::children() const {
    const EntryTable::Entry& entry = table_->entry(index_);
    return {table_, table_->first_child(index_), entry.extent};
}

}  // namespace quillmark
