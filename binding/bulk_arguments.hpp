// What read_bulk and read_bulk_arrow share of their arguments, checked the
// same way: the path (an OSError when it cannot be opened), the jobs, the
// document size limit and the byte range.
#pragma once

#include <optional>

#include "binding/python.hpp"
#include "bulk/inputs.hpp"
#include "bulk/pipeline.hpp"

namespace quillmark {

// Nothing, with a Python exception set, for an argument out of its range.
// `byte_range` is None or (start, stop).
std::optional<bulk::PipelineSettings> pipeline_settings(const char* function, Py_ssize_t jobs, Py_ssize_t largest,
                                                        PyObject* byte_range);

// The inputs `path` names; nothing, with a Python exception set, for a path
// that cannot be opened, or a byte range of anything but one uncompressed
// file.
std::optional<bulk::InputList> bulk_inputs(const char* function, PyObject* path,
                                           const std::optional<bulk::ByteRange>& range);

}  // namespace quillmark
