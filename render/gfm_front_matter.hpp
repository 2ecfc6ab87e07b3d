// The front matter of the GFM flavour: the facts of the default front
// matter plus kind, CPC classifications and the number of citations, as
// YAML that 1.1 and 1.2 loaders alike read with the right types: every
// text that a loader would take for a number, a date, a boolean, null or
// structure is quoted.
#pragma once

#include <string>

#include "model/record/document.hpp"

namespace quillmark {

std::string render_gfm_front_matter(const Document& document);

}  // namespace quillmark
