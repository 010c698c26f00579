#include "util/WinText.h"

#include "util/Cp1252.h"

namespace qv {

namespace {

std::wstring WidenStrict(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string NarrowStrict(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

// A name on NTFS may hold one half of a surrogate pair without the other.
// Strict UTF-8 would turn it into U+FFFD, and the file or folder would not be
// found again under the converted name; so such a unit is kept as the three
// bytes of its code point (as WTF-8 does), and converts back to itself.
bool IsLoneSurrogateAt(std::wstring_view text, size_t i) {
  wchar_t unit = text[i];
  if (IS_HIGH_SURROGATE(unit)) return i + 1 == text.size() || !IS_LOW_SURROGATE(text[i + 1]);
  if (IS_LOW_SURROGATE(unit)) return i == 0 || !IS_HIGH_SURROGATE(text[i - 1]);
  return false;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
  std::wstring out;
  size_t start = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (!IsHalfSurrogateAt(utf8, i)) continue;
    out += WidenStrict(utf8.substr(start, i - start));
    start = i;
    out += static_cast<wchar_t>(DecodeUtf8(utf8, start));
    i = start - 1;
  }
  if (start == 0) return WidenStrict(utf8);
  return out + WidenStrict(utf8.substr(start));
}

std::string Narrow(std::wstring_view utf16) {
  std::string out;
  size_t start = 0;
  for (size_t i = 0; i < utf16.size(); ++i) {
    if (!IsLoneSurrogateAt(utf16, i)) continue;
    out += NarrowStrict(utf16.substr(start, i - start));
    AppendUtf8(out, utf16[i]);
    start = i + 1;
  }
  if (start == 0) return NarrowStrict(utf16);
  return out + NarrowStrict(utf16.substr(start));
}

std::string ToCodePage(std::string_view utf8, UINT codePage, bool* lossy) {
  if (lossy) *lossy = false;
  std::wstring wide = Widen(utf8);
  if (wide.empty()) return {};
  // No best-fit mapping ("ł" must not quietly become "l"), and the "default
  // character used" report: both are refused for UTF-7/8 code pages, which
  // the system's code pages are where Windows is set to UTF-8 throughout.
  if (codePage == CP_ACP) codePage = GetACP();
  if (codePage == CP_OEMCP) codePage = GetOEMCP();
  bool utf = codePage == CP_UTF8 || codePage == CP_UTF7;
  DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultPtr = utf ? nullptr : &usedDefault;
  int n = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr,
                              0, nullptr, usedDefaultPtr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, usedDefaultPtr);
  // A text is only kept as converted when it converts back exactly.
  if (lossy) *lossy = usedDefault != FALSE || FromCodePage(out, codePage) != utf8;
  return out;
}

std::string FromCodePage(std::string_view bytes, UINT codePage) {
  if (bytes.empty()) return {};
  int n =
      MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
  return Narrow(wide);
}

std::string AnsiSafeHtml(std::string_view utf8) {
  bool lossy = false;
  ToCodePage(utf8, CP_ACP, &lossy);
  if (!lossy) return std::string(utf8);
  std::wstring wide = Widen(utf8);
  std::string out;
  for (size_t i = 0; i < wide.size(); ++i) {
    size_t length =
        IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]) ? 2 : 1;
    std::string one = Narrow(std::wstring_view(wide).substr(i, length));
    ToCodePage(one, CP_ACP, &lossy);
    if (!lossy) {
      out += one;
    } else {
      unsigned code = wide[i];
      if (length == 2) code = 0x10000 + ((code - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;  // half a pair is no character
      out += "&#" + std::to_string(code) + ";";
    }
    i += length - 1;
  }
  return out;
}

std::string SysErrorMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer ? buffer : L"", n);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                           text.back() == L'.'))
    text.pop_back();
  return Narrow(text);
}

}  // namespace qv
