#pragma once

#include <string>

namespace engine {

// Between the project's UTF-8 strings and the UTF-16 strings of the Windows
// calls, independent of the system's code page and the C locale. Text that is
// not valid in its encoding gives an empty result rather than a cut one.
std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const std::wstring& text);
// A NUL-terminated UTF-16 string as the system hands it out.
std::string utf8FromWide(const wchar_t* text);

} // namespace engine
