// Text inside XML documents (the SVG and GPX exports).
#pragma once

#include <string>
#include <string_view>

// Appends `text` escaped for element content and attribute values (& < > " ').
// Bytes that are not well-formed UTF-8, and characters XML 1.0 does not
// allow (control characters other than tab and line feed, U+FFFE, U+FFFF),
// become U+FFFD, so that a lap name from a file never breaks the document.
void AppendXmlText(std::string& out, std::string_view text);
