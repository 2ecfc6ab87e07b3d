// The BulkItem class: one publication of a bulk file as read_bulk yields it.
#pragma once

#include "binding/python.hpp"
#include "bulk/parsed_stream.hpp"

namespace quillmark {

PyObject* create_bulk_item_type();
// A new BulkItem from a result, its Document made here; nullptr with a
// Python exception set on failure.
PyObject* new_bulk_item(bulk::ParsedItem result);

}  // namespace quillmark
