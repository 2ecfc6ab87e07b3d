// A claim in GitHub Flavored Markdown: a paragraph that starts with its
// number, each nested element of it an item of an indented list; a claim
// reference stays in its sentence.
#pragma once

#include "model/record/document.hpp"
#include "render/lines.hpp"

namespace quillmark {

void write_gfm_claim(LineList& lines, const ClaimEntry& claim);

}  // namespace quillmark
