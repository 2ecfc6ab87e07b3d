// The "---" block of key: value lines with the bibliographic facts.
#pragma once

#include <string>

#include "model/record/document.hpp"

namespace quillmark {

std::string render_front_matter(const Document& document);

}  // namespace quillmark
