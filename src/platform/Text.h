#pragma once
// Strings of the program are UTF-8. Bytes read from stored files or the registry may come
// from the Windows-era program in Shift-JIS; they are converted here and nowhere else.
#include <string>
#include <string_view>
#include <vector>

namespace muralto {

bool IsValidUtf8(std::string_view bytes);
// Stored bytes as UTF-8: valid UTF-8 stays, anything else is read as CP932.
std::string FromStored(std::string_view bytes);

char FoldAscii(char c);
std::string UpperAscii(std::string_view text);
bool SameTextAscii(std::string_view a, std::string_view b);
// Negative, zero or positive like strcmp, ignoring ASCII case.
int CompareTextAscii(std::string_view a, std::string_view b);
// Order of the sorted name lists: ASCII case folded first, then the bytes, so that names
// differing only in case are distinct but sit together.
bool NameLess(std::string_view a, std::string_view b);

// The text form of a name list: each name followed by CR LF; read back by splitting at
// CR LF, CR or LF.
std::string JoinLines(const std::vector<std::string>& lines);
std::vector<std::string> SplitLines(std::string_view text);

} // namespace muralto
