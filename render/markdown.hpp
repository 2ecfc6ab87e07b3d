// The five Markdown section texts of a document.
#pragma once

#include <string>

#include "model/document.hpp"

namespace quillmark {

std::string render_front_matter(const Document& document);
std::string render_title(const Document& document);
std::string render_abstract(const Document& document);
std::string render_description(const Document& document);
std::string render_claims(const Document& document);

}  // namespace quillmark
