// The command's JSON lines, written from the record walk: one line of
// `--format record` is the whole parsed record, the shape of
// Document.to_dict() (schema/record.schema.json); one of `--format jsonl`
// is every value the Document getters return, under the same keys and in
// the same order, then the Markdown.
#pragma once

#include <string>
#include <string_view>

#include "model/record/document.hpp"

namespace quillmark::cli {

// Each line without its line break.
std::string record_json(const Document& document);
std::string document_json(const Document& document, std::string_view markdown);

}  // namespace quillmark::cli
