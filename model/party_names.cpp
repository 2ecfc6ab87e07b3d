// Party names: the typed party items first; only when they name nobody,
// a search through the kept bibliographic nodes.
#include "model/entities.hpp"
#include "model/summary.hpp"
#include "model/text.hpp"

namespace quillmark {

namespace {

void add_unique(std::vector<std::string>& list, std::string name) {
    for (const std::string& existing : list)
        if (existing == name) return;
    list.push_back(std::move(name));
}

std::string person_name(const OptionalText& given, const OptionalText& family) {
    std::string name;
    if (given) name = *given;
    if (given && family) name += ' ';
    if (family) name += *family;
    return std::string(trim(name));
}

void typed_names(const BibliographicSection& bibliographic, Role role, std::vector<std::string>& names) {
    for (const BibliographicItem& item : bibliographic.items) {
        const PartyGroup* group = nullptr;
        if (role == Role::Applicants)
            if (const auto* parties = std::get_if<Parties>(&item)) group = &parties->group;
        if (role == Role::Assignees)
            if (const auto* assignees = std::get_if<Assignees>(&item)) group = &assignees->group;
        if (group)
            for (const Party& party : group->parties)
                if (party.name) add_unique(names, *party.name);
        if (role != Role::Inventors) continue;
        const auto* inventors = std::get_if<Inventors>(&item);
        if (!inventors) continue;
        for (const PersonEntry& entry : inventors->entries) {
            const Person* person = std::get_if<FirstNamedInventor>(&entry);
            if (!person) person = std::get_if<Inventor>(&entry);
            if (!person) continue;
            std::string name = person_name(person->given_name, person->family_name);
            if (!name.empty()) add_unique(names, std::move(name));
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

// The decoded, trimmed character data of an element; absent when blank.
OptionalText node_text(const OptionalRef& node) {
    if (!node) return std::nullopt;
    std::string data;
    append_character_data(*node, data);
    std::string decoded = decode_entities(trim(data));
    const std::string_view trimmed = trim(decoded);
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
    std::string name = person_name(first_of(*holder, "first-name", "given-name"), first_of(*holder, "last-name", "family-name"));
    if (name.empty()) return std::nullopt;
    return name;
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
        std::string name = person_name(child_path_text(*nam, {"FNM"}), child_path_text(*nam, {"SNM"}));
        if (!name.empty()) return name;
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
        if (OptionalText name = searched_name(node)) add_unique(names, std::move(*name));
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
