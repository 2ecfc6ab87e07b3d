// The BulkItem class: one publication of a bulk file as read_bulk yields it.
#pragma once

#include "binding/bulk_run.hpp"
#include "binding/python.hpp"

namespace quillmark {

PyObject* create_bulk_item_type();
// A new BulkItem from a result, its Document made here; nullptr with a
// Python exception set on failure.
PyObject* new_bulk_item(BulkResult result);

}  // namespace quillmark
