// The names of a document's applicants, assignees and inventors, and the
// naming of a party from the parts its source gives.
#pragma once

#include <string>
#include <vector>

#include "model/document.hpp"

namespace quillmark {

enum class Role { Applicants, Assignees, Inventors };

std::vector<std::string> party_names(const Document& document, Role role);
// The organisation when there is one, else the given name, middle name,
// family name and suffix, the present ones joined with one space; absent
// when the name has none of them.
OptionalText full_name(const PartyName& name);
// A party listed by the full name of `name`.
Party named_party(Attributes attributes, PartyName name);

}  // namespace quillmark
