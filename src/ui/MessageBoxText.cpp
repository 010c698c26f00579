#include "ui/MessageBoxText.h"

#include "util/StrUtils.h"

namespace qv::ui {

std::string FormatBoxText(std::string_view text) {
  std::string broken = ReplaceTextAll(ReplaceTextAll(text, "\r\n", "<BR>"), "<BR>", "\r\n");
  TStringList lines = SplitLines(broken);
  std::string result;
  int appended = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (result.empty()) {
      if (lines[i].empty()) continue;  // leading empty lines vanish
      result = lines[i];
    } else {
      result += "<br>" + lines[i];
    }
    if (++appended == kBoxLineLimit && i + 1 < lines.size()) {
      result += kBoxOmission;
      result += lines.back();
      break;
    }
  }
  return result;
}

}  // namespace qv::ui
