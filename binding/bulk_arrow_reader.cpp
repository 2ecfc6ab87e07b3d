#include "binding/bulk_arrow_reader.hpp"

#include <algorithm>

#include "binding/arrow_stream.hpp"
#include "binding/bulk_arguments.hpp"

namespace quillmark {

namespace {

constexpr const char* function_name = "read_bulk_arrow";
constexpr Py_ssize_t most_batch_rows = Py_ssize_t{1} << 24;

// The flavours `markdown` names, in the flavour table's order; a str names
// one. Nothing, with a Python exception set, for anything else.
std::optional<std::vector<Flavor>> flavors_named(PyObject* markdown) {
    py::Ref names;
    if (PyUnicode_Check(markdown))
        names = py::Ref(PyTuple_Pack(1, markdown));
    else
        names = py::Ref(PySequence_Tuple(markdown));
    if (!names) {
        PyErr_SetString(PyExc_TypeError, "read_bulk_arrow: markdown must be a sequence of flavour names");
        return std::nullopt;
    }
    std::vector<bool> asked(flavors().size(), false);
    for (Py_ssize_t i = 0; i < PyTuple_Size(names.get()); ++i) {
        PyObject* name = PyTuple_GetItem(names.get(), i);
        if (!PyUnicode_Check(name)) {
            PyErr_SetString(PyExc_TypeError, "read_bulk_arrow: markdown must be a sequence of flavour names");
            return std::nullopt;
        }
        const auto text = py::utf8_of(name);
        if (!text) return std::nullopt;
        const auto flavor = flavor_named(text->view());
        if (!flavor) {
            py::raise_value_error("read_bulk_arrow: unknown Markdown flavor '" + std::string(text->view()) +
                                  "'; expected " + flavor_choices("'", " or "));
            return std::nullopt;
        }
        const auto position = static_cast<std::size_t>(&flavor_entry(*flavor) - flavors().data());
        if (asked[position]) {
            py::raise_value_error("read_bulk_arrow: the Markdown flavor '" + std::string(text->view()) +
                                  "' is named twice");
            return std::nullopt;
        }
        asked[position] = true;
    }
    std::vector<Flavor> chosen;
    for (std::size_t i = 0; i < asked.size(); ++i)
        if (asked[i]) chosen.push_back(flavors()[i].flavor);
    return chosen;
}

}  // namespace

bool add_bulk_arrow_types(PyObject* module) { return add_arrow_stream_type(module); }

PyObject* read_bulk_arrow(PyObject*, PyObject* args, PyObject* kwargs) {
    static char* keywords[] = {const_cast<char*>("path"),       const_cast<char*>("markdown"),
                               const_cast<char*>("jobs"),       const_cast<char*>("batch_size"),
                               const_cast<char*>("byte_range"), const_cast<char*>("max_document_size"),
                               nullptr};
    PyObject* path = nullptr;
    PyObject* markdown = nullptr;
    Py_ssize_t jobs = 1;
    Py_ssize_t batch_size = 1024;
    PyObject* byte_range = Py_None;
    Py_ssize_t largest = static_cast<Py_ssize_t>(bulk::default_document_limit);
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "O|$OnnOn:read_bulk_arrow", keywords, &path, &markdown, &jobs,
                                     &batch_size, &byte_range, &largest))
        return nullptr;
    std::vector<Flavor> chosen;
    if (markdown) {
        auto named = flavors_named(markdown);
        if (!named) return nullptr;
        chosen = std::move(*named);
    } else {
        for (const FlavorEntry& entry : flavors()) chosen.push_back(entry.flavor);
    }
    if (batch_size < 1 || batch_size > most_batch_rows)
        return py::raise_value_error("read_bulk_arrow: batch_size must be from 1 to " +
                                     std::to_string(most_batch_rows));
    auto arguments = bulk_arguments(function_name, path, jobs, largest, byte_range);
    if (!arguments) return nullptr;
    auto schema = std::make_unique<arrow::OwnedSchema>();
    if (arrow::make_batch_schema(schema->get(), chosen) != NANOARROW_OK) return PyErr_NoMemory();
    auto batches = std::make_unique<arrow::BatchStream>(std::move(arguments->inputs), std::move(arguments->settings),
                                                        std::move(chosen), *schema->get(), batch_size);
    return new_arrow_stream(std::move(schema), std::move(batches));
}

}  // namespace quillmark
