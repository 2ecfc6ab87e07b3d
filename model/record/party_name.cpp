#include "model/record/party_name.hpp"

#include "model/text/text.hpp"

namespace quillmark {

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

}  // namespace quillmark
