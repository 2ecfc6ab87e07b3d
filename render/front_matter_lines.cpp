#include "render/front_matter_lines.hpp"

namespace quillmark {

void FrontMatterLines::open(const Document& document, const PublicationIdentifier& identifier) {
    lines_.add("---");
    scalar("filing_date", filing_date(document));
    scalar("application_number", written_application_number(document));
    scalar("publication_number", identifier.publication_number);
    scalar("publication_date", identifier.publication_date);
    scalar("patent_number", identifier.patent_number);
}

void FrontMatterLines::scalar(std::string_view key, const OptionalText& value) {
    std::string line(key);
    line += ": ";
    if (value)
        write_scalar_(line, *value);
    else
        line += "null";
    lines_.add(line);
}

void FrontMatterLines::list(std::string_view key, const std::vector<std::string>& values) {
    std::string line(key);
    if (values.empty()) {
        lines_.add(line + ": []");
        return;
    }
    lines_.add(line + ":");
    for (const std::string& value : values) {
        std::string item = "  - ";
        write_scalar_(item, value);
        lines_.add(item);
    }
}

void FrontMatterLines::priority_chain(const std::vector<PriorityLink>& chain) {
    if (chain.empty()) {
        lines_.add("priority_chain: []");
        return;
    }
    lines_.add("priority_chain:");
    for (const PriorityLink& link : chain) {
        scalar("  - relationship", link.relationship);
        scalar("    parent_doc_number", written_doc_number(link.parent_doc_number));
        scalar("    parent_date", link.parent_date);
        scalar("    child_doc_number", written_doc_number(link.child_doc_number));
    }
}

std::string FrontMatterLines::finish() {
    lines_.add("---");
    return lines_.finish();
}

}  // namespace quillmark
