#include "render/front_matter.hpp"

#include "model/facts/bibliographic_values.hpp"
#include "model/facts/party_names.hpp"
#include "model/text/text.hpp"
#include "render/lines.hpp"
#include "render/yaml_scalar.hpp"

namespace quillmark {

namespace {

std::string scalar_line(std::string_view key, const OptionalText& value) {
    std::string line(key);
    line += ": ";
    line += value ? yaml_scalar(*value) : "null";
    return line;
}

void add_list(LineList& lines, std::string_view key, const std::vector<std::string>& values) {
    std::string line(key);
    if (values.empty()) {
        lines.add(line + ": []");
        return;
    }
    lines.add(line + ":");
    for (const std::string& value : values) lines.add("  - " + yaml_scalar(value));
}

void add_priority_chain(LineList& lines, const std::vector<PriorityLink>& chain) {
    if (chain.empty()) {
        lines.add("priority_chain: []");
        return;
    }
    lines.add("priority_chain:");
    for (const PriorityLink& link : chain) {
        lines.add("  - relationship: " + yaml_scalar(link.relationship));
        lines.add(scalar_line("    parent_doc_number", written_doc_number(link.parent_doc_number)));
        lines.add(scalar_line("    parent_date", link.parent_date));
        lines.add(scalar_line("    child_doc_number", written_doc_number(link.child_doc_number)));
    }
}

}  // namespace

std::string render_front_matter(const Document& document) {
    const PublicationIdentifier identifier = publication_identifier(document);
    LineList lines;
    lines.add("---");
    lines.add(scalar_line("filing_date", filing_date(document)));
    lines.add(scalar_line("application_number", written_application_number(document)));
    lines.add(scalar_line("publication_number", identifier.publication_number));
    lines.add(scalar_line("publication_date", identifier.publication_date));
    lines.add(scalar_line("patent_number", identifier.patent_number));
    lines.add(scalar_line("priority_date", priority_date(document)));
    add_list(lines, "ipc_classifications", ipc_classifications(document));
    add_list(lines, "us_classifications", us_classifications(document));
    add_priority_chain(lines, priority_chain(document));
    add_list(lines, "inventors", party_names(document, Role::Inventors));
    add_list(lines, "applicants", party_names(document, Role::Applicants));
    add_list(lines, "assignees", party_names(document, Role::Assignees));
    lines.add("---");
    return lines.finish();
}

}  // namespace quillmark
