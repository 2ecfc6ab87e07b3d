// Readers shared by the XML parsers: tree walks, short trimmed values, and
// the inline-content reader that keeps text-bearing markup as a typed tree.
// A format describes its own markup with a MarkupRules table.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/record/document.hpp"
#include "source/xml/xml_tree.hpp"

namespace quillmark {

using Names = std::initializer_list<std::string_view>;

// The element children of a node, in document order.
class ElementChildren {
public:
    class iterator {
    public:
        iterator(const XmlTree* tree, XmlId id) : tree_(tree), id_(id) { skip(); }
        XmlId operator*() const { return id_; }
        iterator& operator++() {
            id_ = tree_->next_sibling(id_);
            skip();
            return *this;
        }
        bool operator!=(const iterator& other) const { return id_ != other.id_; }

    private:
        void skip() {
            while (id_ != no_node && !tree_->is_element(id_)) id_ = tree_->next_sibling(id_);
        }
        const XmlTree* tree_;
        XmlId id_;
    };
    ElementChildren(const XmlTree& tree, XmlId parent) : tree_(&tree), parent_(parent) {}
    iterator begin() const { return {tree_, tree_->first_child(parent_)}; }
    iterator end() const { return {tree_, no_node}; }

private:
    const XmlTree* tree_;
    XmlId parent_;
};

inline ElementChildren element_children(const XmlTree& tree, XmlId id) { return {tree, id}; }

inline bool name_is_one_of(std::string_view name, std::span<const std::string_view> names) {
    for (std::string_view candidate : names)
        if (name == candidate) return true;
    return false;
}
inline bool name_is_one_of(std::string_view name, Names names) {
    return name_is_one_of(name, std::span<const std::string_view>(names.begin(), names.size()));
}
// The first element child whose name is one of `names`, or no_node.
XmlId find_child(const XmlTree& tree, XmlId id, Names names);
// The first element among all descendants (depth first) with that name.
XmlId find_descendant(const XmlTree& tree, XmlId id, std::string_view name);
// All text and CDATA below the node; an entity reference adds its
// replacement text, or "&name;" when the entity is undeclared.
std::string text_content(const XmlTree& tree, XmlId id);
// The trimmed text content of a node; absent when blank.
OptionalText trimmed_text(const XmlTree& tree, XmlId id);
std::string trimmed_text_or_empty(const XmlTree& tree, XmlId id);
// The text content without the white space after it, the spaces in front
// kept: a fixed-width value's padding ("  2 61"). Absent when blank.
OptionalText padded_text(const XmlTree& tree, XmlId id);
// Either of the two above, for readers that take one.
using TextReader = OptionalText (*)(const XmlTree& tree, XmlId id);
// The trimmed text of the first child named one of `names`; absent when
// missing or blank.
OptionalText child_text(const XmlTree& tree, XmlId id, Names names);
OptionalText attribute_text(const XmlTree& tree, XmlId id, std::string_view name);

// An optional "+" and one or more ASCII digits, at most 4294967295.
std::optional<std::uint32_t> parse_unsigned(std::string_view text);

struct InlineElementRule {
    std::string_view element;
    InlineKind kind;
    std::span<const std::string_view> target_attributes;  // first present wins
};

struct MarkupRules {
    std::span<const InlineElementRule> inline_elements;
    std::span<const std::string_view> transparent_elements;  // children read in place
    std::string_view text_element;                            // whole text content becomes Text
    bool keep_processing_instructions = false;
    std::string_view id_attribute;                      // paragraph id
    std::span<const std::string_view> level_attributes;  // the first one present is read
    std::string_view align_attribute;                   // heading align; empty when none
};

InlineContent read_inline(const XmlTree& tree, XmlId id, const MarkupRules& rules);
Paragraph read_paragraph(const XmlTree& tree, XmlId id, const MarkupRules& rules);
Heading read_heading(const XmlTree& tree, XmlId id, const MarkupRules& rules);

}  // namespace quillmark
