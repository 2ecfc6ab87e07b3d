// The Claim class: one numbered claim, an independent copy.
#include "binding/claim_type.hpp"

#include "binding/record_object.hpp"
#include "binding/repr.hpp"
#include "model/text/utf8.hpp"

namespace quillmark {

namespace {

constexpr char claim_name[] = "Claim";

PyObject* claim_type = nullptr;

const Claim& claim_of(PyObject* self) { return record_of<Claim>(self); }

PyObject* get_text(PyObject* self, void*) { return py::new_str(claim_of(self).text); }
PyObject* get_number(PyObject* self, void*) { return PyLong_FromUnsignedLong(claim_of(self).number); }

PyObject* claim_repr(PyObject* self) {
    const Claim& claim = claim_of(self);
    const std::string_view shown = first_characters(claim.text, 60);
    std::string text = "Claim(number=" + std::to_string(claim.number) + ", text=";
    append_quoted(text, shown);
    if (shown.size() < claim.text.size()) text += "\u2026";
    text += ')';
    return py::new_str(text);
}

PyGetSetDef claim_getset[] = {
    {"text", get_text, nullptr, "The claim's text as the publication gives it, starting with its number.", nullptr},
    {"number", get_number, nullptr, "The claim's number: its 1-based position among the claims.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot claim_slots[] = {
    {Py_tp_doc, const_cast<char*>("A single claim, numbered by its 1-based position.")},
    {Py_tp_new, reinterpret_cast<void*>(refuse_construction<claim_name>)},
    {Py_tp_dealloc, reinterpret_cast<void*>(release_record_object<Claim>)},
    {Py_tp_repr, reinterpret_cast<void*>(py::guarded<claim_repr>)},
    {Py_tp_getset, claim_getset},
    {0, nullptr},
};

PyType_Spec claim_spec = {"quillmark.Claim", sizeof(RecordObject<Claim>), 0, Py_TPFLAGS_DEFAULT, claim_slots};

}  // namespace

PyObject* create_claim_type() {
    claim_type = PyType_FromSpec(&claim_spec);
    return claim_type;
}

PyObject* new_claim_object(Claim claim) { return new_record_object(claim_type, std::move(claim)); }

}  // namespace quillmark
