// One JSON Lines record: every value the Python Document getters return,
// under the same keys and in the same order, then the Markdown.
#pragma once

#include <string>
#include <string_view>

#include "model/record/document.hpp"

namespace quillmark::cli {

// The record without its line break.
std::string document_json(const Document& document, std::string_view markdown);

}  // namespace quillmark::cli
