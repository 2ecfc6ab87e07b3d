// The Citation class: one document a publication cites, an independent copy.
#include "binding/citation_type.hpp"

#include "binding/record_object.hpp"
#include "binding/repr.hpp"
#include "model/facts/getters.hpp"
#include "model/text/utf8.hpp"

namespace quillmark {

namespace {

constexpr char citation_name[] = "Citation";

PyObject* citation_type = nullptr;

// Every field of the class: its entry of the table is the closure.
PyObject* get_field(PyObject* self, void* closure) {
    return py::new_optional_str(record_of<Citation>(self).*py::entry_of<CitationField>(closure).value);
}

// Every field; a long text is cut after 60 characters, as a claim's is.
PyObject* citation_repr(PyObject* self) {
    const Citation& citation = record_of<Citation>(self);
    std::string text = "Citation(";
    for (const CitationField& field : citation_fields) {
        if (&field != &citation_fields[0]) text += ", ";
        text += field.name;
        text += '=';
        const OptionalText& value = citation.*field.value;
        if (!value) {
            text += "None";
            continue;
        }
        const std::string_view shown = first_characters(*value, 60);
        append_quoted(text, shown);
        if (shown.size() < value->size()) text += "\u2026";
    }
    text += ')';
    return py::new_str(text);
}

constinit auto citation_getset = py::read_only_attributes(citation_fields, get_field);

PyType_Slot citation_slots[] = {
    {Py_tp_doc, const_cast<char*>("A document the publication cites: a patent (country, doc_number, kind,\n"
                                  "name, date) or other literature (text), with who cited it (category).")},
    {Py_tp_new, reinterpret_cast<void*>(refuse_construction<citation_name>)},
    {Py_tp_dealloc, reinterpret_cast<void*>(release_record_object<Citation>)},
    {Py_tp_repr, reinterpret_cast<void*>(py::guarded<citation_repr>)},
    {Py_tp_getset, citation_getset.data()},
    {0, nullptr},
};

PyType_Spec citation_spec = {"quillmark.Citation", sizeof(RecordObject<Citation>), 0, Py_TPFLAGS_DEFAULT,
                             citation_slots};

}  // namespace

PyObject* create_citation_type() {
    citation_type = PyType_FromSpec(&citation_spec);
    return citation_type;
}

PyObject* new_citation_object(Citation citation) { return new_record_object(citation_type, std::move(citation)); }

}  // namespace quillmark
