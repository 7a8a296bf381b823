#pragma once
#include <string>
#include <string_view>

namespace notecast {

// Text for an SVG document, which is XML in UTF-8.

// Appends text as character data or as an attribute value in double
// quotes. Markup characters are escaped and control characters (which XML
// does not allow) left out. The texts of tune files are not always UTF-8:
// a text that is not valid UTF-8 is read as Latin-1, byte by byte.
void appendXmlText(std::string& out, std::string_view text);

// Appends a coordinate or length with at most one decimal and no trailing
// zero ("12", "12.5", "-3"), the same in every locale.
void appendNumber(std::string& out, double value);

} // namespace notecast
