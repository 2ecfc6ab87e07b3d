#include "model/record/node.hpp"

namespace quillmark {

std::string_view Node::Ref::qualified_name() const {
    const EntryTable::Entry& e = entry();
    return e.kind == entry_kind::kept_element ? table_->text(e) : std::string_view();
}

std::string_view Node::Ref::name() const {
    const EntryTable::Entry& e = entry();
    return e.kind == entry_kind::kept_element ? table_->local_name(e) : std::string_view();
}

std::optional<std::string_view> Node::Ref::prefix() const {
    const EntryTable::Entry& e = entry();
    if (e.kind != entry_kind::kept_element) return std::nullopt;
    return table_->prefix(e);
}

AttributeRange Node::Ref::attributes() const {
    if (entry().kind != entry_kind::kept_element) return {table_, 0, 0};
    return {table_, index_ + 1, table_->first_child(index_)};
}

std::optional<std::string_view> Node::Ref::attribute(std::string_view local_name) const {
    for (const AttributeView& attribute : attributes())
        if (attribute.name == local_name) return attribute.value;
    return std::nullopt;
}

bool Node::Ref::is_processing_instruction() const {
    const std::string_view text = text_value();
    return text.starts_with("<?") && text.ends_with("?>");
}

bool Node::Ref::is_comment() const { return text_value().starts_with("<!--"); }

Node Node::text(std::string_view content) {
    EntryTable table;
    NodeWriter(table).add_text({content});
    return Node(std::move(table));
}

void NodeWriter::start_element(std::string_view name, std::optional<std::string_view> prefix, ElementRole role) {
    const std::uint32_t index = table_.open_named(entry_kind::kept_element, name, prefix);
    table_.set_detail(index, static_cast<std::uint8_t>(role));
    table_.set_open_link(index, innermost_);
    innermost_ = index;
}

void NodeWriter::add_attribute(std::string_view name, std::optional<std::string_view> prefix,
                               std::string_view value) {
    table_.add_attribute(name, prefix, value);
}

void NodeWriter::end_element() {
    const std::uint32_t ended = innermost_;
    innermost_ = table_.entry(ended).extent;
    table_.close(ended);
}

}  // namespace quillmark
