// The Bibliographic section of an APS grant: publication reference, the
// application reference, title and classifications, inventors, assignees,
// foreign priority claims, parent applications and the cited references
// (UREF, FREF, OREF).
#include <vector>

#include "model/text/classification_forms.hpp"
#include "model/text/text.hpp"
#include "model/text/utf8.hpp"
#include "source/aps/bibliographic.hpp"

namespace quillmark::aps {

namespace {

constexpr std::string_view patn = "PATN";

OptionalText non_empty(std::string_view text) {
    if (text.empty()) return std::nullopt;
    return std::string(text);
}

ApplicationReference application_reference(const ApsRecords& records, bool design) {
    ApplicationReference item;
    const OptionalText number = find_field(records, patn, "APN");
    const OptionalText type = find_field(records, patn, "APT");
    if (number || type) {
        ApplicationNumber entry;
        entry.appl_type = type;
        if (number) entry.doc_number = normalise_apn(*number);
        item.entries.emplace_back(std::move(entry));
    }
    if (OptionalText code = series_code(find_field(records, patn, "SRC").value_or(std::string()), design))
        item.entries.emplace_back(SeriesCode{std::move(*code)});
    if (OptionalText date = find_field(records, patn, "APD")) item.entries.emplace_back(FilingDate{std::move(*date)});
    return item;
}

// The values of every record of segment "CLAS" with the code, in record
// order: trimmed (IPC symbols), or with the spaces that pad the columns of
// a US class in front ("  2161A"); blank values are dropped.
std::vector<std::string> classification_values(const ApsRecords& records, std::string_view code, bool padded) {
    std::vector<std::string> values;
    for (const ApsRecord& record : records) {
        if (record.segment != "CLAS" || record.code != code) continue;
        const std::string_view trimmed = trim(record.value);
        if (trimmed.empty()) continue;
        values.emplace_back(padded ? trim_end(record.value) : trimmed);
    }
    return values;
}

// The first value is the main classification, the others the further ones.
template <class Entry>
std::optional<Entry> classification(std::vector<std::string> values) {
    if (values.empty()) return std::nullopt;
    Entry entry;
    entry.main = std::move(values.front());
    entry.further.assign(std::make_move_iterator(values.begin() + 1), std::make_move_iterator(values.end()));
    return entry;
}

TechnicalInformation technical_information(const ApsRecords& records) {
    // "ICL" holds the IPC symbols, or a design's Locarno classes.
    std::vector<std::string> ipc, locarno;
    for (std::string& value : classification_values(records, "ICL", false))
        (is_locarno_class(value) ? locarno : ipc).push_back(std::move(value));
    TechnicalInformation item;
    if (auto entry = classification<IpcClassification>(std::move(ipc))) item.entries.emplace_back(std::move(*entry));
    if (auto entry = classification<LocarnoClassification>(std::move(locarno)))
        item.entries.emplace_back(std::move(*entry));
    // "OCL" values come before "XCL" values, whatever their record order.
    std::vector<std::string> us = classification_values(records, "OCL", true);
    for (std::string& value : classification_values(records, "XCL", true)) us.push_back(std::move(value));
    if (auto national = classification<NationalClassification>(std::move(us)))
        item.entries.emplace_back(std::move(*national));
    if (OptionalText title = find_field(records, patn, "TTL"))
        item.entries.emplace_back(InventionTitle{std::move(*title)});
    return item;
}

// Segment "INVT": each "NAM" opens an inventor; the "CTY", "STA" and "CNT"
// records after it (the first of each) complete it.
Inventors inventors(const ApsRecords& records) {
    std::vector<Person> people;
    for (const ApsRecord& record : records) {
        if (record.segment != "INVT") continue;
        if (record.code == "NAM") {
            PersonName name = split_inventor_name(record.value);
            Person person;
            person.family_name = std::move(name.family_name);
            person.given_name = std::move(name.given_name);
            people.push_back(std::move(person));
            continue;
        }
        if (people.empty()) continue;  // no inventor opened yet
        OptionalText* field = nullptr;
        if (record.code == "CTY") field = &people.back().city;
        if (record.code == "STA") field = &people.back().state;
        if (record.code == "CNT") field = &people.back().country;
        if (field && !*field) *field = non_empty(record.value);
    }
    Inventors item;
    for (std::size_t i = 0; i < people.size(); ++i) {
        if (i == 0)
            item.entries.emplace_back(FirstNamedInventor{std::move(people[i])});
        else
            item.entries.emplace_back(Inventor{std::move(people[i])});
    }
    return item;
}

// Segment "ASSG": one party per "NAM" record, named by its value whole
// (it does not tell an organisation from a person).
Assignees assignees(const ApsRecords& records) {
    Assignees item;
    for (const ApsRecord& record : records) {
        if (record.segment != "ASSG" || record.code != "NAM") continue;
        Party& party = item.group.parties.emplace_back();
        party.name = non_empty(record.value);
    }
    return item;
}

// Reads the records of the segments into entries of several fields: a
// record whose code `field_of` names fills that field of the entry being
// read, and a field that entry already has, or a record of another segment,
// starts the next entry.
template <class Entry, class FieldOf>
std::vector<Entry> grouped_entries(const ApsRecords& records, std::initializer_list<std::string_view> segments,
                                   FieldOf field_of) {
    std::vector<Entry> entries;
    std::string_view segment;
    for (const ApsRecord& record : records) {
        bool wanted = false;
        for (std::string_view name : segments) wanted = wanted || record.segment == name;
        OptionalText Entry::*field = wanted ? field_of(record.code) : nullptr;
        if (!field) continue;
        if (entries.empty() || record.segment != segment || entries.back().*field) entries.emplace_back();
        segment = record.segment;
        entries.back().*field = non_empty(trim(record.value));
    }
    return entries;
}

// Segment "PRIR": the country ("CNT"), number ("APN") and filing date
// ("APD") of each foreign application claimed.
PriorityClaims priority_claims(const ApsRecords& records) {
    return {{}, grouped_entries<PriorityClaim>(records, {"PRIR"}, [](std::string_view code) {
                OptionalText PriorityClaim::*field = nullptr;
                if (code == "CNT") field = &PriorityClaim::country;
                if (code == "APN") field = &PriorityClaim::doc_number;
                if (code == "APD") field = &PriorityClaim::date;
                return field;
            })};
}

// The relation a "COD" of segment "RLAP" names, in the words of the XML
// generations; a code of unknown meaning names none.
OptionalText relation_of(const OptionalText& code) {
    if (!code) return std::nullopt;
    if (*code == "71") return "continuation";
    if (*code == "72") return "continuation-in-part";
    return std::nullopt;
}

// Segment "RLAP": each parent application by its relation ("COD"), its
// serial number ("APN") and its filing date ("APD").
RelatedDocuments parent_applications(const ApsRecords& records) {
    RelatedDocuments item;
    for (Relation& relation : grouped_entries<Relation>(records, {"RLAP"}, [](std::string_view code) {
             OptionalText Relation::*field = nullptr;
             if (code == "COD") field = &Relation::relationship;
             if (code == "APN") field = &Relation::parent_doc_number;
             if (code == "APD") field = &Relation::parent_date;
             return field;
         })) {
        relation.relationship = relation_of(relation.relationship);
        item.entries.emplace_back(std::move(relation));
    }
    return item;
}

// Segments "UREF" (US patents: "PNO" number, "ISD" issue date, "NAM" name)
// and "FREF" (foreign patents: "PNO", "ISD", "CNT" country), then "OREF"
// (other literature, one reference per record).
Citations citations(const ApsRecords& records) {
    Citations item{{}, grouped_entries<Citation>(records, {"UREF", "FREF"}, [](std::string_view code) {
                       OptionalText Citation::*field = nullptr;
                       if (code == "PNO") field = &Citation::doc_number;
                       if (code == "ISD") field = &Citation::date;
                       if (code == "NAM") field = &Citation::name;
                       if (code == "CNT") field = &Citation::country;
                       return field;
                   })};
    for (const ApsRecord& record : records) {
        if (record.segment != "OREF") continue;
        Citation& citation = item.citations.emplace_back();
        citation.text = non_empty(trim(record.value));
        if (!citation.text) item.citations.pop_back();
    }
    return item;
}

}  // namespace

namespace {

// Kind codes as the USPTO printed them from 2 January 2001 on, and before.
struct Kinds {
    const char* from_2001;
    const char* before_2001;
};

// By the letters before the number: utility patents (none), designs,
// reissues (of designs too), plant patents and statutory invention
// registrations. Defensive publications ("T") never carried a kind.
std::optional<Kinds> kinds_of(std::string_view prefix) {
    if (prefix.empty()) return Kinds{"B1", "A"};
    if (prefix == "D") return Kinds{"S", "S"};
    if (prefix == "RE" || prefix == "RD") return Kinds{"E", "E"};
    if (prefix == "P" || prefix == "PP") return Kinds{"P2", "P"};
    if (prefix.front() == 'H') return Kinds{"H", "H"};
    if (prefix == "T") return std::nullopt;
    return Kinds{"B1", "A"};
}

// An issue date before the kind codes of 2001; one not written as eight
// digits counts as before, as nearly every APS grant is.
bool issued_before_2001(const OptionalText& issue_date) {
    if (!issue_date) return true;
    const std::string_view date = trim(*issue_date);
    return date.size() != 8 || !is_ascii_digits(date) || date < "20010102";
}

}  // namespace

PatentNumber normalise_wku(std::string_view wku, const OptionalText& issue_date) {
    const std::string_view value = trim(wku);
    std::size_t letters = 0;
    while (letters < value.size() && is_ascii_letter(value[letters])) ++letters;
    const std::string_view prefix = value.substr(0, letters);
    std::string_view rest = value.substr(letters);
    if (offset_after_characters(rest, 1) < rest.size()) rest = without_last_character(rest);  // the check digit
    std::string digits;
    for (char c : rest)
        if (is_ascii_digit(c)) digits += c;
    std::string number = std::string(prefix) + strip_leading_zeros(digits);

    const std::optional<Kinds> kinds = kinds_of(prefix);
    if (!kinds) return {std::move(number), std::nullopt};
    return {std::move(number), issued_before_2001(issue_date) ? kinds->before_2001 : kinds->from_2001};
}

std::string normalise_apn(std::string_view apn) {
    const std::string_view value = trim(apn);
    if (value.empty()) return {};
    if (offset_after_characters(value, 6) + 1 == value.size() && is_ascii_digits(value.substr(0, 6)))
        return std::string(value.substr(0, 6));  // the serial number before its check character
    const std::string_view last = last_character(value);
    const bool alphanumeric = last.size() == 1 && (is_ascii_digit(last[0]) || is_ascii_letter(last[0]));
    const std::string_view before = without_last_character(value);
    if (!alphanumeric && is_ascii_digits(before)) return std::string(before);
    return std::string(value);
}

OptionalText series_code(std::string_view src, bool design) {
    if (design) return "29";
    const std::string_view code = trim(src);
    if (code.empty()) return std::nullopt;
    if (code == "D") return "29";
    if (code.size() == 1 && is_ascii_digit(code[0])) return "0" + std::string(code);
    return std::string(code);
}

PersonName split_inventor_name(std::string_view name) {
    const std::size_t semicolon = name.find(';');
    if (semicolon == std::string_view::npos) return {non_empty(trim(name)), std::nullopt};
    return {non_empty(trim(name.substr(0, semicolon))), non_empty(trim(name.substr(semicolon + 1)))};
}

std::optional<BibliographicSection> build_bibliographic(const ApsRecords& records) {
    const OptionalText wku = find_field(records, patn, "WKU");
    if (!wku) return std::nullopt;

    BibliographicSection section;
    const OptionalText issue_date = find_field(records, patn, "ISD");
    PatentNumber number = normalise_wku(*wku, issue_date);
    const bool design = number.kind == "S";
    DocumentId id;
    id.doc_number = std::move(number.doc_number);
    id.kind = std::move(number.kind);
    id.date = issue_date;
    id.country = "US";
    section.items.emplace_back(PublicationReference{std::move(id)});

    if (ApplicationReference item = application_reference(records, design); !item.entries.empty())
        section.items.emplace_back(std::move(item));
    if (TechnicalInformation item = technical_information(records); !item.entries.empty())
        section.items.emplace_back(std::move(item));
    if (Inventors item = inventors(records); !item.entries.empty()) section.items.emplace_back(std::move(item));
    if (Assignees item = assignees(records); !item.group.parties.empty()) section.items.emplace_back(std::move(item));
    if (PriorityClaims item = priority_claims(records); !item.claims.empty()) section.items.emplace_back(std::move(item));
    if (RelatedDocuments item = parent_applications(records); !item.entries.empty())
        section.items.emplace_back(std::move(item));
    if (Citations item = citations(records); !item.citations.empty()) section.items.emplace_back(std::move(item));
    return section;
}

}  // namespace quillmark::aps
