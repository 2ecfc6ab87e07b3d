// The names of a document's applicants, assignees and inventors, and the
// naming of a party from the parts its source gives.
#pragma once

#include <string>
#include <vector>

#include "model/document.hpp"

namespace quillmark {

enum class Role { Applicants, Assignees, Inventors };

std::vector<std::string> party_names(const Document& document, Role role);
// Given name, middle name, family name and suffix, the present ones joined
// with one space; absent when none is present.
OptionalText person_name(const NameParts& parts);
// A party named by its organisation when it has one, else by its name parts.
Party named_party(Attributes attributes, NameParts parts, OptionalText organisation);

}  // namespace quillmark
