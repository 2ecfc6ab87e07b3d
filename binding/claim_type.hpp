#pragma once

#include "binding/python.hpp"
#include "model/facts/summary.hpp"

namespace quillmark {

// Creates the Claim class once; returns a borrowed reference or nullptr.
PyObject* create_claim_type();
PyObject* new_claim_object(Claim claim);

}  // namespace quillmark
