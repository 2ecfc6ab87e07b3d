// A document's Markdown: the sections a template names, in its places,
// with runs of blank lines collapsed, the whole trimmed, and every control
// character a terminal would act on (C0 but tab and line feed, and DEL) as
// U+FFFD in both flavours; a template's CR LF line ends stay.
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
