// The names of a document's applicants, assignees and inventors.
#pragma once

#include <string>
#include <vector>

#include "model/record/document.hpp"
#include "model/record/party_name.hpp"

namespace quillmark {

enum class Role { Applicants, Assignees, Inventors };

std::vector<std::string> party_names(const Document& document, Role role);

}  // namespace quillmark
