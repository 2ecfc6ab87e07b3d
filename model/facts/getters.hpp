// The values a Document shows, declared once: the Python getters of
// Document and Citation, the getters' part of the record walk (to_dict,
// --format record) and the command's JSON Lines all come from these tables,
// in their order. A getter's type is the type of what it reads: a text or
// nothing, a list of texts, the source format's name, the numbered claims,
// the citations.
#pragma once

#include <string_view>
#include <type_traits>
#include <variant>

#include "model/facts/summary.hpp"

namespace quillmark {

inline std::string_view source_format_name_of(const Document& document) {
    return source_format_name(document.source_format);
}

// How a getter reads its value: a member of the summary, or a function of
// the document for what the summary does not keep.
using GetterReader = std::variant<OptionalText DocumentSummary::*, std::vector<std::string> DocumentSummary::*,
                                  std::vector<Citation> DocumentSummary::*, std::string_view (*)(const Document&),
                                  OptionalText (*)(const Document&), std::vector<Claim> (*)(const Document&)>;

struct Getter {
    const char* name;
    GetterReader read;
};

inline constexpr Getter document_getters[] = {
    {"publication_number", &DocumentSummary::publication_number},
    {"patent_number", &DocumentSummary::patent_number},
    {"application_number", &DocumentSummary::application_number},
    {"title", &DocumentSummary::title},
    {"filing_date", &DocumentSummary::filing_date},
    {"publication_date", &DocumentSummary::publication_date},
    {"priority_date", &DocumentSummary::priority_date},
    {"inventors", &DocumentSummary::inventors},
    {"applicants", &DocumentSummary::applicants},
    {"assignees", &DocumentSummary::assignees},
    {"ipc_classifications", &DocumentSummary::ipc_classifications},
    {"us_classifications", &DocumentSummary::us_classifications},
    {"source_format", &source_format_name_of},
    {"abstract_text", &abstract_text},
    {"claims", &claims},
    {"kind", &DocumentSummary::kind},
    {"cpc_classifications", &DocumentSummary::cpc_classifications},
    {"citations", &DocumentSummary::citations},
    {"locarno_classification", &DocumentSummary::locarno_classification},
    {"us_classifications_as_written", &DocumentSummary::us_classifications_as_written},
};

// Calls `use` with the getter's value: a const reference to what the
// summary keeps, or the value the document gives.
template <class Use>
decltype(auto) read_getter(const Getter& getter, const Document& document, const DocumentSummary& summary, Use&& use) {
    return std::visit(
        [&](auto read) -> decltype(auto) {
            if constexpr (std::is_member_object_pointer_v<decltype(read)>)
                return use(summary.*read);
            else
                return use(read(document));
        },
        getter.read);
}

// The fields of a citation, each a text or nothing.
struct CitationField {
    const char* name;
    OptionalText Citation::*value;
};

inline constexpr CitationField citation_fields[] = {
    {"country", &Citation::country}, {"doc_number", &Citation::doc_number}, {"kind", &Citation::kind},
    {"name", &Citation::name},       {"date", &Citation::date},             {"category", &Citation::category},
    {"text", &Citation::text},
};

}  // namespace quillmark
