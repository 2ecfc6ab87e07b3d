#include "model/record/inline_content.hpp"

namespace quillmark {

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
