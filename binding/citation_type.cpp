// The Citation class: one document a publication cites, an independent copy.
#include "binding/citation_type.hpp"

#include "binding/record_object.hpp"
#include "binding/repr.hpp"
#include "model/text/utf8.hpp"

namespace quillmark {

namespace {

constexpr char citation_name[] = "Citation";

PyObject* citation_type = nullptr;

template <OptionalText Citation::*field>
PyObject* get_field(PyObject* self, void*) {
    return py::new_optional_str(record_of<Citation>(self).*field);
}

struct Field {
    const char* name;
    OptionalText Citation::*value;
};

constexpr Field fields[] = {
    {"country", &Citation::country}, {"doc_number", &Citation::doc_number}, {"kind", &Citation::kind},
    {"name", &Citation::name},       {"date", &Citation::date},             {"category", &Citation::category},
    {"text", &Citation::text},
};

// Every field; a long text is cut after 60 characters, as a claim's is.
PyObject* citation_repr(PyObject* self) {
    const Citation& citation = record_of<Citation>(self);
    std::string text = "Citation(";
    for (const Field& field : fields) {
        if (field.value != &Citation::country) text += ", ";
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

PyGetSetDef citation_getset[] = {
    {"country", get_field<&Citation::country>, nullptr, nullptr, nullptr},
    {"doc_number", get_field<&Citation::doc_number>, nullptr, nullptr, nullptr},
    {"kind", get_field<&Citation::kind>, nullptr, nullptr, nullptr},
    {"name", get_field<&Citation::name>, nullptr, nullptr, nullptr},
    {"date", get_field<&Citation::date>, nullptr, nullptr, nullptr},
    {"category", get_field<&Citation::category>, nullptr, nullptr, nullptr},
    {"text", get_field<&Citation::text>, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot citation_slots[] = {
    {Py_tp_doc, const_cast<char*>("A document the publication cites: a patent (country, doc_number, kind,\n"
                                  "name, date) or other literature (text), with who cited it (category).")},
    {Py_tp_new, reinterpret_cast<void*>(refuse_construction<citation_name>)},
    {Py_tp_dealloc, reinterpret_cast<void*>(release_record_object<Citation>)},
    {Py_tp_repr, reinterpret_cast<void*>(py::guarded<citation_repr>)},
    {Py_tp_getset, citation_getset},
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
