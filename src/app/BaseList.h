#pragma once
// The office application's database list BASE.LST and the choice between it
// and the user's own list (portable parsing; the file and registry access
// live in DatabaseList.h).
#include <string>
#include <string_view>

#include "util/StrUtils.h"

namespace qv {

inline constexpr std::size_t kBaseListHeadLength = 39;
inline constexpr std::size_t kBaseListMaxBody = 501;

// The directory of an entry text: the text before "[" unchanged, otherwise
// the whole text with a trailing backslash.
std::string BaseListEntryDirectory(const std::string& text);

// Appends the directory of every record to list. Reading ends silently at a
// short record or at a record longer than 501 bytes (a damaged file); what
// was read before stays. Entry texts are ANSI bytes.
void ParseBaseList(std::string_view bytes, TStringList& list);

// The list to show: the user's own list when it has a line, else the
// installed one when it differs from the current one other than in letter
// case, else the current one.
TStringList ChooseDatabaseList(const TStringList& current, const TStringList& installed,
                               const TStringList& user);

}  // namespace qv
