// A document's Markdown: the sections a template names, in its places,
// with runs of blank lines collapsed and the whole trimmed.
#pragma once

#include <string>
#include <string_view>

#include "model/record/document.hpp"
#include "model/record/result.hpp"
#include "render/flavor.hpp"
#include "render/template.hpp"

namespace quillmark {

// With the default template.
std::string render_markdown(const Document& document, Flavor flavor = Flavor::Default);
Result<std::string, TemplateError> render_markdown_with_template(const Document& document, std::string_view text,
                                                                 Flavor flavor = Flavor::Default);

}  // namespace quillmark
