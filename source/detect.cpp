#include "source/detect.hpp"

#include <optional>

#include "model/text/text.hpp"
#include "source/version_markers.hpp"

namespace quillmark {

std::string DetectError::message() const {
    switch (kind) {
        case Kind::MalformedXml: return "malformed XML";
        case Kind::UnsupportedRoot:
            if (root_name == "table") return "supplemental XML root 'table'";
            return "unsupported XML root '" + root_name + "'";
        case Kind::UnknownXmlFormat: return "unknown XML format";
        case Kind::ConflictingXmlVersionMarkers: return "conflicting XML version markers";
    }
    return {};
}

namespace {

const DetectError malformed{DetectError::Kind::MalformedXml, {}};

// The first line that is not blank decides whether the text is APS.
bool is_aps_text(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);  // a CR before the LF is white space
        start = end + 1;
        if (is_white_space_only(line)) continue;
        const std::string_view right_trimmed = trim_end(line);
        if (right_trimmed.size() >= 5 && right_trimmed.starts_with("HHHHH") &&
            right_trimmed.find("APS") != std::string_view::npos)
            return true;
        return trim(line) == "PATN";
    }
    return false;
}

// Skips a document type declaration that starts at `rest` ("!DOCTYPE...").
// Returns the position after it, or nothing when it never ends. The
// declaration ends at the first ">" outside quotes and outside its internal
// subset; the subset ends at the first "]" outside quoted literals, comments
// and processing instructions, so a "]>" inside an entity value or a comment
// does not end it.
std::optional<std::size_t> skip_doctype(std::string_view rest) {
    bool in_subset = false;
    for (std::size_t pos = 0; pos < rest.size(); ++pos) {
        std::string_view closing;
        switch (rest[pos]) {
            case '"': closing = "\""; break;
            case '\'': closing = "'"; break;
            case '[': in_subset = true; continue;
            case ']': in_subset = false; continue;
            case '>':
                if (!in_subset) return pos + 1;
                continue;
            case '<':
                if (!in_subset) continue;
                if (rest.substr(pos).starts_with("<!--")) closing = "-->";
                else if (rest.substr(pos).starts_with("<?")) closing = "?>";
                else continue;
                break;
            default: continue;
        }
        const std::size_t end = rest.find(closing, pos + 1);
        if (end == std::string_view::npos) return std::nullopt;
        pos = end + closing.size() - 1;
    }
    return std::nullopt;
}

// Finds the root element's name past the prolog.
Result<std::string_view, DetectError> root_element_name(std::string_view text) {
    std::string_view rest = trim_start(text);
    while (true) {
        const std::size_t lt = rest.find('<');
        if (lt == std::string_view::npos) return malformed;
        if (!is_white_space_only(rest.substr(0, lt))) return malformed;
        rest.remove_prefix(lt + 1);
        std::optional<std::size_t> skip;
        if (rest.starts_with("?")) {
            const std::size_t end = rest.find("?>", 1);
            if (end != std::string_view::npos) skip = end + 2;
        } else if (rest.starts_with("!DOCTYPE")) {
            skip = skip_doctype(rest);
        } else if (rest.starts_with("!--")) {
            const std::size_t end = rest.find("-->", 3);
            if (end != std::string_view::npos) skip = end + 3;
        } else {
            break;
        }
        if (!skip) return malformed;
        rest.remove_prefix(*skip);
    }
    if (rest.empty() || rest.front() == '!' || rest.front() == '/') return malformed;
    std::size_t end = 0;
    while (end < rest.size() && rest[end] != '/' && rest[end] != '>' && white_space_at(rest, end) == 0) ++end;
    if (end == 0) return malformed;
    return rest.substr(0, end);
}

enum class Family { Application, Grant };

// A version marker's family, and its format when the marker names a version.
struct Candidate {
    Family family;
    std::optional<SourceFormat> format;
};

constexpr SourceFormat application_v4_formats[] = {
    SourceFormat::UsptoApplicationV40, SourceFormat::UsptoApplicationV41, SourceFormat::UsptoApplicationV42,
    SourceFormat::UsptoApplicationV43, SourceFormat::UsptoApplicationV44, SourceFormat::UsptoApplicationV45,
    SourceFormat::UsptoApplicationV46,
};
constexpr SourceFormat grant_v4_formats[] = {
    SourceFormat::UsptoGrantV40, SourceFormat::UsptoGrantV41, SourceFormat::UsptoGrantV42,
    SourceFormat::UsptoGrantV43, SourceFormat::UsptoGrantV44, SourceFormat::UsptoGrantV45,
    SourceFormat::UsptoGrantV46, SourceFormat::UsptoGrantV47,
};

// Runs the marker tests in their fixed order, then resolves the candidates.
Result<SourceFormat, DetectError> resolve_version(Family root, const VersionMarkers& markers) {
    Candidate candidates[24];
    int count = 0;
    auto add = [&](Family family, std::optional<SourceFormat> format) { candidates[count++] = {family, format}; };

    if (markers.pap_v15_dtd) add(Family::Application, SourceFormat::UsptoApplicationV15);
    if (markers.pap_v16) add(Family::Application, SourceFormat::UsptoApplicationV16);
    if (markers.st32_grant_dtd || markers.dtd_2_5) add(Family::Grant, SourceFormat::UsptoGrantV25);
    for (int minor = 0; minor <= 6; ++minor)
        if (markers.application_v4[minor] || (root == Family::Application && markers.dtd_version_v4_dot[minor]))
            add(Family::Application, application_v4_formats[minor]);
    if (markers.grant_v4[0] || (root == Family::Grant && markers.dtd_version_v40))
        add(Family::Grant, SourceFormat::UsptoGrantV40);
    for (int minor = 1; minor <= 7; ++minor)
        if (markers.grant_v4[minor] || (root == Family::Grant && markers.dtd_version_v4_dot[minor]))
            add(Family::Grant, grant_v4_formats[minor]);
    if (markers.doctype_application) add(Family::Application, std::nullopt);
    if (markers.doctype_grant || markers.doctype_patdoc) add(Family::Grant, std::nullopt);

    const DetectError conflicting{DetectError::Kind::ConflictingXmlVersionMarkers, {}};
    for (int i = 0; i < count; ++i)
        if (candidates[i].family != root) return conflicting;
    std::optional<SourceFormat> current;
    for (int i = 0; i < count; ++i) {
        const std::optional<SourceFormat> format = candidates[i].format;
        if (!format) continue;
        if (current && current != format) return conflicting;
        current = format;
    }
    if (!current) return DetectError{DetectError::Kind::UnknownXmlFormat, {}};
    return *current;
}

}  // namespace

std::string_view without_byte_order_mark(std::string_view text) {
    constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
    if (text.starts_with(byte_order_mark)) text.remove_prefix(byte_order_mark.size());
    return text;
}

Result<SourceFormat, DetectError> detect_source_format(std::string_view text) {
    text = without_byte_order_mark(text);
    if (is_white_space_only(text)) return malformed;
    if (is_aps_text(text)) return SourceFormat::UsptoGrantApsGreenBook;

    auto root = root_element_name(text);
    if (!root) return root.error();
    const std::string_view name = root.value();
    Family family;
    if (name == "sequence-cwu") return SourceFormat::UsptoSequenceCwu;
    if (name == "PATDOC" || name == "us-patent-grant")
        family = Family::Grant;
    else if (name == "us-patent-application" || name == "patent-application-publication")
        family = Family::Application;
    else
        return DetectError{DetectError::Kind::UnsupportedRoot, std::string(name)};

    return resolve_version(family, scan_version_markers(text));
}

}  // namespace quillmark
