// APS Green Book text, pass 1: lines to tagged records, and the field
// lookup pass 2 is built on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/record/document.hpp"

namespace quillmark::aps {

struct ApsRecord {
    std::string segment;  // name of the segment the record belongs to
    std::string code;     // field code, trailing spaces removed, at most four characters
    std::string value;

    bool operator==(const ApsRecord&) const = default;
};

using ApsRecords = std::vector<ApsRecord>;

// The twenty segment names, in the order of the Green Book.
inline constexpr std::string_view segment_names[] = {
    "PATN", "INVT", "ASSG", "PRIR", "REIS", "RLAP", "PARN", "CLAS", "UREF", "FREF",
    "OREF", "LREP", "PCTA", "ABST", "GOVT", "BSUM", "DRWD", "DETD", "CLMS", "DCLM",
};

bool is_segment_name(std::string_view code);

// "TBL", "TBL3" and "EQU": values that keep their line structure.
bool is_table_code(std::string_view code);

// Pass 1. Never fails: an empty list means the text held no field. Input
// that is not valid UTF-8 is repaired first (records.cpp), so every value is
// valid UTF-8.
ApsRecords read_records(std::string_view text);

// The value of the first record whose segment and code both equal the
// arguments; absent when there is none or when that first record's value
// is empty (later records are not consulted).
OptionalText find_field(const ApsRecords& records, std::string_view segment, std::string_view code);

}  // namespace quillmark::aps
