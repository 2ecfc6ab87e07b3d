// The party names are read from the typed party items, in source order:
// applicants from the party groups, assignees from the assignee groups,
// inventors from the inventor entries and the applicants marked as inventors.
#include "model/facts/party_names.hpp"

#include "model/facts/bibliographic_values.hpp"
#include "model/text/entities.hpp"
#include "model/text/text.hpp"

namespace quillmark {

namespace {

// Names are listed with their entity names decoded, each once.
void add_name(std::vector<std::string>& names, const OptionalText& name) {
    if (!name) return;
    const std::string decoded = decode_entities(*name);
    const std::string_view trimmed = trim(decoded);
    if (!trimmed.empty()) add_unique(names, std::string(trimmed));
}

const Person* person_of(const PersonEntry& entry) {
    if (const auto* first = std::get_if<FirstNamedInventor>(&entry)) return first;
    return std::get_if<Inventor>(&entry);
}

void add_party_names(const PartyGroup& group, bool inventors_only, std::vector<std::string>& names) {
    for (const Party& party : group.parties)
        if (!inventors_only || party.inventor) add_name(names, party.name);
}

void add_item_names(const BibliographicItem& item, Role role, std::vector<std::string>& names) {
    const auto* parties = std::get_if<Parties>(&item);
    switch (role) {
        case Role::Applicants:
            if (parties) add_party_names(parties->group, false, names);
            break;
        case Role::Assignees:
            if (const auto* assignees = std::get_if<Assignees>(&item)) add_party_names(assignees->group, false, names);
            break;
        case Role::Inventors:
            if (parties) add_party_names(parties->group, true, names);
            if (const auto* inventors = std::get_if<Inventors>(&item))
                for (const PersonEntry& entry : inventors->entries)
                    if (const Person* person = person_of(entry)) add_name(names, full_name(*person));
            break;
    }
}

}  // namespace

std::vector<std::string> party_names(const Document& document, Role role) {
    std::vector<std::string> names;
    if (const BibliographicSection* bibliographic = first_bibliographic(document))
        for (const BibliographicItem& item : bibliographic->items) add_item_names(item, role, names);
    return names;
}

}  // namespace quillmark
