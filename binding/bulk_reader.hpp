// read_bulk: the publications of bulk files, archives and directories as
// an iterator of BulkItem objects.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "binding/python.hpp"
#include "bulk/bulk_splitter.hpp"
#include "bulk/inputs.hpp"

namespace quillmark {

// Creates the iterator and BulkItem classes and adds BulkItem to the module;
// false with a Python exception set on failure.
bool add_bulk_types(PyObject* module);

PyObject* read_bulk(PyObject* self, PyObject* args, PyObject* kwargs);

// The `byte_range` argument of `function`: None, or a (start, stop) pair
// for `path` when it names one uncompressed file (`inputs` as it expands). False with a Python exception
// set when it is neither.
bool byte_range_argument(std::string_view function, PyObject* value, const std::string& path,
                         const bulk::InputList& inputs, std::optional<bulk::ByteRange>& range);

}  // namespace quillmark
