#pragma once
// The HTML fragments of job reports and the cleaned path names of the
// backup tree (portable).
#include <string>
#include <string_view>

namespace qv {

inline constexpr char kRuleLine[] = "<hr>";

// "<FONT color="#FF0000">" + text + "</FONT>"
std::string RedText(std::string_view text);
// The logged form: "</b>" + date-time + "<b></b>: " + text, or for failures
// "</b>" + date-time + "<b>: " + red text; "<hr>" stays bare.
std::string LoggedLine(std::string_view text, bool failed, std::string_view dateTime);
// The progress form of a report (what the item carries).
std::string ItemText(std::string_view text, bool failed);
// <a href="file://{path}">{path}</a>, the href a valid URL of the path and
// the text the path itself (see FileUrl and HtmlText).
std::string FileLink(std::string_view path);

// CR LF pairs and tabs removed, \ ? | > < : / * " turned into "_", at most
// maxCharacters characters, never ending in a dot or blank.
std::string CleanPathName(std::string_view path, size_t maxCharacters = 100);

}  // namespace qv
