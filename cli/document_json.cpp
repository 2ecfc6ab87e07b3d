#include "cli/document_json.hpp"

#include "cli/json.hpp"
#include "model/facts/summary.hpp"

namespace quillmark::cli {

namespace {

void append_key(std::string& out, std::string_view key) {
    if (out.size() > 1) out += ',';
    out += '"';
    out += key;
    out += "\":";
}

void append_claims(std::string& out, const std::vector<Claim>& numbered) {
    out += '[';
    for (std::size_t i = 0; i < numbered.size(); ++i) {
        if (i > 0) out += ',';
        out += "{\"number\":";
        out += std::to_string(numbered[i].number);
        out += ",\"text\":";
        append_json_string(out, numbered[i].text);
        out += '}';
    }
    out += ']';
}

void append_citations(std::string& out, const std::vector<Citation>& citations) {
    out += '[';
    for (std::size_t i = 0; i < citations.size(); ++i) {
        if (i > 0) out += ',';
        const Citation& citation = citations[i];
        const std::pair<std::string_view, const OptionalText*> fields[] = {
            {"country", &citation.country}, {"doc_number", &citation.doc_number}, {"kind", &citation.kind},
            {"name", &citation.name},       {"date", &citation.date},             {"category", &citation.category},
            {"text", &citation.text},
        };
        out += '{';
        for (const auto& [key, value] : fields) {
            if (key != "country") out += ',';
            append_json_string(out, key);
            out += ':';
            append_json_optional(out, *value);
        }
        out += '}';
    }
    out += ']';
}

}  // namespace

std::string document_json(const Document& document, std::string_view markdown) {
    const DocumentSummary summary = summarize(document);
    std::string out;
    out.reserve(markdown.size() * 2 + 1024);
    out += '{';
    const std::pair<std::string_view, const OptionalText*> texts[] = {
        {"publication_number", &summary.publication_number}, {"patent_number", &summary.patent_number},
        {"application_number", &summary.application_number}, {"title", &summary.title},
        {"filing_date", &summary.filing_date},               {"publication_date", &summary.publication_date},
        {"priority_date", &summary.priority_date},
    };
    for (const auto& [key, value] : texts) {
        append_key(out, key);
        append_json_optional(out, *value);
    }
    const std::pair<std::string_view, const std::vector<std::string>*> lists[] = {
        {"inventors", &summary.inventors},
        {"applicants", &summary.applicants},
        {"assignees", &summary.assignees},
        {"ipc_classifications", &summary.ipc_classifications},
        {"us_classifications", &summary.us_classifications},
    };
    for (const auto& [key, value] : lists) {
        append_key(out, key);
        append_json_string_list(out, *value);
    }
    append_key(out, "source_format");
    append_json_string(out, source_format_name(document.source_format));
    append_key(out, "abstract_text");
    append_json_optional(out, abstract_text(document));
    append_key(out, "claims");
    append_claims(out, claims(document));
    append_key(out, "kind");
    append_json_optional(out, summary.kind);
    append_key(out, "cpc_classifications");
    append_json_string_list(out, summary.cpc_classifications);
    append_key(out, "citations");
    append_citations(out, summary.citations);
    append_key(out, "locarno_classification");
    append_json_optional(out, summary.locarno_classification);
    append_key(out, "markdown");
    append_json_string(out, markdown);
    out += '}';
    return out;
}

}  // namespace quillmark::cli
