// The main window's controls: creation, places and sizes at the window's
// DPI, fonts, icons and colours.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <algorithm>

#include "tray/TrayResources.h"
#include "tray/DatabaseListBox.h"
#include "tray/MainWindow.h"
#include "tray/MainWindowLayout.h"
#include "app/RunSettings.h"
#include "ui/Dpi.h"
#include "ui/Fonts.h"
#include "ui/controls/CheckListCombo.h"
#include "ui/controls/FlatButton.h"
#include "ui/controls/Panel.h"
#include "util/FileUtils.h"
#include "util/WinText.h"

namespace qv {
namespace {

constexpr COLORREF kTitleGray = RGB(128, 128, 128);
constexpr COLORREF kMissingTarget = RGB(255, 0, 0);

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id) {
  return CreateWindowExW(0, cls, text, WS_CHILD | style, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

BOOL CALLBACK SetFontOf(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
  return TRUE;
}

HICON LoadIconSized(int id, int size) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                       size, size, LR_DEFAULTCOLOR));
}

}  // namespace

int TMainWindow::Scaled(int value) const { return ui::ScaleToDpi(value, dpi_); }

void TMainWindow::CreateControls() {
  RECT none = {0, 0, 0, 0};
  controls_.mainPanel =
      ui::CreatePanel(window_, ID_MAIN_PANEL, none, GetSysColor(COLOR_GRADIENTINACTIVECAPTION));
  ui::SetPanelDrags(controls_.mainPanel, true);
  // Statics without SS_NOTIFY let clicks through to the panel, which drags.
  controls_.programIconView = Child(controls_.mainPanel, L"STATIC", L"",
                                    WS_VISIBLE | SS_ICON | SS_REALSIZECONTROL, ID_PROGRAM_ICON);
  controls_.titleLabel = Child(controls_.mainPanel, L"STATIC", L" Quorvel - Datensicherung",
                               WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ID_TITLE);
  controls_.databaseList = CreateDatabaseListBox(controls_.mainPanel, ID_DATABASE_LIST);
  controls_.hoursCombo =
      ui::CreateCheckListCombo(controls_.mainPanel, ID_HOURS_COMBO, none, Scaled(kHoursRowHeight));
  for (int hour = 0; hour < 24; ++hour) {
    wchar_t caption[16];
    swprintf(caption, 16, L"%02d Uhr", hour);
    ui::AddCheckListItem(controls_.hoursCombo, caption);
  }
  controls_.targetEdit =
      Child(controls_.mainPanel, L"EDIT", L"",
            WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, ID_TARGET_EDIT);
  SendMessageW(controls_.targetEdit, EM_SETCUEBANNER, FALSE,
               reinterpret_cast<LPARAM>(L"Zielverzeichnis für Sicherungen"));
  controls_.targetBrowseButton =
      ui::CreateFlatButton(controls_.mainPanel, ID_TARGET_BROWSE, L"...", none);
  controls_.runNowButton = ui::CreateFlatButton(controls_.mainPanel, ID_RUN_NOW, L"Manuell", none);
  controls_.protocolButton =
      ui::CreateFlatButton(controls_.mainPanel, ID_PROTOCOL_BUTTON, L"Protokoll", none);
  controls_.shrinkButton = ui::CreateFlatButton(controls_.mainPanel, ID_SHRINK_BUTTON, L"", none);
  controls_.runStatusPanel = ui::CreatePanel(window_, ID_RUN_STATUS_PANEL, none, kRunPanelColor);
  ui::SetPanelBorder(controls_.runStatusPanel, kRunPanelBorder, kRunPanelBorder);
  ShowWindow(controls_.runStatusPanel, SW_HIDE);
  runStatusView_ = std::make_unique<ui::THtmlView>(controls_.runStatusPanel, ID_RUN_STATUS_TEXT,
                                                   none, Scaled(kFontHeight));
  runStatusView_->SetEllipsis(true);
  runStatusView_->SetBackground(ui::PanelColor(controls_.runStatusPanel));
  runStatusView_->SetHtml("----------------");
  controls_.runStatusText = runStatusView_->Handle();
  controls_.greyedSnapshot =
      Child(window_, L"STATIC", L"", SS_BITMAP | SS_REALSIZECONTROL | WS_CLIPSIBLINGS,
            ID_GREYED_SNAPSHOT);

  LoadImages();
  commands_ = std::make_unique<TMainWindowCommands>(*this, runNowGlyph_.get());
  trayIcon_ = std::make_unique<TTrayIcon>();
  trayIcon_->SetImages(&idleAndErrorIcons_);
  trayIcon_->SetIconIndex(0);
  trayIcon_->SetCycleInterval(500);
  trayIcon_->SetHint("Quorvel, Warten..");
  trayIcon_->OnClick = [this] { commands_->OnTrayIconClick(); };
  trayIcon_->OnContextMenu = [this] { commands_->ShowTrayMenu(); };
  trayIcon_->Refresh();

  RECT frame = {0, 0, Scaled(kDesignClientWidth), Scaled(kDesignClientHeight)};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

void TMainWindow::LoadImages() {
  int tray = GetSystemMetrics(SM_CXSMICON);
  idleAndErrorIcons_.clear();
  runningIcons_.clear();
  icons_.clear();
  for (int id : {IDI_TRAY_IDLE, IDI_TRAY_ERROR1, IDI_TRAY_ERROR2, IDI_TRAY_WORK1, IDI_TRAY_WORK2}) {
    icons_.emplace_back(LoadIconSized(id, tray));
    (id >= IDI_TRAY_WORK1 ? runningIcons_ : idleAndErrorIcons_).push_back(icons_.back().get());
  }
  programIcon_.reset(LoadIconSized(IDI_QUORVEL, Scaled(PlaceOf(ID_PROGRAM_ICON).Width)));
  protocolGlyph_.reset(LoadIconSized(IDI_GLYPH_PROTOCOL, Scaled(kGlyphSize)));
  runNowGlyph_.reset(LoadIconSized(IDI_GLYPH_RUN_NOW, Scaled(kGlyphSize)));
  shrinkGlyph_.reset(LoadIconSized(IDI_GLYPH_SHRINK, Scaled(kGlyphSize)));
}

void TMainWindow::Layout() {
  RECT client;
  GetClientRect(window_, &client);
  MoveWindow(controls_.mainPanel, 0, 0, client.right, client.bottom, TRUE);
  MoveWindow(controls_.greyedSnapshot, 0, 0, client.right, client.bottom, FALSE);
  ui::SetCheckListItemHeight(controls_.hoursCombo, Scaled(kHoursRowHeight));
  for (const TPlaceAt96& p : kPlaces) {
    HWND control = GetDlgItem(p.Id == ID_RUN_STATUS_PANEL  ? window_
                              : p.Id == ID_RUN_STATUS_TEXT ? controls_.runStatusPanel
                                                           : controls_.mainPanel,
                              p.Id);
    int width = Scaled(p.Width);
    int height = Scaled(p.Height);
    if (p.Id == ID_TARGET_EDIT) width -= Scaled(kEllipsisWidth);
    if (p.Id == ID_HOURS_COMBO) height *= kHoursComboRows;
    MoveWindow(control, Scaled(p.Left), Scaled(p.Top), width, height, TRUE);
  }
  const TPlaceAt96& target = PlaceOf(ID_TARGET_EDIT);
  MoveWindow(controls_.targetBrowseButton,
             Scaled(target.Left) + Scaled(target.Width) - Scaled(kEllipsisWidth),
             Scaled(target.Top), Scaled(kEllipsisWidth), Scaled(target.Height), TRUE);
  // The shrink button keeps to the right edge, whatever the window's width.
  int shrinkSize = Scaled(kShrinkButtonSize);
  MoveWindow(controls_.shrinkButton, client.right - shrinkSize - Scaled(kShrinkButtonRightGap),
             Scaled(kShrinkButtonTop), shrinkSize, shrinkSize, TRUE);
  COLORREF panel = ui::PanelColor(controls_.mainPanel);
  ui::TFlatButtonColors shrinkColors;
  shrinkColors.Face = shrinkColors.Hot = shrinkColors.Down = shrinkColors.Border =
      shrinkColors.BorderHot = panel;
  ui::SetFlatButtonColors(controls_.shrinkButton, shrinkColors);

  font_.reset(ui::CreateTahoma(Scaled(kFontHeight), FW_NORMAL));
  titleFont_.reset(ui::CreateTahoma(Scaled(kTitleFontHeight), FW_BOLD));
  EnumChildWindows(window_, SetFontOf, reinterpret_cast<LPARAM>(font_.get()));
  SendMessageW(controls_.titleLabel, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), TRUE);
  runStatusView_->SetFontHeight(Scaled(kFontHeight));
  SendMessageW(controls_.programIconView, STM_SETICON, reinterpret_cast<WPARAM>(programIcon_.get()),
               0);
  // A new icon sizes its view to the icon: it goes back to its place.
  const TPlaceAt96& icon = PlaceOf(ID_PROGRAM_ICON);
  MoveWindow(controls_.programIconView, Scaled(icon.Left), Scaled(icon.Top), Scaled(icon.Width),
             Scaled(icon.Height), TRUE);
  ui::SetFlatButtonGlyph(controls_.protocolButton, protocolGlyph_.get(), Scaled(kGlyphSize));
  ui::SetFlatButtonGlyph(controls_.shrinkButton, shrinkGlyph_.get(), Scaled(kGlyphSize));
  FitTitle();
}

