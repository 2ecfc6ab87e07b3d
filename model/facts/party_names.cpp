// The typed party items first; only when they name nobody, a search
// through the kept bibliographic nodes.
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

// Applicants and assignees are the typed party groups; inventors are the
// typed persons and the applicants marked as inventors, in source order.
void typed_names(const BibliographicSection& bibliographic, Role role, std::vector<std::string>& names) {
    for (const BibliographicItem& item : bibliographic.items) {
        switch (role) {
            case Role::Applicants:
                if (const auto* parties = std::get_if<Parties>(&item)) add_party_names(parties->group, false, names);
                break;
            case Role::Assignees:
                if (const auto* assignees = std::get_if<Assignees>(&item)) add_party_names(assignees->group, false, names);
                break;
            case Role::Inventors:
                if (const auto* parties = std::get_if<Parties>(&item)) add_party_names(parties->group, true, names);
                if (const auto* inventors = std::get_if<Inventors>(&item))
                    for (const PersonEntry& entry : inventors->entries)
                        if (const Person* person = person_of(entry))
                            add_name(names, person_name(*person));
                break;
        }
    }
}

// ----- search pass over kept nodes -----------------------------------------

using OptionalRef = std::optional<Node::Ref>;

OptionalRef element_child(Node::Ref node, std::string_view name) {
    for (Node::Ref child : node.children())
        if (child.is_element() && child.name() == name) return child;
    return std::nullopt;
}

OptionalRef element_descendant(Node::Ref node, std::string_view name) {
    for (Node::Ref child : node.children()) {
        if (!child.is_element()) continue;
        if (child.name() == name) return child;
        if (OptionalRef found = element_descendant(child, name)) return found;
    }
    return std::nullopt;
}

void append_character_data(Node::Ref node, std::string& out) {
    for (Node::Ref child : node.children()) {
        if (child.kind() == Node::Kind::Text)
            out += child.text_value();
        else
            append_character_data(child, out);
    }
}

// The trimmed character data of an element; absent when blank.
OptionalText node_text(const OptionalRef& node) {
    if (!node) return std::nullopt;
    std::string data;
    append_character_data(*node, data);
    const std::string_view trimmed = trim(data);
    if (trimmed.empty()) return std::nullopt;
    return std::string(trimmed);
}

OptionalText child_path_text(Node::Ref node, std::initializer_list<std::string_view> path) {
    OptionalRef current = node;
    for (std::string_view step : path) {
        current = element_child(*current, step);
        if (!current) return std::nullopt;
    }
    return node_text(current);
}

OptionalText first_of(Node::Ref node, std::string_view first, std::string_view second) {
    if (OptionalText text = child_path_text(node, {first})) return text;
    return child_path_text(node, {second});
}

OptionalText person_name_in(const OptionalRef& holder) {
    if (!holder) return std::nullopt;
    Person person;
    person.given_name = first_of(*holder, "first-name", "given-name");
    person.middle_name = child_path_text(*holder, {"middle-name"});
    person.family_name = first_of(*holder, "last-name", "family-name");
    person.suffix = first_of(*holder, "suffix", "name-suffix");
    return person_name(person);
}

OptionalText searched_name(Node::Ref element) {
    if (OptionalText name = child_path_text(element, {"addressbook", "orgname"})) return name;
    if (OptionalText name = child_path_text(element, {"organization-name"})) return name;
    if (OptionalText name = child_path_text(element, {"orgname"})) return name;
    const OptionalRef addressbook = element.name() == "addressbook" ? element : element_descendant(element, "addressbook");
    if (OptionalText name = person_name_in(addressbook)) return name;
    if (OptionalText name = person_name_in(element_descendant(element, "name"))) return name;
    if (const OptionalRef nam = element_descendant(element, "NAM")) {
        if (OptionalText organisation = child_path_text(*nam, {"ONM"})) return organisation;
        Person person;
        person.given_name = child_path_text(*nam, {"FNM"});
        person.family_name = child_path_text(*nam, {"SNM"});
        person.suffix = child_path_text(*nam, {"SFX"});
        if (OptionalText name = person_name(person)) return name;
    }
    return std::nullopt;
}

bool is_role_element(Node::Ref node, Role role) {
    if (!node.is_element()) return false;
    const std::string_view name = node.name();
    switch (role) {
        case Role::Applicants: return name == "applicant" || name == "us-applicant";
        case Role::Assignees: return name == "assignee";
        case Role::Inventors:
            return name == "B721" || name == "inventor" || name == "us-inventor" || name == "first-named-inventor";
    }
    return false;
}

void search_names(Node::Ref node, Role role, std::vector<std::string>& names) {
    if (is_role_element(node, role)) {
        add_name(names, searched_name(node));
        return;
    }
    for (Node::Ref child : node.children())
        if (child.is_element()) search_names(child, role, names);
}

}  // namespace

std::vector<std::string> party_names(const Document& document, Role role) {
    std::vector<std::string> names;
    const BibliographicSection* bibliographic = first_bibliographic(document);
    if (!bibliographic) return names;
    typed_names(*bibliographic, role, names);
    if (!names.empty()) return names;
    for (const BibliographicItem& item : bibliographic->items)
        if (const auto* other = std::get_if<OtherItem>(&item)) search_names(other->node.root(), role, names);
    return names;
}

}  // namespace quillmark
