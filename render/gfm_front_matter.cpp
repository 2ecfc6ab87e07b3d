#include "render/gfm_front_matter.hpp"

#include "model/facts/bibliographic_values.hpp"
#include "model/facts/party_names.hpp"
#include "render/front_matter_lines.hpp"
#include "render/yaml_scalar.hpp"

namespace quillmark {

std::string render_gfm_front_matter(const Document& document) {
    const PublicationIdentifier identifier = publication_identifier(document);
    FrontMatterLines lines(append_yaml_string);
    lines.open(document, identifier);
    lines.scalar("kind", publication_kind(document));
    lines.scalar("priority_date", priority_date(document));
    lines.list("ipc_classifications", ipc_classifications(document));
    lines.list("cpc_classifications", cpc_classifications(document));
    lines.list("us_classifications", us_classifications(document));
    lines.scalar("locarno_classification", locarno_classification(document));
    lines.priority_chain(priority_chain(document));
    lines.list("inventors", party_names(document, Role::Inventors));
    lines.list("applicants", party_names(document, Role::Applicants));
    lines.list("assignees", party_names(document, Role::Assignees));
    lines.add("citation_count: " + std::to_string(citations(document).size()));
    return lines.finish();
}

}  // namespace quillmark
