// A party's name as one text, for the parsers and the party names alike.
#pragma once

#include "model/record/document.hpp"

namespace quillmark {

// The organisation when there is one, else the given name, middle name,
// family name and suffix, the present ones joined with one space; absent
// when the name has none of them.
OptionalText full_name(const PartyName& name);
// A party listed by the full name of `name`.
Party named_party(Attributes attributes, PartyName name);

}  // namespace quillmark
