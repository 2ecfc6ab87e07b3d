// Numbers, dates, title, priority chain and classification lists, all read
// from the first Bibliographic section.
#include "model/summary.hpp"
#include "model/text.hpp"

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
// written "S1" in the XML grants.
bool is_grant_kind(const OptionalText& kind) {
    if (!kind || kind->empty()) return false;
    if (kind->front() == 'B' || kind->front() == 'E') return true;
    return kind->front() == 'S' && is_ascii_digits(std::string_view(*kind).substr(1));
}

void add_unique(std::vector<std::string>& list, const std::string& text) {
    for (const std::string& existing : list)
        if (existing == text) return;
    list.push_back(text);
}

template <class Entry>
std::vector<std::string> classification_list(const Document& document) {
    std::vector<std::string> list;
    for_each_item<TechnicalInformation>(document, [&](const TechnicalInformation& item) {
        for (const TechnicalEntry& entry : item.entries) {
            const auto* classification = std::get_if<Entry>(&entry);
            if (!classification) continue;
            if (classification->main) add_unique(list, *classification->main);
            for (const std::string& further : classification->further) add_unique(list, further);
        }
    });
    return list;
}

}  // namespace

PublicationIdentifier publication_identifier(const Document& document) {
    PublicationIdentifier result;
    const DocumentId* id = nullptr;
    for_each_item<PublicationReference>(document, [&](const PublicationReference& item) {
        if (!id) id = &item.id;
    });
    if (!id) return result;
    const bool grant = is_grant_kind(id->kind);
    std::string number = id->country.value_or("US");
    if (grant && is_ascii_digits(id->doc_number))
        number += strip_leading_zeros(trim(id->doc_number));
    else
        number += id->doc_number;
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

OptionalText application_number(const Document& document) {
    OptionalText result;
    for_each_item<ApplicationReference>(document, [&](const ApplicationReference& item) {
        if (result) return;
        const SeriesCode* series = nullptr;
        const std::string* number = nullptr;
        for (const ApplicationEntry& entry : item.entries) {
            if (const auto* code = std::get_if<SeriesCode>(&entry); code && !series) series = code;
            if (const auto* app = std::get_if<ApplicationNumber>(&entry); app && app->doc_number && !number)
                number = &*app->doc_number;
        }
        if (!number) return;
        const std::string trimmed(trim(*number));
        if (is_ascii_digits(trimmed) && series && trimmed.size() < 8 && is_ascii_digits(series->text))
            result = series->text + trimmed;
        else
            result = trimmed;
    });
    return result;
}

OptionalText title(const Document& document) {
    OptionalText result;
    for_each_item<TechnicalInformation>(document, [&](const TechnicalInformation& item) {
        for (const TechnicalEntry& entry : item.entries)
            if (const auto* title = std::get_if<InventionTitle>(&entry); title && !result) result = title->text;
    });
    return result;
}

std::vector<PriorityLink> priority_chain(const Document& document) {
    std::vector<PriorityLink> chain;
    for_each_item<RelatedDocuments>(document, [&](const RelatedDocuments& item) {
        for (const RelatedDocumentEntry& entry : item.entries) {
            const RelatedLink* link = std::get_if<Relation>(&entry);
            if (!link) link = std::get_if<OtherRelatedDocument>(&entry);
            if (!link) continue;
            chain.push_back({link->relationship.value_or("unknown"), link->parent_doc_number, link->parent_date,
                             link->child_doc_number});
        }
    });
    return chain;
}

OptionalText priority_date(const Document& document) {
    OptionalText earliest;
    for (const PriorityLink& link : priority_chain(document))
        if (link.parent_date && (!earliest || *link.parent_date < *earliest)) earliest = link.parent_date;
    return earliest;
}

std::vector<std::string> ipc_classifications(const Document& document) {
    return classification_list<IpcClassification>(document);
}

std::vector<std::string> us_classifications(const Document& document) {
    return classification_list<NationalClassification>(document);
}

}  // namespace quillmark
