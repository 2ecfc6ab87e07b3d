// Pass 1: every line is a header line, a blank line, a continuation line, a
// segment line or a field line.
//
// How columns are counted: one column is one Unicode code point, that is one
// whole UTF-8 sequence of one to four bytes, whatever its display width (a
// combining mark or a wide character is one column, and so is a tab). The
// reader first makes its input valid UTF-8 (each ill-formed byte sequence
// becomes one U+FFFD, see `repair_utf8` in model/utf8.hpp), so every column
// boundary falls between two code points: "the first four characters" of a
// line and "from the sixth character on" can never cut a multi-byte
// character in half, and every value taken from a line is valid UTF-8.
#include "source/aps/records.hpp"

#include <cstring>

#include "model/text/text.hpp"
#include "model/text/utf8.hpp"

namespace quillmark::aps {

namespace {

constexpr std::size_t code_columns = 4;   // the field code: columns 1 to 4
constexpr std::size_t value_column = 5;   // the value: from column 6 on

// Yields the lines of `text`, split at "\n"; a "\r" just before the "\n"
// belongs to the break. A final "\n" ends the last line and starts none.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        const std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) {
            line = text_.substr(pos_);
            pos_ = text_.size();
            return true;
        }
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool is_header_line(std::string_view line) {
    const std::string_view trimmed = trim(line);
    return trimmed.empty() || trimmed.starts_with("HHHHH") || trimmed == "PATN";
}

// Where column `count` + 1 starts: offset_after_characters, without stepping
// through code points when the columns before it are ASCII, as they nearly
// always are.
std::size_t column_offset(std::string_view line, std::size_t count) {
    if (line.size() > count) {
        bool ascii = true;
        for (std::size_t i = 0; i < count; ++i) ascii &= static_cast<unsigned char>(line[i]) < 0x80;
        if (ascii) return count;
    }
    return offset_after_characters(line, count);
}

// A line that starts with a visible ASCII character is not blank: most lines,
// told without a look at the rest.
bool starts_visibly(std::string_view line) { return !line.empty() && line.front() > ' ' && line.front() < 0x7F; }

std::string_view strip_trailing_spaces(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

class RecordReader {
public:
    void read_line(std::string_view line) {
        // A line that starts with a space continues the value before it; when
        // it is blank it adds what a blank line adds (a line break to a
        // table, nothing to other values), so it needs no test of its own.
        if (!line.empty() && line.front() == ' ') {
            continue_value(line.substr(column_offset(line, value_column)));
            return;
        }
        if (!starts_visibly(line) && is_white_space_only(line)) {
            if (!records_.empty() && is_table_code(records_.back().code)) records_.back().value += '\n';
            return;
        }
        const std::string_view code = strip_trailing_spaces(line.substr(0, column_offset(line, code_columns)));
        if (is_segment_name(code)) {
            segment_ = code;
            return;
        }
        records_.push_back(
            {segment_, std::string(code), std::string(trim_end(line.substr(column_offset(line, value_column))))});
    }

    ApsRecords take() { return std::move(records_); }

private:
    void continue_value(std::string_view text) {
        if (records_.empty()) return;
        ApsRecord& previous = records_.back();
        if (is_table_code(previous.code)) {
            previous.value += '\n';
            previous.value += trim_end(text);
            return;
        }
        // An empty piece adds nothing (not even the separating space).
        const std::string_view piece = trim(text);
        if (piece.empty()) return;
        if (!previous.value.empty()) previous.value += ' ';
        previous.value += piece;
    }

    ApsRecords records_;
    std::string segment_ = "PATN";
};

}  // namespace

bool is_segment_name(std::string_view code) {
    if (code.size() != 4) return false;  // every name has four letters
    for (std::string_view name : segment_names)
        if (std::memcmp(code.data(), name.data(), 4) == 0) return true;
    return false;
}

bool is_table_code(std::string_view code) { return code == "TBL3" || code == "TBL" || code == "EQU"; }

ApsRecords read_records(std::string_view input) {
    std::string repaired;
    std::string_view text = input;
    if (!is_valid_utf8(input)) {
        repaired = repair_utf8(input);
        text = repaired;
    }

    Lines lines(text);
    std::string_view line;
    bool reading = false;
    RecordReader reader;
    while (lines.next(line)) {
        if (!reading) {
            if (is_header_line(line)) continue;
            reading = true;
        }
        reader.read_line(line);
    }
    return reader.take();
}

OptionalText find_field(const ApsRecords& records, std::string_view segment, std::string_view code) {
    for (const ApsRecord& record : records) {
        if (record.segment != segment || record.code != code) continue;
        if (record.value.empty()) return std::nullopt;
        return record.value;
    }
    return std::nullopt;
}

}  // namespace quillmark::aps
