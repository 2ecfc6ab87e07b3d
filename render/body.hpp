// The title, abstract, description and claims sections of the Markdown.
#pragma once

#include <string>

#include "model/record/document.hpp"

namespace quillmark {

std::string render_title(const Document& document);
std::string render_abstract(const Document& document);
std::string render_description(const Document& document);
std::string render_claims(const Document& document);

}  // namespace quillmark
