// The names of a document's applicants, assignees and inventors.
#pragma once

#include <string>
#include <vector>

#include "model/document.hpp"

namespace quillmark {

enum class Role { Applicants, Assignees, Inventors };

std::vector<std::string> party_names(const Document& document, Role role);
// Given name, middle name, family name and suffix, the present ones joined
// with one space; absent when none is present.
OptionalText person_name(const Person& person);

}  // namespace quillmark
