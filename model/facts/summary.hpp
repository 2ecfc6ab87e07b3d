// Values derived from a Document: the flat summary behind the Python
// getters, the abstract text, the numbered claims and the plain text of
// inline content. The bibliographic values and party names it is made of
// are bibliographic_values.hpp and party_names.hpp, which the front matter
// shares.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/facts/bibliographic_values.hpp"
#include "model/record/document.hpp"
#include "model/facts/party_names.hpp"

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
    OptionalText kind;
    std::vector<std::string> cpc_classifications;
    std::vector<Citation> citations;
    OptionalText locarno_classification;
    std::vector<std::string> us_classifications_as_written;
};

struct Claim {
    std::uint32_t number;
    std::string text;
};

std::string plain_text(const InlineContent& content);
void append_plain_text(std::string& out, const InlineContent& content);
OptionalText abstract_text(const Document& document);
std::vector<Claim> claims(const Document& document);

DocumentSummary summarize(const Document& document);

}  // namespace quillmark
