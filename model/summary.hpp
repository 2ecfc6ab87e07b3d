// Values derived from a Document: the flat summary behind the Python
// getters, the abstract text, the numbered claims and the plain text of
// inline content, plus the rules the front matter shares with them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/document.hpp"

namespace quillmark {

struct DocumentSummary {
    std::vector<std::string> applicants;
    std::vector<std::string> assignees;
    std::vector<std::string> inventors;
    std::vector<std::string> ipc_classifications;
    std::vector<std::string> us_classifications;
    OptionalText publication_number;
    OptionalText patent_number;
    OptionalText publication_date;
    OptionalText application_number;
    OptionalText filing_date;
    OptionalText title;
    OptionalText priority_date;
};

struct PriorityLink {
    std::string relationship;
    OptionalText parent_doc_number;
    OptionalText parent_date;
    OptionalText child_doc_number;
};

struct Claim {
    std::uint32_t number;
    std::string text;
};

enum class Role { Applicants, Assignees, Inventors };

struct PublicationIdentifier {
    OptionalText publication_number;
    OptionalText patent_number;
    OptionalText publication_date;
};

// The first Bibliographic section, which every bibliographic rule reads.
const BibliographicSection* first_bibliographic(const Document& document);

std::string plain_text(const InlineContent& content);
void append_plain_text(std::string& out, const InlineContent& content);
OptionalText abstract_text(const Document& document);
std::vector<Claim> claims(const Document& document);

PublicationIdentifier publication_identifier(const Document& document);
OptionalText filing_date(const Document& document);
OptionalText application_number(const Document& document);
OptionalText title(const Document& document);
std::vector<PriorityLink> priority_chain(const Document& document);
OptionalText priority_date(const Document& document);
std::vector<std::string> ipc_classifications(const Document& document);
std::vector<std::string> us_classifications(const Document& document);
std::vector<std::string> party_names(const Document& document, Role role);
// Given name, middle name, family name and suffix, the present ones joined
// with one space; absent when none is present.
OptionalText person_name(const Person& person);

// The forms the front matter writes: the application number with its
// series code apart ("09/123456"), and a related document's number with
// the slash of a series code taken out ("09/123456" gives "9123456").
OptionalText written_application_number(const Document& document);
OptionalText written_doc_number(const OptionalText& number);

DocumentSummary summarize(const Document& document);

}  // namespace quillmark
