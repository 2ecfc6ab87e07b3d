#include "source/xml/xml_tree.hpp"

namespace quillmark {

std::optional<std::string_view> XmlTree::attribute_value(XmlId id, std::string_view name) const {
    if (!is_element(id)) return std::nullopt;
    const XmlNodeRecord& node = nodes_[id];
    for (std::uint32_t i = 0; i < node.text.length; ++i) {
        const XmlAttributeRecord& a = attributes_[node.text.offset + i];
        if (local_part(a.name, a.prefix_length) == name) return view(a.value);
    }
    return std::nullopt;
}

XmlTreeBuilder::XmlTreeBuilder(std::string_view text) {
    // USPTO XML holds about one node per 30 bytes; reserving for one per 8
    // avoids regrowing the table, and pages never written cost nothing.
    tree_.strings_.reserve(text.size());
    tree_.nodes_.reserve(text.size() / 8 + 16);
    tree_.nodes_.emplace_back();                        // id 0: no node
    tree_.nodes_.emplace_back();                        // id 1: the document (the default kind)
    open_.push_back({tree_.document(), no_node});
}

XmlSpan XmlTreeBuilder::store(std::string_view text) {
    XmlSpan span{static_cast<std::uint32_t>(tree_.strings_.size()), static_cast<std::uint32_t>(text.size())};
    tree_.strings_.append(text);
    return span;
}

XmlId XmlTreeBuilder::append_node(XmlNodeRecord record) {
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

XmlSpan XmlTreeBuilder::store_qualified(std::string_view name, const std::optional<std::string_view>& prefix,
                                        std::uint16_t& prefix_length) {
    if (!prefix || prefix->empty()) return store(name);
    XmlSpan span = store(*prefix);
    tree_.strings_ += ':';
    tree_.strings_.append(name);
    span.length += static_cast<std::uint32_t>(name.size() + 1);
    prefix_length = static_cast<std::uint16_t>(prefix->size());
    return span;
}

void XmlTreeBuilder::start_element(std::string_view name, const std::optional<std::string_view>& prefix) {
    XmlNodeRecord record;
    record.kind = XmlKind::Element;
    record.name = store_qualified(name, prefix, record.prefix_length);
    record.text.offset = static_cast<std::uint32_t>(tree_.attributes_.size());
    const XmlId id = append_node(record);
    open_.push_back({id, no_node});
}

void XmlTreeBuilder::begin_attribute(std::string_view name, const std::optional<std::string_view>& prefix) {
    XmlAttributeRecord record;
    record.name = store_qualified(name, prefix, record.prefix_length);
    record.value.offset = static_cast<std::uint32_t>(tree_.strings_.size());
    tree_.attributes_.push_back(record);
    ++tree_.nodes_[open_.back().id].text.length;
}

void XmlTreeBuilder::append_attribute_value(std::string_view piece) {
    tree_.strings_.append(piece);
    tree_.attributes_.back().value.length += static_cast<std::uint32_t>(piece.size());
}

void XmlTreeBuilder::add_attribute(std::string_view name, const std::optional<std::string_view>& prefix,
                                   std::string_view value) {
    begin_attribute(name, prefix);
    append_attribute_value(value);
}

void XmlTreeBuilder::end_element() {
    if (open_.size() > 1) open_.pop_back();
}

std::size_t XmlTreeBuilder::add_character_data(XmlKind kind, std::string_view data) {
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

void XmlTreeBuilder::add_comment(std::string_view text) {
    XmlNodeRecord record;
    record.kind = XmlKind::Comment;
    record.text = store(text);
    append_node(record);
}

void XmlTreeBuilder::add_processing_instruction(std::string_view target, const std::optional<std::string_view>& data) {
    XmlNodeRecord record;
    record.kind = XmlKind::ProcessingInstruction;
    record.name = store(target);
    if (data) {
        record.flags |= XmlNodeRecord::has_text;
        record.text = store(*data);
    }
    append_node(record);
}

void XmlTreeBuilder::add_entity_reference(std::string_view name, const std::optional<std::string_view>& replacement) {
    XmlNodeRecord record;
    record.kind = XmlKind::EntityReference;
    record.name = store(name);
    if (replacement) {
        record.flags |= XmlNodeRecord::has_text;
        record.text = store(*replacement);
    }
    append_node(record);
}

XmlTree XmlTreeBuilder::finish() { return std::move(tree_); }

}  // namespace quillmark
