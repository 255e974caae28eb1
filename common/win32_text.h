// Texts as the Win32 API takes them: UTF-16 under the name wchar_t, and the
// ANSI code page's double-byte characters.
#pragma once

#include <windows.h>

#include <string>

namespace tavrik {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide texts are UTF-16");

inline wchar_t* asWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const wchar_t* asWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline const wchar_t* asWide(const std::u16string& text) { return asWide(text.c_str()); }

// Whether `byte` leads a double-byte character in the system's ANSI code page.
inline bool isAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

}  // namespace tavrik
