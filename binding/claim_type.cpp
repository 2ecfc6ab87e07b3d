// The Claim class: one numbered claim, an independent copy.
#include "binding/claim_type.hpp"

#include <memory>

#include "binding/repr.hpp"
#include "model/utf8.hpp"

namespace quillmark {

namespace {

struct ClaimObject {
    PyObject_HEAD
    Claim* claim;
};

PyObject* claim_type = nullptr;

Claim& claim_of(PyObject* self) { return *reinterpret_cast<ClaimObject*>(self)->claim; }

PyObject* claim_new(PyTypeObject*, PyObject*, PyObject*) {
    PyErr_SetString(PyExc_TypeError, "No constructor defined for Claim");
    return nullptr;
}

void claim_dealloc(PyObject* self) {
    delete reinterpret_cast<ClaimObject*>(self)->claim;
    PyTypeObject* type = Py_TYPE(self);
    auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_object(self);
    Py_DECREF(type);
}

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
    {"text", get_text, nullptr, nullptr, nullptr},
    {"number", get_number, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot claim_slots[] = {
    {Py_tp_doc, const_cast<char*>("A single claim, numbered by its 1-based position.")},
    {Py_tp_new, reinterpret_cast<void*>(claim_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(claim_dealloc)},
    {Py_tp_repr, reinterpret_cast<void*>(py::guarded<claim_repr>)},
    {Py_tp_getset, claim_getset},
    {0, nullptr},
};

PyType_Spec claim_spec = {"quillmark.Claim", sizeof(ClaimObject), 0, Py_TPFLAGS_DEFAULT, claim_slots};

}  // namespace

PyObject* create_claim_type() {
    claim_type = PyType_FromSpec(&claim_spec);
    return claim_type;
}

PyObject* new_claim_object(Claim claim) {
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(reinterpret_cast<PyTypeObject*>(claim_type), Py_tp_alloc));
    auto owned = std::make_unique<Claim>(std::move(claim));  // may throw: before the object exists
    PyObject* object = alloc(reinterpret_cast<PyTypeObject*>(claim_type), 0);
    if (!object) return nullptr;
    reinterpret_cast<ClaimObject*>(object)->claim = owned.release();
    return object;
}

}  // namespace quillmark
