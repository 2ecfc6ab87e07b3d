// A person's name as one text, for the parsers and the party names alike.
#pragma once

#include "model/record/document.hpp"

namespace quillmark {

// Given name, middle name, family name and suffix, the present ones joined
// with one space; absent when none is present.
OptionalText person_name(const Person& person);

}  // namespace quillmark