void TMainWindow::FitTitle() {
  // The title grows with its text (" (Userdef)") up to the shrink button.
  wchar_t text[128] = {};
  int length = GetWindowTextW(controls_.titleLabel, text, 128);
  HDC dc = GetDC(controls_.titleLabel);
  HGDIOBJ old = SelectObject(dc, titleFont_.get());
  SIZE extent = {0, 0};
  GetTextExtentPoint32W(dc, text, length, &extent);
  SelectObject(dc, old);
  ReleaseDC(controls_.titleLabel, dc);
  RECT shrink;
  GetWindowRect(controls_.shrinkButton, &shrink);
  MapWindowPoints(HWND_DESKTOP, controls_.mainPanel, reinterpret_cast<POINT*>(&shrink), 2);
  const TPlaceAt96& title = PlaceOf(ID_TITLE);
  int width = std::min<int>(std::max<int>(Scaled(title.Width), extent.cx + Scaled(kTitleTextGap)),
                            shrink.left - Scaled(title.Left));
  MoveWindow(controls_.titleLabel, Scaled(title.Left), Scaled(title.Top), width,
             Scaled(title.Height), TRUE);
}

void TMainWindow::LoadTarget() {
  std::string target = TargetDirectorySetting();
  SetWindowTextW(controls_.targetEdit, Widen(target).c_str());
  // A network folder is connected before it is looked at.
  if (target.rfind("\\\\", 0) == 0) ReconnectNetworkPath(target);
  SetTargetState(IsExistingFolder(target));
}

