// Characters of real-world text: UTF-8 and Windows-1252 (which holds ISO-8859-1's printable
// characters) decoded into code points, HTML entity names, and text brought down to what
// the strip can show.
//
// The strip is drawn in Windows-1252, but the reply grammar ends a field at any byte from
// 0x80 on, so the portal sends only the plain ASCII that the two share: accented letters lose
// their accents, curly quotes become straight ones, dashes '-', an ellipsis "...", and
// characters without a plain likeness '?', as a Windows program's conversion to its code
// page would show them.
#pragma once

#include <string>
#include <string_view>

namespace portal {

// The code point at s[i], advancing i past it. A byte that does not begin a valid UTF-8
// sequence is read as one Windows-1252 character, so that any bytes decode to something.
char32_t NextCodePoint(std::string_view s, std::size_t& i);
void AppendUtf8(std::string& out, char32_t c);
bool IsUtf8(std::string_view s);
std::string Windows1252ToUtf8(std::string_view s);

// The code point of a named HTML character reference ("eacute" -> U+00E9); 0 when unknown.
char32_t HtmlEntity(std::string_view name);

// Text as above (UTF-8, or Windows-1252 where it is not) in printable ASCII of the nearest
// likeness. Control characters become spaces; nothing is folded or cut here.
std::string PlainText(std::string_view s);

}  // namespace portal
