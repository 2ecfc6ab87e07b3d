// The parsed XML text as a flat node table: nodes are addressed by a small
// integer id (0 is never a node) in document order, so a node's first child,
// when it has one, is the next id; siblings are linked, and every string
// lives in one buffer owned by the tree.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "source/xml/element_roles.hpp"

namespace quillmark {

using XmlId = std::uint32_t;
inline constexpr XmlId no_node = 0;

enum class XmlKind : std::uint8_t {
    Document,
    Element,
    Text,
    CData,
    Comment,
    ProcessingInstruction,
    EntityReference,
};

// A stretch of the tree's string buffer.
struct XmlSpan {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

// Names are stored qualified ("prefix:local"); prefix_length is 0 when the
// name has no prefix.
struct XmlAttributeRecord {
    XmlSpan name;
    XmlSpan value;
    std::uint16_t prefix_length = 0;
};

struct XmlNodeRecord {
    XmlKind kind = XmlKind::Document;
    // has_text: a processing instruction's data is present, an entity's
    // replacement is known.
    static constexpr std::uint8_t has_text = 1;
    static constexpr std::uint8_t has_children = 2;
    std::uint8_t flags = 0;
    std::uint16_t prefix_length = 0;
    XmlId next_sibling = no_node;
    XmlSpan name;  // element name, processing-instruction target, entity name
    // Character data, comment text, instruction data or entity replacement;
    // for an element, its first attribute and attribute count.
    XmlSpan text;
};

class XmlTree {
public:
    struct Attribute {
        std::string_view name;
        std::optional<std::string_view> prefix;
        std::string_view value;
    };

    XmlId document() const { return 1; }
    XmlKind kind(XmlId id) const { return nodes_[id].kind; }
    bool is_element(XmlId id) const { return nodes_[id].kind == XmlKind::Element; }
    XmlId first_child(XmlId id) const { return nodes_[id].flags & XmlNodeRecord::has_children ? id + 1 : no_node; }
    XmlId next_sibling(XmlId id) const { return nodes_[id].next_sibling; }
    std::string_view name(XmlId id) const { return local_part(nodes_[id].name, nodes_[id].prefix_length); }
    std::optional<std::string_view> prefix(XmlId id) const { return prefix_part(nodes_[id].name, nodes_[id].prefix_length); }
    std::string_view text(XmlId id) const { return view(nodes_[id].text); }
    bool has_text(XmlId id) const { return nodes_[id].flags & XmlNodeRecord::has_text; }

    std::size_t attribute_count(XmlId id) const { return is_element(id) ? nodes_[id].text.length : 0; }
    Attribute attribute(XmlId id, std::size_t index) const {
        const XmlAttributeRecord& a = attributes_[nodes_[id].text.offset + index];
        return {local_part(a.name, a.prefix_length), prefix_part(a.name, a.prefix_length), view(a.value)};
    }
    // The value of the first attribute named `name` (no prefix test).
    std::optional<std::string_view> attribute_value(XmlId id, std::string_view name) const;

    std::size_t node_count() const { return nodes_.size(); }

    // The names of the generation the document is read as, by which its
    // kept elements get their roles.
    RoleTable element_roles() const { return element_roles_; }
    void set_element_roles(RoleTable roles) { element_roles_ = roles; }

private:
    friend class XmlTreeBuilder;
    std::string_view view(XmlSpan span) const { return std::string_view(strings_).substr(span.offset, span.length); }
    std::string_view local_part(XmlSpan span, std::uint16_t prefix_length) const {
        return prefix_length ? view(span).substr(prefix_length + 1u) : view(span);
    }
    std::optional<std::string_view> prefix_part(XmlSpan span, std::uint16_t prefix_length) const {
        if (!prefix_length) return std::nullopt;
        return view(span).substr(0, prefix_length);
    }

    std::vector<XmlNodeRecord> nodes_;
    std::vector<XmlAttributeRecord> attributes_;
    std::string strings_;
    RoleTable element_roles_;
};

// Appends nodes in document order while a parser reports them.
class XmlTreeBuilder {
public:
    explicit XmlTreeBuilder(std::string_view text);

    void start_element(std::string_view name, const std::optional<std::string_view>& prefix);
    void add_attribute(std::string_view name, const std::optional<std::string_view>& prefix, std::string_view value);
    // Appends a value that is built piece by piece (for attributes whose
    // references are replaced): begin, append pieces, end.
    void begin_attribute(std::string_view name, const std::optional<std::string_view>& prefix);
    void append_attribute_value(std::string_view piece);
    void end_element();
    // Text or CData; adjacent runs merge into one node, whose length is returned.
    std::size_t add_character_data(XmlKind kind, std::string_view data);
    void add_comment(std::string_view text);
    void add_processing_instruction(std::string_view target, const std::optional<std::string_view>& data);
    void add_entity_reference(std::string_view name, const std::optional<std::string_view>& replacement);

    // The bytes of text held so far.
    std::size_t stored_bytes() const { return tree_.strings_.size(); }

    XmlTree finish();

private:
    XmlSpan store(std::string_view text);
    XmlSpan store_qualified(std::string_view name, const std::optional<std::string_view>& prefix,
                            std::uint16_t& prefix_length);
    XmlId append_node(XmlNodeRecord record);

    struct OpenNode {
        XmlId id;
        XmlId last_child;
    };
    XmlTree tree_;
    std::vector<OpenNode> open_;
};

}  // namespace quillmark