void TMainWindow::SetTargetState(bool exists) {
  targetColor_ = exists ? RGB(255, 255, 255) : kMissingTarget;
  targetBrush_.reset(CreateSolidBrush(targetColor_));
  InvalidateRect(controls_.targetEdit, nullptr, TRUE);
}

bool TMainWindow::TargetShownMissing() const { return targetColor_ == kMissingTarget; }

std::string TMainWindow::TargetText() const {
  wchar_t text[1024] = {};
  GetWindowTextW(controls_.targetEdit, text, 1024);
  return Narrow(text);
}

LRESULT TMainWindow::OnControlColor(UINT message, HDC dc, HWND control) {
  if (control == controls_.targetEdit) {
    bool missing = targetColor_ == kMissingTarget;
    SetTextColor(dc, missing ? RGB(255, 255, 255) : RGB(0, 0, 0));
    SetBkColor(dc, targetColor_);
    return reinterpret_cast<LRESULT>(targetBrush_.get());
  }
  if (control == controls_.titleLabel || control == controls_.programIconView) {
    SetTextColor(dc, kTitleGray);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(ui::PanelBrush(controls_.mainPanel));
  }
  if (control == controls_.databaseList)
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
  return DefWindowProcW(window_, message, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(control));
}

void TMainWindow::OnDpiChanged(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  LoadImages();
  commands_->DpiChanged(dpi, runNowGlyph_.get());
  trayIcon_->Refresh();
  if (suggested)
    SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyRegion();
  Layout();
  SetDatabaseList(SplitLines(DatabaseListText()));
}

}  // namespace qv
