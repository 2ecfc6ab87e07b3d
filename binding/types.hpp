// The Document, Claim and Citation classes.
#pragma once

#include "binding/python.hpp"
#include "model/record/document.hpp"
#include "model/facts/summary.hpp"
#include "render/flavor.hpp"

namespace quillmark {

// Create the classes and add them to the module: Document and Claim, then
// (after the module's version) Citation. False with a Python exception set
// on failure.
bool create_types(PyObject* module);
bool add_citation_type(PyObject* module);
// A new Document object owning the record and its summary (made here, or
// already made elsewhere).
PyObject* new_document_object(Document record);
PyObject* new_document_object(Document record, DocumentSummary summary);
// The flavour a `flavor` argument names, None giving the default layout;
// nothing, with TypeError (not a str) or ValueError (no such flavour) set,
// otherwise.
std::optional<Flavor> flavor_argument(PyObject* flavor, const char* function);
// Whether a `template` argument is None or a str that is not a flavour's
// name (a flavour named where the template goes, as the second positional
// argument); TypeError or ValueError set when it is not.
bool is_template_argument(PyObject* template_text, const char* function);
// Renders a record with the template object (None or a str) in a flavour
// and returns the Markdown as a str; raises ValueError for an invalid
// template.
PyObject* render_to_str(const Document& record, PyObject* template_text, Flavor flavor);

}  // namespace quillmark
