#pragma once
// Text conversions at the Win32 boundary. In memory every text is UTF-8;
// Win32 is called through its W functions; the ANSI code page appears only at
// the file formats that are defined in it.
#include <windows.h>

#include <string>
#include <string_view>

namespace qv {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// Bytes in the given Windows code page (CP_ACP, CP_OEMCP, ...) and back.
std::string ToCodePage(std::string_view utf8, UINT codePage, bool* lossy = nullptr);
std::string FromCodePage(std::string_view bytes, UINT codePage);

inline std::string ToAnsi(std::string_view utf8) { return ToCodePage(utf8, CP_ACP); }
inline std::string FromAnsi(std::string_view bytes) { return FromCodePage(bytes, CP_ACP); }

// HTML text for a file in the ANSI code page: a character the code page
// lacks becomes a numeric character reference ("&#322;" for "ł") instead of
// a near letter or "?", so nothing is lost.
std::string AnsiSafeHtml(std::string_view utf8);

// The system's text for an error code, without the trailing line break.
std::string SysErrorMessage(DWORD code);

}  // namespace qv
