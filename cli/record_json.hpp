// One line of `--format record`: the whole parsed record as JSON, the shape
// of Document.to_dict() (schema/record.schema.json).
#pragma once

#include <string>

#include "model/record/document.hpp"

namespace quillmark::cli {

// The record without its line break.
std::string record_json(const Document& document);

}  // namespace quillmark::cli
