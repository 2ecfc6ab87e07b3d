// The command's JSON lines, written from the record walk. Each opens with
// where its document was found: `source`, `index` and `offset`, as a
// BulkItem has them. Then a line of `--format record` has the whole parsed
// record under `record`, the shape of Document.to_dict()
// (schema/record.schema.json); one of `--format jsonl` every value the
// Document getters return, under the same keys and in the same order, then
// the Markdown.
#pragma once

#include <string>
#include <string_view>

#include "cli/conversion.hpp"
#include "model/record/document.hpp"

namespace quillmark::cli {

// Each line without its line break.
std::string record_json(const DocumentPlace& place, const Document& document);
std::string document_json(const DocumentPlace& place, const Document& document, std::string_view markdown);

}  // namespace quillmark::cli
