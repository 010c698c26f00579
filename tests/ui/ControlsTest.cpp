#include <gtest/gtest.h>

#include <vector>

#include "ui/controls/CheckListCombo.h"
#include "ui/controls/FlatButton.h"
#include "ui/controls/OwnerMenu.h"
#include "ui/controls/Panel.h"

namespace qv::ui {
namespace {

// A parent window that keeps the commands its controls send.
class TParent {
 public:
  TParent() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QvControlsTestParent";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300,
                              nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TParent() { DestroyWindow(window_); }
  HWND Handle() const { return window_; }
  struct TCommand {
    int Id;
    int Code;
  };
  std::vector<TCommand> Commands;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TParent*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    if (self && m == WM_COMMAND) self->Commands.push_back({LOWORD(wp), HIWORD(wp)});
    if (self && m == WM_DRAWITEM) {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      if (item->CtlType == ODT_COMBOBOX) DrawCheckListItem(*item);
      return TRUE;
    }
    return DefWindowProcW(w, m, wp, lp);
  }
  HWND window_;
};

TEST(FlatButton, ClicksReachTheParentOnlyWhenReleasedOverTheButton) {
  TParent parent;
  HWND button = CreateFlatButton(parent.Handle(), 7, L"Manuell", {10, 10, 119, 60});
  SendMessageW(button, BM_CLICK, 0, 0);
  SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(200, 20));  // released outside
  ASSERT_EQ(parent.Commands.size(), 2u);
  for (const auto& c : parent.Commands) {
    EXPECT_EQ(c.Id, 7);
    EXPECT_EQ(c.Code, BN_CLICKED);
  }
}

TEST(Panel, PassesItsControlsCommandsOnToItsParent) {
  TParent parent;
  HWND panel = CreatePanel(parent.Handle(), 1, {0, 0, 300, 200}, RGB(215, 228, 242));
  EXPECT_EQ(PanelColor(panel), RGB(215, 228, 242));
  HWND button = CreateFlatButton(panel, 9, L"Protokoll", {10, 10, 119, 60});
  SendMessageW(button, BM_CLICK, 0, 0);
  ASSERT_EQ(parent.Commands.size(), 1u);
  EXPECT_EQ(parent.Commands[0].Id, 9);
}

TEST(CheckListCombo, AClickInTheOpenListTogglesTheItemAndKeepsTheListOpen) {
  TParent parent;
  HWND combo = CreateCheckListCombo(parent.Handle(), 5, {10, 10, 147, 32}, 16);
  for (int hour = 0; hour < 24; ++hour) AddCheckListItem(combo, std::to_wstring(hour) + L" Uhr");
  SetCheckListItemChecked(combo, 8, true);
  EXPECT_TRUE(IsCheckListItemChecked(combo, 8));
  EXPECT_FALSE(IsCheckListItemChecked(combo, 3));

  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  RECT item;
  SendMessageW(info.hwndList, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&item));
  LPARAM at = MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
  SendMessageW(info.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(info.hwndList, WM_LBUTTONUP, 0, at);

  EXPECT_TRUE(IsCheckListItemChecked(combo, 3));
  EXPECT_TRUE(IsCheckListItemChecked(combo, 8));
  EXPECT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  int toggles = 0;  // the box also tells of its dropping down
  for (const auto& c : parent.Commands)
    if (c.Code == kCheckListChanged && c.Id == 5) ++toggles;
  EXPECT_EQ(toggles, 1);
  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST(OwnerMenu, MeasuresOnlyItsOwnItemsAtTheDpiAndKeepsTheirState) {
  TOwnerMenu menu(L"Quorvel");
  menu.AddItem(1, L"Fenster zeigen");
  menu.AddSeparator();
  menu.AddItem(2, L"Beenden");
  ASSERT_EQ(GetMenuItemCount(menu.Handle()), 3);

  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_DATA;
  GetMenuItemInfoW(menu.Handle(), 0, TRUE, &info);
  MEASUREITEMSTRUCT measure = {};
  measure.CtlType = ODT_MENU;
  measure.itemData = info.dwItemData;
  ASSERT_TRUE(menu.Measure(measure));
  UINT height96 = measure.itemHeight, width96 = measure.itemWidth;
  menu.SetDpi(144);
  ASSERT_TRUE(menu.Measure(measure));
  EXPECT_EQ(measure.itemHeight, height96 * 3 / 2);
  EXPECT_GT(measure.itemWidth, width96);

  MEASUREITEMSTRUCT foreign = {};
  foreign.CtlType = ODT_MENU;
  foreign.itemData = 12345;
  EXPECT_FALSE(menu.Measure(foreign));

  menu.Enable(2, false);
  EXPECT_FALSE(menu.Enabled(2));
  EXPECT_TRUE(menu.Enabled(1));
  menu.SetText(1, L"Anzeigen");
  EXPECT_EQ(menu.Text(1), L"Anzeigen");
}

}  // namespace
}  // namespace qv::ui
