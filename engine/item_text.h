#pragma once

#include <string>
#include <string_view>

namespace dissim {

// Whether an item of the sort data file is text a person can read: UTF-8 throughout, with no
// control character but a tab. A spreadsheet's own file, a file in another encoding without
// its byte-order mark, or a stray byte of a binary file is not.
bool isText(std::string_view item);

// The item in double quotes as a failure's description may show it: readable on one line
// whatever it holds. Characters a person can read stand as they are; what cannot be shown is
// written as an escape: a byte that is no UTF-8 or a control byte as \xFF, an invisible or
// control character as \uFEFF, a backslash as \\. Items longer than 40 bytes are cut, at a
// character's start, and end in "...".
std::string quotedItem(std::string_view item);

// A name as a message quotes it (a sheet's, a cell's text, a stimulus's): in double quotes, as
// it stands.
std::string inQuotes(std::string_view text);

// The bytes as escapes, each as \xFF.
std::string escapedBytes(std::string_view bytes);

} // namespace dissim
