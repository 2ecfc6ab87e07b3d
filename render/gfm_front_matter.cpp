#include "render/gfm_front_matter.hpp"

#include "model/facts/bibliographic_values.hpp"
#include "model/facts/party_names.hpp"
#include "model/text/text.hpp"
#include "render/front_matter_lines.hpp"
#include "render/plain_characters.hpp"
#include "render/yaml_scalar.hpp"

namespace quillmark {

namespace {

// Values as the characters they stand for, as the body writes them.
void append_value(std::string& out, std::string_view text) { append_yaml_string(out, plain_characters(text)); }

// "2005-01-04" for the publication date "20050104"; nothing for any other form.
OptionalText iso_date(const OptionalText& date) {
    if (!date || date->size() != 8 || !is_ascii_digits(*date)) return std::nullopt;
    const std::string_view digits = *date;
    std::string iso;
    iso.reserve(10);
    iso.append(digits.substr(0, 4)).append(1, '-').append(digits.substr(4, 2)).append(1, '-').append(digits.substr(6, 2));
    return iso;
}

// How many citations `citations(document)` gives, without making them.
std::size_t citation_count(const Document& document) {
    const BibliographicSection* bibliographic = first_bibliographic(document);
    if (!bibliographic) return 0;
    std::size_t count = 0;
    for (const BibliographicItem& item : bibliographic->items)
        if (const auto* cited = std::get_if<Citations>(&item)) count += cited->citations.size();
    return count;
}

}  // namespace

std::string render_gfm_front_matter(const Document& document) {
    const PublicationIdentifier identifier = publication_identifier(document);
    FrontMatterLines lines(append_value);
    lines.open(document, identifier);
    lines.scalar("title", title(document));
    lines.scalar("date", iso_date(identifier.publication_date));
    lines.scalar("kind", publication_kind(document));
    lines.scalar("priority_date", priority_date(document));
    lines.list("ipc_classifications", ipc_classifications(document));
    lines.list("cpc_classifications", cpc_classifications(document));
    lines.list("us_classifications", us_classifications(document));
    lines.scalar("locarno_classification", locarno_classification(document));
    lines.priority_chain(priority_chain(document));
    lines.list("inventors", party_names(document, Role::Inventors));
    lines.list("applicants", party_names(document, Role::Applicants));
    lines.list("assignees", party_names(document, Role::Assignees));
    lines.add("citation_count: " + std::to_string(citation_count(document)));
    return lines.finish();
}

}  // namespace quillmark
