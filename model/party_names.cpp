// The party names are read from the typed party items, in source order:
// applicants from the party groups, assignees from the assignee groups,
// inventors from the inventor entries and the applicants marked as inventors.
#include "model/party_names.hpp"

#include "model/bibliographic_values.hpp"
#include "model/entities.hpp"
#include "model/text.hpp"

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

OptionalText full_name(const PartyName& name) {
    if (name.organisation) return name.organisation;
    std::string joined;
    for (const OptionalText* part : {&name.given_name, &name.middle_name, &name.family_name, &name.suffix})
        if (*part) append_word(joined, trim(**part));
    if (joined.empty()) return std::nullopt;
    return joined;
}

Party named_party(Attributes attributes, PartyName name) {
    Party party;
    static_cast<PartyName&>(party) = std::move(name);
    party.attributes = std::move(attributes);
    party.name = full_name(party);
    return party;
}

std::vector<std::string> party_names(const Document& document, Role role) {
    std::vector<std::string> names;
    if (const BibliographicSection* bibliographic = first_bibliographic(document))
        for (const BibliographicItem& item : bibliographic->items) add_item_names(item, role, names);
    return names;
}

}  // namespace quillmark
