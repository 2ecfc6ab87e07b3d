// The Document class: a read-only view of one parsed record and its summary.
#include <memory>

#include "binding/citation_type.hpp"
#include "binding/claim_type.hpp"
#include "binding/python_record.hpp"
#include "binding/repr.hpp"
#include "binding/types.hpp"
#include "render/markdown.hpp"

namespace quillmark {

namespace {

struct DocumentObject {
    PyObject_HEAD
    Document* record;
    DocumentSummary* summary;
};

PyObject* document_type = nullptr;

DocumentObject& as_document(PyObject* self) { return *reinterpret_cast<DocumentObject*>(self); }
const DocumentSummary& summary_of(PyObject* self) { return *as_document(self).summary; }

PyObject* document_new(PyTypeObject*, PyObject*, PyObject*) {
    PyErr_SetString(PyExc_TypeError, "No constructor defined for Document");
    return nullptr;
}

void document_dealloc(PyObject* self) {
    delete as_document(self).record;
    delete as_document(self).summary;
    PyTypeObject* type = Py_TYPE(self);
    auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_object(self);
    Py_DECREF(type);
}

template <OptionalText DocumentSummary::*field>
PyObject* get_optional(PyObject* self, void*) {
    return py::new_optional_str(summary_of(self).*field);
}

template <std::vector<std::string> DocumentSummary::*field>
PyObject* get_list(PyObject* self, void*) {
    return py::new_str_list(summary_of(self).*field);
}

PyObject* get_source_format(PyObject* self, void*) {
    return py::new_str(source_format_name(as_document(self).record->source_format));
}

PyObject* get_abstract_text(PyObject* self, void*) { return py::new_optional_str(abstract_text(*as_document(self).record)); }

// A list of new objects, one per record.
template <class Record>
PyObject* new_object_list(std::vector<Record> records, PyObject* (*new_object)(Record)) {
    py::Ref list(PyList_New(static_cast<Py_ssize_t>(records.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < records.size(); ++i) {
        PyObject* object = new_object(std::move(records[i]));
        if (!object) return nullptr;
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), object);
    }
    return list.release();
}

PyObject* get_claims(PyObject* self, void*) {
    return new_object_list(claims(*as_document(self).record), new_claim_object);
}

PyObject* get_citations(PyObject* self, void*) { return new_object_list(summary_of(self).citations, new_citation_object); }

PyObject* document_to_markdown(PyObject* self, PyObject* args, PyObject* kwargs) {
    static char* keywords[] = {const_cast<char*>("template"), const_cast<char*>("flavor"), nullptr};
    PyObject* template_text = Py_None;
    PyObject* flavor = Py_None;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O$O:to_markdown", keywords, &template_text, &flavor))
        return nullptr;
    if (!py::is_optional_str(template_text, "to_markdown", "template")) return nullptr;
    const auto chosen = flavor_argument(flavor, "to_markdown");
    if (!chosen) return nullptr;
    return render_to_str(*as_document(self).record, template_text, *chosen);
}

PyObject* document_to_dict(PyObject* self, PyObject*) {
    return record_to_python(*as_document(self).record, summary_of(self));
}

void append_field(std::string& out, const OptionalText& value) {
    if (value)
        append_quoted(out, *value);
    else
        out += "None";
}

PyObject* document_repr(PyObject* self) {
    const DocumentSummary& summary = summary_of(self);
    std::string text = "Document(publication_number=";
    append_field(text, summary.publication_number);
    text += ", title=";
    append_field(text, summary.title);
    text += ')';
    return py::new_str(text);
}

PyGetSetDef document_getset[] = {
    {"publication_number", get_optional<&DocumentSummary::publication_number>, nullptr, nullptr, nullptr},
    {"patent_number", get_optional<&DocumentSummary::patent_number>, nullptr, nullptr, nullptr},
    {"application_number", get_optional<&DocumentSummary::application_number>, nullptr, nullptr, nullptr},
    {"title", get_optional<&DocumentSummary::title>, nullptr, nullptr, nullptr},
    {"filing_date", get_optional<&DocumentSummary::filing_date>, nullptr, nullptr, nullptr},
    {"publication_date", get_optional<&DocumentSummary::publication_date>, nullptr, nullptr, nullptr},
    {"priority_date", get_optional<&DocumentSummary::priority_date>, nullptr, nullptr, nullptr},
    {"inventors", get_list<&DocumentSummary::inventors>, nullptr, nullptr, nullptr},
    {"applicants", get_list<&DocumentSummary::applicants>, nullptr, nullptr, nullptr},
    {"assignees", get_list<&DocumentSummary::assignees>, nullptr, nullptr, nullptr},
    {"ipc_classifications", get_list<&DocumentSummary::ipc_classifications>, nullptr, nullptr, nullptr},
    {"us_classifications", get_list<&DocumentSummary::us_classifications>, nullptr, nullptr, nullptr},
    {"source_format", get_source_format, nullptr, nullptr, nullptr},
    {"abstract_text", py::guarded<get_abstract_text>, nullptr, nullptr, nullptr},
    {"claims", py::guarded<get_claims>, nullptr, nullptr, nullptr},
    {"kind", get_optional<&DocumentSummary::kind>, nullptr, nullptr, nullptr},
    {"cpc_classifications", get_list<&DocumentSummary::cpc_classifications>, nullptr, nullptr, nullptr},
    {"citations", py::guarded<get_citations>, nullptr, nullptr, nullptr},
    {"locarno_classification", get_optional<&DocumentSummary::locarno_classification>, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef document_methods[] = {
    {"to_markdown", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(py::guarded<document_to_markdown>)),
     METH_VARARGS | METH_KEYWORDS,
     "to_markdown($self, template=None, *, flavor=None)\n--\n\nRender this document to Markdown, optionally with a section-placeholder\n"
     "template (`{{frontmatter}}`, `{{title}}`, `{{abstract}}`,\n`{{description}}`, `{{claims}}`)."},
    {"to_dict", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(py::guarded<document_to_dict>)), METH_NOARGS,
     "to_dict($self)\n--\n\nThe whole parsed record as plain Python data: every section, bibliographic\n"
     "item, paragraph, heading, claim, inline node and kept XML node with its\n"
     "attributes, in source order, followed by the getters' values under their\n"
     "names."},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot document_slots[] = {
    {Py_tp_doc, const_cast<char*>("A parsed patent document: metadata getters plus `claims`, `abstract_text`,\n"
                                  "and `to_markdown(template=None)`.")},
    {Py_tp_new, reinterpret_cast<void*>(document_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(document_dealloc)},
    {Py_tp_repr, reinterpret_cast<void*>(py::guarded<document_repr>)},
    {Py_tp_getset, document_getset},
    {Py_tp_methods, document_methods},
    {0, nullptr},
};

PyType_Spec document_spec = {"quillmark.Document", sizeof(DocumentObject), 0, Py_TPFLAGS_DEFAULT, document_slots};

}  // namespace

bool create_types(PyObject* module) {
    document_type = PyType_FromSpec(&document_spec);
    if (!document_type) return false;
    PyObject* claim = create_claim_type();
    if (!claim) return false;
    return PyModule_AddObjectRef(module, "Document", document_type) == 0 &&
           PyModule_AddObjectRef(module, "Claim", claim) == 0;
}

bool add_citation_type(PyObject* module) {
    PyObject* citation = create_citation_type();
    return citation && PyModule_AddObjectRef(module, "Citation", citation) == 0;
}

PyObject* new_document_object(Document record) {
    DocumentSummary summary = summarize(record);
    return new_document_object(std::move(record), std::move(summary));
}

PyObject* new_document_object(Document record, DocumentSummary record_summary) {
    auto* type = reinterpret_cast<PyTypeObject*>(document_type);
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
    // Everything that can throw comes before the object exists.
    auto summary = std::make_unique<DocumentSummary>(std::move(record_summary));
    auto owned = std::make_unique<Document>(std::move(record));
    PyObject* object = alloc(type, 0);
    if (!object) return nullptr;
    as_document(object).summary = summary.release();
    as_document(object).record = owned.release();
    return object;
}

std::optional<Flavor> flavor_argument(PyObject* flavor, const char* function) {
    if (flavor == Py_None) return Flavor::Default;
    if (!py::is_optional_str(flavor, function, "flavor")) return std::nullopt;
    const auto name = py::utf8_of(flavor);
    if (!name) return std::nullopt;
    const auto named = flavor_named(name->view());
    if (!named) py::raise_value_error(unknown_flavor_message(name->view()));
    return named;
}

PyObject* render_to_str(const Document& record, PyObject* template_text, Flavor flavor) {
    if (template_text == Py_None) return py::new_str(render_markdown(record, flavor));
    const auto text = py::utf8_of(template_text);
    if (!text) return nullptr;
    auto markdown = render_markdown_with_template(record, text->view(), flavor);
    if (!markdown) return py::raise_value_error(markdown.error().message());
    return py::new_str(markdown.value());
}

}  // namespace quillmark
