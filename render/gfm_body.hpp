// The title, abstract, description and claims sections in GitHub Flavored
// Markdown, over the same section walk as the default layout.
#pragma once

#include <string>

#include "model/record/document.hpp"

namespace quillmark {

std::string render_gfm_title(const Document& document);
std::string render_gfm_abstract(const Document& document);
// The description, the figures of the drawings and, for a sequence
// listing, the listing.
std::string render_gfm_description(const Document& document);
std::string render_gfm_claims(const Document& document);

}  // namespace quillmark
