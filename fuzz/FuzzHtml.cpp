// Any bytes as HTML text: parsing and layout in several widths never crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/HtmlLayout.h"

namespace {

class TByteMeasurer final : public qv::ui::ITextMeasurer {
 public:
  int TextWidth(std::string_view utf8, bool bold) override {
    return static_cast<int>(utf8.size()) * (bold ? 7 : 5);
  }
  int LineHeight() override { return 12; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view html(reinterpret_cast<const char*>(data), size);
  auto doc = qv::ui::ParseHtml(html);
  TByteMeasurer measurer;
  for (int width : {0, 1, 40, 400}) {
    for (bool ellipsis : {false, true}) {
      qv::ui::TLayoutOptions options;
      options.MaxWidth = width;
      options.Ellipsis = ellipsis;
      auto layout = qv::ui::LayoutHtml(doc, measurer, options);
      (void)layout.LinkAt(width / 2, 6);
    }
  }
  (void)qv::ui::HtmlPlainText(doc);
  return 0;
}
