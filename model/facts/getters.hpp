// The values a Document shows, declared once: the Python getters of
// Document and Citation (with their docstrings), the getters' part of the record walk (to_dict,
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
    const char* doc;  // one line, the Python getter's docstring
};

inline constexpr Getter document_getters[] = {
    {"publication_number", &DocumentSummary::publication_number,
     "An application's publication number, US, number and kind (\"US20150012345A1\"); None for a grant."},
    {"patent_number", &DocumentSummary::patent_number,
     "A grant's patent number, US, number without padding zeros and kind (\"US9876543B2\"); None for an application."},
    {"application_number", &DocumentSummary::application_number,
     "The application number, series code and serial number run together (\"14123456\")."},
    {"title", &DocumentSummary::title, "The title of the invention."},
    {"filing_date", &DocumentSummary::filing_date, "The date the application was filed, as written (\"20150312\")."},
    {"publication_date", &DocumentSummary::publication_date,
     "The date the document was published or the patent granted, as written (\"20180123\")."},
    {"priority_date", &DocumentSummary::priority_date,
     "The earliest date of the priority chain: parent, provisional, foreign and PCT applications."},
    {"inventors", &DocumentSummary::inventors, "The inventors' names, each listed once, in source order."},
    {"applicants", &DocumentSummary::applicants, "The applicants' names, each listed once, in source order."},
    {"assignees", &DocumentSummary::assignees, "The assignees' names, each listed once, in source order."},
    {"ipc_classifications", &DocumentSummary::ipc_classifications,
     "The IPC symbols in compact form, main first, each listed once (\"G06F7/28\")."},
    {"us_classifications", &DocumentSummary::us_classifications, 
     "The US classifications as CLASS/SUBCLASS, main first, each listed once (\"701/41\")."},
    {"source_format", &source_format_name_of, "The name of the source format (\"UsptoGrantV45\")."},
    {"abstract_text", &abstract_text, "The abstract as plain text; None for a document without one."},
    {"claims", &claims, "Every claim as a Claim, numbered by its position."},
    {"kind", &DocumentSummary::kind, "The kind code printed on the publication (\"B2\", \"A1\", \"S1\", \"E\")."},
    {"cpc_classifications", &DocumentSummary::cpc_classifications,
     "The CPC symbols in compact form, main first (\"H04L9/0891\")."},
    {"citations", &DocumentSummary::citations, "The patents and other literature the publication cites, as Citation objects."},
    {"locarno_classification", &DocumentSummary::locarno_classification,
     "A design grant's Locarno class, as written (\"0202\"); None for other documents."},
    {"us_classifications_as_written", &DocumentSummary::us_classifications_as_written,
     "The US classifications as the source writes them, padding kept, each listed once."},
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
    const char* doc;  // one line, the Python getter's docstring
};

inline constexpr CitationField citation_fields[] = {
    {"country", &Citation::country, "The country of the cited patent document, as written (\"US\", \"JP\")."},
    {"doc_number", &Citation::doc_number, "The number of the cited patent document, as written."},
    {"kind", &Citation::kind, "The kind code of the cited patent document, as written."},
    {"name", &Citation::name, "The patentee or first named party of the cited document, as written."},
    {"date", &Citation::date, "The date of the cited document, as written."},
    {"category", &Citation::category, "Who cited it, as written (\"cited by examiner\")."},
    {"text", &Citation::text, "The citation of literature other than patents, as written."},
};

}  // namespace quillmark
