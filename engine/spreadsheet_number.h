#pragma once

#include <string>
#include <string_view>

namespace dissim {

// Room for the text of one number as a spreadsheet shows it.
struct SpreadsheetNumberText {
    char text[32];
};

// A number as a spreadsheet's General format shows it, from the text a workbook stores it as
// ("0.30000000000000004", "3.0000000000000004", "1E-20"): at most 15 significant digits, the
// fewest that show the rounded value ("0.3", "3"), a period as the decimal point; plain digits
// for a decimal exponent from -5 to 14, the exponent form beyond ("1E-20", "1.5E+16").
// Plain whole numbers of up to 15 digits come back as they are, uncopied. Text that is no
// number comes back as it is. The result lies in room or in stored.
std::string_view spreadsheetNumber(std::string_view stored, SpreadsheetNumberText& room);

// The same for a value (finite; "0" for zero, either sign).
std::string spreadsheetNumber(double value);

} // namespace dissim
