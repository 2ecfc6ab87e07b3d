// Numbers, dates, title, priority chain and classification lists, derived
// from the first Bibliographic section of a Document, in the forms the
// getters give and the forms the front matter writes.
#pragma once

#include <string>
#include <vector>

#include "model/record/document.hpp"

namespace quillmark {

struct PriorityLink {
    std::string relationship;
    OptionalText parent_doc_number;
    OptionalText parent_date;
    OptionalText child_doc_number;
};

struct PublicationIdentifier {
    OptionalText publication_number;
    OptionalText patent_number;
    OptionalText publication_date;
};

// The first Bibliographic section, which every bibliographic rule reads.
const BibliographicSection* first_bibliographic(const Document& document);

PublicationIdentifier publication_identifier(const Document& document);
OptionalText filing_date(const Document& document);
OptionalText application_number(const Document& document);
OptionalText title(const Document& document);
std::vector<PriorityLink> priority_chain(const Document& document);
OptionalText priority_date(const Document& document);
std::vector<std::string> ipc_classifications(const Document& document);
// US classes as CLASS/SUBCLASS ("2/161A"), and as the source writes them,
// padding included ("  2161A"); each list in source order, each text once.
std::vector<std::string> us_classifications(const Document& document);
std::vector<std::string> us_classifications_as_written(const Document& document);
std::vector<std::string> cpc_classifications(const Document& document);
// The main Locarno class of a design grant, as written.
OptionalText locarno_classification(const Document& document);
// The kind code of the first publication reference, as written.
OptionalText publication_kind(const Document& document);
// Every cited document, in source order: the values of its fields, with the
// entity names of its name and text decoded (not the attributes of its
// elements).
std::vector<Citation> citations(const Document& document);

// The forms the front matter writes: the application number with its
// series code apart ("09/123456"), and a related document's number with
// the slash of a series code taken out ("09/123456" gives "9123456").
OptionalText written_application_number(const Document& document);
OptionalText written_doc_number(const OptionalText& number);

}  // namespace quillmark
