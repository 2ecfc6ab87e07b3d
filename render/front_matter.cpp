#include "render/front_matter.hpp"

#include "model/facts/bibliographic_values.hpp"
#include "model/facts/party_names.hpp"
#include "render/front_matter_lines.hpp"
#include "render/yaml_scalar.hpp"

namespace quillmark {

namespace {

void append_plain_or_quoted(std::string& line, std::string_view value) { line += yaml_scalar(value); }

}  // namespace

std::string render_front_matter(const Document& document) {
    const PublicationIdentifier identifier = publication_identifier(document);
    FrontMatterLines lines(append_plain_or_quoted);
    lines.open(document, identifier);
    lines.scalar("priority_date", priority_date(document));
    lines.list("ipc_classifications", ipc_classifications(document));
    lines.list("us_classifications", us_classifications(document));
    lines.priority_chain(priority_chain(document));
    lines.list("inventors", party_names(document, Role::Inventors));
    lines.list("applicants", party_names(document, Role::Applicants));
    lines.list("assignees", party_names(document, Role::Assignees));
    return lines.finish();
}

}  // namespace quillmark
