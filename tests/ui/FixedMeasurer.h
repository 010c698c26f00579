#pragma once
// A measurer with fixed widths per character, so layouts can be reasoned about.
#include <string_view>

#include "ui/HtmlLayout.h"

namespace qv::test {

class TFixedMeasurer final : public ui::ITextMeasurer {
 public:
  static constexpr int kNormal = 6;
  static constexpr int kBold = 8;
  static constexpr int kLine = 13;

  int TextWidth(std::string_view utf8, bool bold) override {
    int chars = 0;
    for (std::size_t i = 0; i < utf8.size(); i = ui::NextCharEnd(utf8, i)) ++chars;
    return chars * (bold ? kBold : kNormal);
  }
  int LineHeight() override { return kLine; }
};

}  // namespace qv::test
