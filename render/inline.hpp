// Inline content as Markdown text: emphasis markers for bold and italic,
// and the verbatim form used inside fenced claim blocks.
#pragma once

#include <optional>
#include <string>

#include "model/record/document.hpp"

namespace quillmark {

std::string render_inline(const InlineContent& content);
// The number a paragraph's "[0012]" label shows: the value of its first
// "num" attribute (without prefix) when it is made of digits only.
std::optional<std::string_view> paragraph_number(const Paragraph& paragraph);
// "[0012]", the label of a paragraph or list item numbered "0012".
std::string number_label(std::string_view number);
// Appends a paragraph with its "[num]" label when it carries a numeric one.
void append_paragraph(std::string& out, const Paragraph& paragraph);
// The normalised lines of a claim, without the fences.
std::string render_claim_body(const InlineContent& content);

}  // namespace quillmark
