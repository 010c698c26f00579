#pragma once
// Text from outside (paths, names, engine and system messages, list lines) on
// its way into the protocol's HTML: it shows as it is and never becomes
// markup (portable).
#include <string>
#include <string_view>

namespace qv {

// & < > " as entities; everything else unchanged.
std::string HtmlText(std::string_view text);
// What HtmlText was given: those four entities back as characters (for the
// console, which shows report lines without their markup).
std::string UnescapeHtmlText(std::string_view html);

// The href of a link to a file or folder: "file://" + the path, where what a
// URL cannot hold as it is (# % ? " < > control characters, and characters
// outside Windows-1252, the page's code page) is percent-encoded as UTF-8
// bytes and & is written as an entity. Other paths keep their bytes.
std::string FileUrl(std::string_view path);

}  // namespace qv
