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

#include "model/record/byte_buffer.hpp"
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
    XmlTree() = default;
    XmlTree(XmlTree&&) noexcept = default;
    XmlTree& operator=(XmlTree&&) noexcept = default;
    // Leaves its tables to the next tree built on this thread while a
    // ParseWorkspace lives there (see XmlTreeBuilder).
    ~XmlTree();

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

    // The bytes of the name with its prefix ("prefix:local"), and of every
    // attribute's qualified name and value: what a copy of the element stores.
    std::size_t qualified_name_size(XmlId id) const { return nodes_[id].name.length; }
    std::size_t attribute_bytes(XmlId id) const;

    std::size_t node_count() const { return nodes_.size(); }

    // The names of the generation the document is read as, by which its
    // kept elements get their roles.
    RoleTable element_roles() const { return element_roles_; }
    void set_element_roles(RoleTable roles) { element_roles_ = roles; }

private:
    friend class XmlTreeBuilder;
    std::string_view view(XmlSpan span) const { return strings_.view(span.offset, span.length); }
    std::string_view local_part(XmlSpan span, std::uint16_t prefix_length) const {
        return prefix_length ? view(span).substr(prefix_length + 1u) : view(span);
    }
    std::optional<std::string_view> prefix_part(XmlSpan span, std::uint16_t prefix_length) const {
        if (!prefix_length) return std::nullopt;
        return view(span).substr(0, prefix_length);
    }

    std::vector<XmlNodeRecord> nodes_;
    std::vector<XmlAttributeRecord> attributes_;
    ByteBuffer strings_;
    RoleTable element_roles_;
};

// Appends nodes in document order while a parser reports them, in the
// tables of the last tree freed on the same thread when a ParseWorkspace
// kept them (source/parse_workspace.hpp).
class XmlTreeBuilder {
public:
    explicit XmlTreeBuilder(std::string_view text);

    // The calls made for every element and text run are defined below, so
    // that they are inlined into the parser's callbacks.
    void start_element(std::string_view name, const std::optional<std::string_view>& prefix);
    void add_attribute(std::string_view name, const std::optional<std::string_view>& prefix, std::string_view value);
    // Appends a value that is built piece by piece (for attributes whose
    // references are replaced): begin, append pieces, end.
    void begin_attribute(std::string_view name, const std::optional<std::string_view>& prefix);
    void append_attribute_value(std::string_view piece);
    void end_element() {
        if (open_.size() > 1) open_.pop_back();
    }
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

inline XmlSpan XmlTreeBuilder::store(std::string_view text) {
    XmlSpan span{static_cast<std::uint32_t>(tree_.strings_.size()), static_cast<std::uint32_t>(text.size())};
    tree_.strings_.append(text);
    return span;
}

inline XmlId XmlTreeBuilder::append_node(XmlNodeRecord record) {
    const XmlId id = static_cast<XmlId>(tree_.nodes_.size());
    tree_.nodes_.push_back(record);
    OpenNode& parent = open_.back();
    if (parent.last_child == no_node)
        tree_.nodes_[parent.id].flags |= XmlNodeRecord::has_children;  // it is parent.id + 1
    else
        tree_.nodes_[parent.last_child].next_sibling = id;
    parent.last_child = id;
    return id;
}

inline XmlSpan XmlTreeBuilder::store_qualified(std::string_view name, const std::optional<std::string_view>& prefix,
                                               std::uint16_t& prefix_length) {
    if (!prefix || prefix->empty()) return store(name);
    XmlSpan span = store(*prefix);
    tree_.strings_.push_back(':');
    tree_.strings_.append(name);
    span.length += static_cast<std::uint32_t>(name.size() + 1);
    prefix_length = static_cast<std::uint16_t>(prefix->size());
    return span;
}

inline void XmlTreeBuilder::start_element(std::string_view name, const std::optional<std::string_view>& prefix) {
    XmlNodeRecord record;
    record.kind = XmlKind::Element;
    record.name = store_qualified(name, prefix, record.prefix_length);
    record.text.offset = static_cast<std::uint32_t>(tree_.attributes_.size());
    const XmlId id = append_node(record);
    open_.push_back({id, no_node});
}

inline void XmlTreeBuilder::begin_attribute(std::string_view name, const std::optional<std::string_view>& prefix) {
    XmlAttributeRecord record;
    record.name = store_qualified(name, prefix, record.prefix_length);
    record.value.offset = static_cast<std::uint32_t>(tree_.strings_.size());
    tree_.attributes_.push_back(record);
    ++tree_.nodes_[open_.back().id].text.length;
}

inline void XmlTreeBuilder::append_attribute_value(std::string_view piece) {
    tree_.strings_.append(piece);
    tree_.attributes_.back().value.length += static_cast<std::uint32_t>(piece.size());
}

inline void XmlTreeBuilder::add_attribute(std::string_view name, const std::optional<std::string_view>& prefix,
                                          std::string_view value) {
    begin_attribute(name, prefix);
    append_attribute_value(value);
}

inline std::size_t XmlTreeBuilder::add_character_data(XmlKind kind, std::string_view data) {
    const XmlId last = open_.back().last_child;
    if (last != no_node) {
        XmlNodeRecord& previous = tree_.nodes_[last];
        // Runs the parser reports one after the other form one node; they are
        // adjacent in the buffer when nothing was stored in between.
        if (previous.kind == kind && previous.text.offset + previous.text.length == tree_.strings_.size()) {
            tree_.strings_.append(data);
            previous.text.length += static_cast<std::uint32_t>(data.size());
            return previous.text.length;
        }
    }
    XmlNodeRecord record;
    record.kind = kind;
    record.text = store(data);
    append_node(record);
    return data.size();
}

}  // namespace quillmark
