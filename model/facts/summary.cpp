#include "model/facts/summary.hpp"

#include "model/text/entities.hpp"
#include "model/record/serialise.hpp"
#include "model/text/text.hpp"

namespace quillmark {

namespace {

void append_plain_text(std::string& out, InlineContent::Nodes nodes) {
    for (InlineContent::Ref node : nodes) {
        switch (node.kind()) {
            case InlineKind::Text: append_decoded(out, node.text_value()); break;
            case InlineKind::Element: append_serialised(out, node.element_value()); break;
            default: append_plain_text(out, node.children()); break;
        }
    }
}

}  // namespace

void append_plain_text(std::string& out, const InlineContent& content) { append_plain_text(out, content.nodes()); }

std::string plain_text(const InlineContent& content) {
    std::string out;
    append_plain_text(out, content);
    return out;
}

OptionalText abstract_text(const Document& document) {
    for (const Section& section : document.sections) {
        const auto* abstract = std::get_if<AbstractSection>(&section);
        if (!abstract) continue;
        std::string joined;
        bool any = false;
        for (const AbstractBlock& block : abstract->blocks) {
            const auto* paragraph = std::get_if<Paragraph>(&block);
            if (!paragraph) continue;
            std::string text = plain_text(paragraph->content);
            if (is_white_space_only(text)) continue;
            if (any) joined += "\n\n";
            joined += text;
            any = true;
        }
        if (any) return joined;
    }
    return std::nullopt;
}

std::vector<Claim> claims(const Document& document) {
    std::vector<Claim> result;
    for (const Section& section : document.sections) {
        const auto* claims_section = std::get_if<ClaimsSection>(&section);
        if (!claims_section) continue;
        for (const ClaimsChild& child : claims_section->children) {
            const auto* entry = std::get_if<ClaimEntry>(&child);
            if (!entry) continue;
            const std::string text = plain_text(entry->content);
            const std::string_view trimmed = trim(text);
            if (trimmed.empty()) continue;
            result.push_back({static_cast<std::uint32_t>(result.size() + 1), std::string(trimmed)});
        }
    }
    return result;
}

DocumentSummary summarize(const Document& document) {
    DocumentSummary summary;
    summary.applicants = party_names(document, Role::Applicants);
    summary.assignees = party_names(document, Role::Assignees);
    summary.inventors = party_names(document, Role::Inventors);
    summary.ipc_classifications = ipc_classifications(document);
    summary.us_classifications = us_classifications(document);
    PublicationIdentifier identifier = publication_identifier(document);
    summary.publication_number = std::move(identifier.publication_number);
    summary.patent_number = std::move(identifier.patent_number);
    summary.publication_date = std::move(identifier.publication_date);
    summary.application_number = application_number(document);
    summary.filing_date = filing_date(document);
    summary.title = title(document);
    summary.priority_date = priority_date(document);
    summary.kind = publication_kind(document);
    summary.cpc_classifications = cpc_classifications(document);
    summary.citations = citations(document);
    summary.locarno_classification = locarno_classification(document);
    summary.us_classifications_as_written = us_classifications_as_written(document);
    return summary;
}

}  // namespace quillmark
