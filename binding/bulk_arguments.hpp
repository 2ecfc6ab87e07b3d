// What read_bulk and read_bulk_arrow share of their arguments, checked the
// same way: the path (an OSError when it cannot be opened), the jobs, the
// document size limit and the byte range.
#pragma once

#include <optional>

#include "binding/python.hpp"
#include "bulk/inputs.hpp"
#include "bulk/pipeline.hpp"

namespace quillmark {

struct BulkArguments {
    bulk::InputList inputs;
    bulk::PipelineSettings settings;
};

// Nothing, with a Python exception set, for an argument out of its range, a
// path that cannot be opened, or a byte range (None or (start, stop)) of
// anything but one uncompressed file.
std::optional<BulkArguments> bulk_arguments(const char* function, PyObject* path, Py_ssize_t jobs,
                                            Py_ssize_t largest, PyObject* byte_range);

}  // namespace quillmark
