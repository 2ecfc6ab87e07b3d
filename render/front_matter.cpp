// The "---" block of key: value lines with the bibliographic facts.
#include "model/summary.hpp"
#include "model/text.hpp"
#include "render/lines.hpp"
#include "render/markdown.hpp"

namespace quillmark {

namespace {

std::string scalar_line(std::string_view key, const OptionalText& value) {
    std::string line(key);
    line += ": ";
    line += value ? *value : "null";
    return line;
}

void add_list(LineList& lines, std::string_view key, const std::vector<std::string>& values) {
    std::string line(key);
    if (values.empty()) {
        lines.add(line + ": []");
        return;
    }
    lines.add(line + ":");
    for (const std::string& value : values) lines.add("  - " + value);
}

// "09/123456" becomes "9123456"; anything else keeps its trimmed form.
OptionalText chain_number(const OptionalText& number) {
    if (!number) return std::nullopt;
    const std::string_view trimmed = trim(*number);
    const std::size_t slash = trimmed.find('/');
    if (slash != std::string_view::npos) {
        const std::string_view before = trimmed.substr(0, slash), after = trimmed.substr(slash + 1);
        if (!before.empty() && !after.empty() && is_ascii_digits(before) && is_ascii_digits(after))
            return strip_leading_zeros(std::string(before) + std::string(after));
    }
    return std::string(trimmed);
}

void add_priority_chain(LineList& lines, const std::vector<PriorityLink>& chain) {
    if (chain.empty()) {
        lines.add("priority_chain: []");
        return;
    }
    lines.add("priority_chain:");
    for (const PriorityLink& link : chain) {
        lines.add("  - relationship: " + link.relationship);
        lines.add(scalar_line("    parent_doc_number", chain_number(link.parent_doc_number)));
        lines.add(scalar_line("    parent_date", link.parent_date));
        lines.add(scalar_line("    child_doc_number", chain_number(link.child_doc_number)));
    }
}

// The front matter writes the series code and the number apart: "09/123456".
OptionalText front_matter_application_number(const Document& document) {
    const BibliographicSection* bibliographic = first_bibliographic(document);
    if (!bibliographic) return std::nullopt;
    for (const BibliographicItem& item : bibliographic->items) {
        const auto* reference = std::get_if<ApplicationReference>(&item);
        if (!reference) continue;
        const SeriesCode* series = nullptr;
        const std::string* number = nullptr;
        for (const ApplicationEntry& entry : reference->entries) {
            if (const auto* code = std::get_if<SeriesCode>(&entry); code && !series) series = code;
            if (const auto* app = std::get_if<ApplicationNumber>(&entry); app && app->doc_number && !number)
                number = &*app->doc_number;
        }
        if (!number) continue;
        std::string_view trimmed = trim(*number);
        const std::string_view code = series ? trim(series->text) : std::string_view();
        if (code.empty()) return std::string(trimmed);
        if (trimmed.size() > 7 && trimmed.starts_with(code)) trimmed.remove_prefix(code.size());
        return std::string(code) + "/" + std::string(trimmed);
    }
    return std::nullopt;
}

}  // namespace

std::string render_front_matter(const Document& document) {
    const PublicationIdentifier identifier = publication_identifier(document);
    LineList lines;
    lines.add("---");
    lines.add(scalar_line("filing_date", filing_date(document)));
    lines.add(scalar_line("application_number", front_matter_application_number(document)));
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
