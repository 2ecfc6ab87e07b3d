#include "model/record/inline_content.hpp"

namespace quillmark {

InlineKind InlineContent::Ref::kind() const {
    const std::uint8_t kind = table_->entry(index_).kind;
    if (kind == entry_kind::kept_element || kind == entry_kind::kept_text) return InlineKind::Element;
    return static_cast<InlineKind>(kind);
}

std::string_view InlineContent::Ref::text_value() const {
    const EntryTable::Entry& entry = table_->entry(index_);
    return entry.kind == text_kind ? table_->text(entry) : std::string_view();
}

SiblingRange<InlineContent::Ref> InlineContent::Ref::children() const {
    const EntryTable::Entry& entry = table_->entry(index_);
    return {table_, table_->first_child(index_), entry.extent};
}

AttributeRange InlineContent::Ref::attributes() const {
    return {table_, index_ + 1, table_->first_child(index_)};
}

std::optional<std::string_view> InlineContent::Ref::target() const {
    const EntryTable::Entry& entry = table_->entry(index_);
    if (!entry.detail) return std::nullopt;
    return table_->text(entry);
}

InlineContent InlineContent::of_text(std::string_view text) {
    InlineContent content;
    content.add_text({text});
    return content;
}

}  // namespace quillmark
