#include "model/node.hpp"

namespace quillmark {

const Node::Entry& Node::Ref::entry() const {
    static const Entry empty_text{};  // what a default Node reads as
    return node_->entries_.empty() ? empty_text : node_->entries_[index_];
}

Node::Kind Node::Ref::kind() const { return entry().kind == EntryKind::Element ? Kind::Element : Kind::Text; }

std::string_view Node::Ref::qualified_name() const {
    const Entry& e = entry();
    if (e.kind != EntryKind::Element) return {};
    return node_->view(e.offset, e.length);
}

std::string_view Node::Ref::name() const {
    const std::string_view qualified = qualified_name();
    const std::uint16_t prefix_length = entry().prefix_length;
    return prefix_length ? qualified.substr(prefix_length + 1u) : qualified;
}

std::optional<std::string_view> Node::Ref::prefix() const {
    const std::uint16_t prefix_length = entry().prefix_length;
    if (!prefix_length) return std::nullopt;
    return qualified_name().substr(0, prefix_length);
}

std::string_view Node::Ref::text_value() const {
    const Entry& e = entry();
    if (e.kind != EntryKind::Text) return {};
    return node_->view(e.offset, e.length);
}

Node::Range<Node::AttributeView> Node::Ref::attributes() const {
    const Entry& e = entry();
    if (e.kind != EntryKind::Element) return {node_, 0, 0};
    return {node_, index_ + 1, index_ + 1 + e.count};
}

Node::Range<Node::Ref> Node::Ref::children() const {
    const Entry& e = entry();
    if (e.kind != EntryKind::Element) return {node_, 0, 0};
    return {node_, index_ + 1 + e.count, e.extent};
}

Node Node::text(std::string_view content) {
    NodeBuilder builder;
    builder.add_text({content});
    return builder.finish();
}

void NodeBuilder::reserve(std::size_t entries, std::size_t bytes) {
    node_.entries_.reserve(entries);
    node_.strings_.reserve(bytes);
}

std::uint32_t NodeBuilder::store_qualified(std::string_view name, std::optional<std::string_view> prefix,
                                           Node::Entry& entry) {
    std::string& strings = node_.strings_;
    entry.offset = static_cast<std::uint32_t>(strings.size());
    if (prefix && !prefix->empty()) {
        strings.append(*prefix);
        strings += ':';
        entry.prefix_length = static_cast<std::uint16_t>(prefix->size());
    }
    strings.append(name);
    entry.length = static_cast<std::uint32_t>(strings.size()) - entry.offset;
    const auto index = static_cast<std::uint32_t>(node_.entries_.size());
    node_.entries_.push_back(entry);
    return index;
}

void NodeBuilder::start_element(std::string_view name, std::optional<std::string_view> prefix) {
    Node::Entry entry;
    entry.kind = Node::EntryKind::Element;
    open_.push_back(store_qualified(name, prefix, entry));
}

void NodeBuilder::add_attribute(std::string_view name, std::optional<std::string_view> prefix,
                                std::string_view value) {
    Node::Entry entry;
    entry.kind = Node::EntryKind::Attribute;
    store_qualified(name, prefix, entry);
    Node::Entry& stored = node_.entries_.back();
    stored.extent = static_cast<std::uint32_t>(node_.strings_.size());
    stored.count = static_cast<std::uint32_t>(value.size());
    node_.strings_.append(value);
    ++node_.entries_[open_.back()].count;
}

void NodeBuilder::add_text(std::initializer_list<std::string_view> pieces) {
    Node::Entry entry;
    entry.offset = static_cast<std::uint32_t>(node_.strings_.size());
    for (std::string_view piece : pieces) node_.strings_.append(piece);
    entry.length = static_cast<std::uint32_t>(node_.strings_.size()) - entry.offset;
    node_.entries_.push_back(entry);
}

void NodeBuilder::end_element() {
    node_.entries_[open_.back()].extent = static_cast<std::uint32_t>(node_.entries_.size());
    open_.pop_back();
}

Node NodeBuilder::finish() {
    while (!open_.empty()) end_element();
    return std::move(node_);
}

}  // namespace quillmark
