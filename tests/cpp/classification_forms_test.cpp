// US classes read from the fixed-width layout of every generation into
// CLASS/SUBCLASS, and the values that layout does not hold, which no class
// is guessed for.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "model/text/classification_forms.hpp"

namespace quillmark {
namespace {

struct Reading {
    std::string_view written;
    std::string_view form;
};

// Each the way a generation writes it.
constexpr Reading readings[] = {
    // APS OCL and XCL, from column 6 of the line.
    {"  2161A", "2/161A"},
    {"  2 21", "2/21"},
    {"224 4207", "224/42.07"},
    {"281 375", "281/37.5"},
    {"224 42.03R", "224/42.03R"},
    {" 51  7", "51/7"},
    {"134167C", "134/167C"},
    {"  9  8R", "9/8R"},
    {"340  3T", "340/3T"},
    // Grant v2.5 B521 and B522.
    {"4304951", "430/495.1"},
    {"428147", "428/147"},
    {"428 641", "428/64.1"},
    {"D 8 291", "D8/29.1"},
    {" D2960", "D2/960"},
    {" D5 20", "D5/20"},
    {" 15DIG 5", "15/DIG 5"},
    // Applications v1.5 and v1.6: class and subclass of 3 and 6 columns,
    // joined; the decimals are filled with zeros.
    {"210670000", "210/670"},
    {"002006400", "2/6.4"},
    {"008115510", "8/115.51"},
    {"02406800F", "24/68F"},
    {"015DIG001", "15/DIG 1"},
    {"Plt101000", "PLT/101"},
    // Grants v4.x and applications v4.2 on; applications v4.0 and v4.1 as v1.x.
    {"  2 61", "2/61"},
    {"  2 52", "2/52"},
    {"382154", "382/154"},
    {"D 2946", "D2/946"},
    {" D2907", "D2/907"},
    {"D02908", "D2/908"},
    {"D14138 AD", "D14/138AD"},
    {"D14138 G", "D14/138G"},
    {"257E33062", "257/E33.062"},
    {"374 E5041", "374/E5.041"},
    {"438E21170", "438/E21.17"},
    {"PLT471", "PLT/471"},
    {"358  321", "358/3.21"},
    {"604385101", "604/385.101"},
    {"002227000", "2/227"},
    {"623001160", "623/1.16"},
    {"116DIG 17", "116/DIG 17"},
    {"427FOR 123", "427/FOR 123"},
    {"290 40 C", "290/40C"},
    // Ranges of a field of search: the last subclass in the first's columns.
    {"  2 46- 48", "2/46-48"},
    {"  2 491- 495", "2/49.1-49.5"},
    {"358  321-  322", "358/3.21-3.22"},
    {"D29122-123", "D29/122-123"},
    // Padding lost: digits alone are right-justified.
    {"4675", "4/675"},
    {"12345", "12/345"},
    {" 4675", "4/675"},
    // White space after the value, and a text around the columns.
    {"  2 61  \r\n", "2/61"},
};

TEST(UspcClassSubclass, ReadsEveryGenerationsLayout) {
    for (const Reading& reading : readings)
        EXPECT_EQ(uspc_class_subclass(reading.written), std::optional<std::string>(reading.form)) << reading.written;
}

// Values whose columns do not hold a class and subclass: padding lost from
// a value with letters or spaces in it, a left-justified or absent class,
// letters the layout has no place for, all-zero numbers, a text.
constexpr std::string_view unread[] = {
    "",
    "   ",
    "None",
    "2161A",     // "  2161A" without its padding
    "2 61",      // "  2 61" without its padding
    "\n  2 61",  // a line break in front is no padding
    "\t 2 61",
    "D2907",     // " D2907" without its padding
    "2  61",     // a left-justified class
    "   061",    // no class
    "000123",
    "D00123",
    "  D123",
    "123000",    // subclass 0
    "123DIG",    // a collection without its number
    "123DIGX",
    "123 45.A",  // a point without decimals
    "123 45a",   // lower-case letters
    "123 45A1",  // digits after the letters
    "12E 45",
    "  2 46-",   // a range without its end
    "  2 46-48", // the end of a range out of its columns
    "  2 46- 4X8",
    "G9B 10",
    "\xC2\xA0\xC2\xA0" "2 61",  // no-break spaces are no padding
    "1\xD9\xA3\xD9\xA4" "567",  // digits of another script
};

TEST(UspcClassSubclass, GuessesNoClassForValuesOutsideTheLayout) {
    for (std::string_view text : unread) EXPECT_EQ(uspc_class_subclass(text), std::nullopt) << text;
}

}  // namespace
}  // namespace quillmark
