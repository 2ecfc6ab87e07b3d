// The APS Green Book reader: pass 1 turns the lines into tagged records
// (records.cpp), pass 2 maps the records onto a Document (bibliographic.cpp,
// body.cpp, claims.cpp).
#include "source/aps/bibliographic.hpp"
#include "source/aps/body.hpp"
#include "source/aps/claims.hpp"
#include "source/aps/records.hpp"
#include "source/parsers.hpp"

namespace quillmark {

ParseResult read_aps(std::string_view text) {
    const aps::ApsRecords records = aps::read_records(text);
    if (records.empty()) return ParseError::structure("APS record has no recognizable tagged fields");

    std::optional<BibliographicSection> bibliographic = aps::build_bibliographic(records);
    if (!bibliographic) return ParseError::structure("APS record missing WKU (patent number)");

    Document document;
    document.source_format = SourceFormat::UsptoGrantApsGreenBook;
    document.sections.emplace_back(std::move(*bibliographic));
    if (auto abstract = aps::build_abstract(records)) document.sections.emplace_back(std::move(*abstract));
    if (auto description = aps::build_description(records)) document.sections.emplace_back(std::move(*description));
    if (auto claims = aps::build_claims(records)) document.sections.emplace_back(std::move(*claims));
    return document;
}

}  // namespace quillmark
