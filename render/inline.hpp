// Inline content as Markdown text: emphasis markers for bold and italic,
// and the verbatim form used inside fenced claim blocks.
#pragma once

#include <string>

#include "model/record/document.hpp"

namespace quillmark {

std::string render_inline(const InlineContent& content);
// Appends a paragraph with its "[num]" label when it carries a numeric one.
void append_paragraph(std::string& out, const Paragraph& paragraph);
// The normalised lines of a claim, without the fences.
std::string render_claim_body(const InlineContent& content);

}  // namespace quillmark
