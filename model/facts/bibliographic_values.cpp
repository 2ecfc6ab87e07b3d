#include "model/text/entities.hpp"
#include "model/facts/bibliographic_values.hpp"
#include "model/facts/getters.hpp"
#include "model/text/classification_forms.hpp"
#include "model/text/text.hpp"

namespace quillmark {

const BibliographicSection* first_bibliographic(const Document& document) {
    for (const Section& section : document.sections)
        if (const auto* bibliographic = std::get_if<BibliographicSection>(&section)) return bibliographic;
    return nullptr;
}

namespace {

template <class Item, class Visit>
void for_each_item(const Document& document, Visit&& visit) {
    const BibliographicSection* bibliographic = first_bibliographic(document);
    if (!bibliographic) return;
    for (const BibliographicItem& item : bibliographic->items)
        if (const auto* typed = std::get_if<Item>(&item)) visit(*typed);
}

// Utility and reissue grants carry B and E kinds; design grants carry "S",
// written "S1" in the XML grants; plant grants "P2" and "P3" ("P1" and the
// other P kinds are plant application publications); statutory invention
// registrations "H". Before 2001 a utility patent was "A" and a plant
// patent "P": pre-grant publications did not exist yet, and theirs carry
// a digit ("A1", "P1").
bool is_grant_kind(const OptionalText& kind) {
    if (!kind || kind->empty()) return false;
    if (kind->front() == 'B' || kind->front() == 'E' || kind->front() == 'H') return true;
    if (*kind == "A" || *kind == "P" || *kind == "P2" || *kind == "P3") return true;
    return kind->front() == 'S' && is_ascii_digits(std::string_view(*kind).substr(1));
}

// A number without the zeros that pad it to its field. After the letters
// of a design, reissue, plant or statutory-invention number they always
// go: "D0456588" gives "D456588". A grant's all-digit number loses them
// too ("07654321" gives "7654321"); an application's is kept as written.
std::string formatted_doc_number(std::string_view doc_number, bool grant) {
    const std::string_view trimmed = trim(doc_number);
    std::size_t letters = 0;
    while (letters < trimmed.size() && is_ascii_letter(trimmed[letters])) ++letters;
    const std::string_view digits = trimmed.substr(letters);
    const bool padded = letters > 0 ? !digits.empty() : grant;
    if (!padded || !is_ascii_digits(digits)) return std::string(doc_number);
    return std::string(trimmed.substr(0, letters)) + strip_leading_zeros(digits);
}

std::string as_written(std::string text) { return text; }

// A symbol in the one form `read` gives it (compact IPC, US CLASS/SUBCLASS);
// a text that `read` cannot read keeps its words, never a guessed symbol.
template <std::optional<std::string> (*read)(std::string_view)>
std::string one_form(std::string text) {
    if (std::optional<std::string> form = read(text)) return std::move(*form);
    return collapse_white_space(text);
}

// The main and further symbols of every entry of one kind, each in the
// form `form` gives it, listed once.
template <class Entry>
std::vector<std::string> classification_list(const Document& document, std::string (*form)(std::string) = as_written) {
    std::vector<std::string> list;
    for_each_item<TechnicalInformation>(document, [&](const TechnicalInformation& item) {
        for (const TechnicalEntry& entry : item.entries) {
            const auto* classification = std::get_if<Entry>(&entry);
            if (!classification) continue;
            if (classification->main) add_unique(list, form(decode_entities(*classification->main)));
            for (const std::string& further : classification->further) add_unique(list, form(decode_entities(further)));
        }
    });
    return list;
}

}  // namespace

namespace {

const DocumentId* first_publication_id(const Document& document) {
    const DocumentId* id = nullptr;
    for_each_item<PublicationReference>(document, [&](const PublicationReference& item) {
        if (!id) id = &item.id;
    });
    return id;
}

}  // namespace

PublicationIdentifier publication_identifier(const Document& document) {
    PublicationIdentifier result;
    const DocumentId* id = first_publication_id(document);
    if (!id) return result;
    const bool grant = is_grant_kind(id->kind);
    std::string number = id->country.value_or("US");
    number += formatted_doc_number(id->doc_number, grant);
    if (id->kind) number += *id->kind;
    if (grant)
        result.patent_number = std::move(number);
    else
        result.publication_number = std::move(number);
    result.publication_date = id->date;
    return result;
}

OptionalText filing_date(const Document& document) {
    OptionalText result;
    for_each_item<ApplicationReference>(document, [&](const ApplicationReference& item) {
        for (const ApplicationEntry& entry : item.entries)
            if (const auto* date = std::get_if<FilingDate>(&entry); date && !result) result = date->text;
    });
    return result;
}

namespace {

// The number of the first application reference that has one, with the
// series code of the same reference.
struct ApplicationNumberParts {
    std::string_view number;
    const SeriesCode* series = nullptr;
};

std::optional<ApplicationNumberParts> first_application_number(const Document& document) {
    const BibliographicSection* bibliographic = first_bibliographic(document);
    if (!bibliographic) return std::nullopt;
    for (const BibliographicItem& item : bibliographic->items) {
        const auto* reference = std::get_if<ApplicationReference>(&item);
        if (!reference) continue;
        ApplicationNumberParts parts;
        const std::string* number = nullptr;
        for (const ApplicationEntry& entry : reference->entries) {
            if (const auto* code = std::get_if<SeriesCode>(&entry); code && !parts.series) parts.series = code;
            if (const auto* app = std::get_if<ApplicationNumber>(&entry); app && app->doc_number && !number)
                number = &*app->doc_number;
        }
        if (!number) continue;
        parts.number = trim(*number);
        return parts;
    }
    return std::nullopt;
}

}  // namespace

// The series code joins a short all-digit number: "09" and "123456" give
// "09123456".
OptionalText application_number(const Document& document) {
    const auto parts = first_application_number(document);
    if (!parts) return std::nullopt;
    const std::string number(parts->number);
    if (is_ascii_digits(number) && parts->series && number.size() < 8 && is_ascii_digits(parts->series->text))
        return parts->series->text + number;
    return number;
}

OptionalText title(const Document& document) {
    OptionalText result;
    for_each_item<TechnicalInformation>(document, [&](const TechnicalInformation& item) {
        for (const TechnicalEntry& entry : item.entries)
            if (const auto* title = std::get_if<InventionTitle>(&entry); title && !result)
                result = decode_entities(title->text);
    });
    return result;
}

namespace {

void add_related_links(const RelatedDocuments& item, std::vector<PriorityLink>& chain) {
    for (const RelatedDocumentEntry& entry : item.entries) {
        const RelatedLink* link = std::get_if<Relation>(&entry);
        if (!link) link = std::get_if<OtherRelatedDocument>(&entry);
        if (!link) continue;
        chain.push_back({link->relationship.value_or("unknown"), link->parent_doc_number, link->parent_date,
                         link->child_doc_number});
    }
}

// A claimed foreign application is named by its country and number.
void add_priority_claim_links(const PriorityClaims& item, std::vector<PriorityLink>& chain) {
    for (const PriorityClaim& claim : item.claims) {
        OptionalText parent;
        if (claim.doc_number) parent = claim.country.value_or(std::string()) + *claim.doc_number;
        chain.push_back({"foreign-priority", std::move(parent), claim.date, std::nullopt});
    }
}

}  // namespace

std::vector<PriorityLink> priority_chain(const Document& document) {
    std::vector<PriorityLink> chain;
    const BibliographicSection* bibliographic = first_bibliographic(document);
    if (!bibliographic) return chain;
    for (const BibliographicItem& item : bibliographic->items) {
        if (const auto* related = std::get_if<RelatedDocuments>(&item)) add_related_links(*related, chain);
        if (const auto* claims = std::get_if<PriorityClaims>(&item)) add_priority_claim_links(*claims, chain);
    }
    return chain;
}

OptionalText priority_date(const Document& document) {
    OptionalText earliest;
    for (const PriorityLink& link : priority_chain(document))
        if (link.parent_date && (!earliest || *link.parent_date < *earliest)) earliest = link.parent_date;
    return earliest;
}

std::vector<std::string> ipc_classifications(const Document& document) {
    return classification_list<IpcClassification>(document, one_form<compact_ipc>);
}

std::vector<std::string> us_classifications(const Document& document) {
    return classification_list<NationalClassification>(document, one_form<uspc_class_subclass>);
}

std::vector<std::string> us_classifications_as_written(const Document& document) {
    return classification_list<NationalClassification>(document);
}

std::vector<std::string> cpc_classifications(const Document& document) {
    return classification_list<CpcClassification>(document);
}

OptionalText locarno_classification(const Document& document) {
    std::vector<std::string> classes = classification_list<LocarnoClassification>(document);
    if (classes.empty()) return std::nullopt;
    return std::string(trim(classes.front()));
}

OptionalText publication_kind(const Document& document) {
    const DocumentId* id = first_publication_id(document);
    return id ? id->kind : std::nullopt;
}

std::vector<Citation> citations(const Document& document) {
    std::vector<Citation> all;
    for_each_item<Citations>(document, [&](const Citations& item) {
        all.reserve(all.size() + item.citations.size());
        for (const Citation& citation : item.citations) {
            // The values a citation shows; the attributes of its elements
            // stay in the record.
            Citation& copy = all.emplace_back();
            for (const CitationField& field : citation_fields) copy.*field.value = citation.*field.value;
            for (OptionalText* text : {&copy.name, &copy.text})
                if (*text) *text = decode_entities(**text);
        }
    });
    return all;
}

// "09/123456" becomes "9123456"; anything else keeps its trimmed form.
OptionalText written_doc_number(const OptionalText& number) {
    if (!number) return std::nullopt;
    const std::string_view trimmed = trim(*number);
    const std::size_t slash = trimmed.find('/');
    if (slash != std::string_view::npos) {
        const std::string_view before = trimmed.substr(0, slash), after = trimmed.substr(slash + 1);
        if (!before.empty() && !after.empty() && is_ascii_digits(before) && is_ascii_digits(after))
            return strip_leading_zeros(std::string(before) + std::string(after));
    }
    return std::string(trimmed);
}

// The front matter writes the series code and the number apart: "09/123456".
OptionalText written_application_number(const Document& document) {
    const auto parts = first_application_number(document);
    if (!parts) return std::nullopt;
    std::string_view number = parts->number;
    const std::string_view code = parts->series ? trim(parts->series->text) : std::string_view();
    if (code.empty()) return std::string(number);
    if (number.size() > 7 && number.starts_with(code)) number.remove_prefix(code.size());
    return std::string(code) + "/" + std::string(number);
}

}  // namespace quillmark
