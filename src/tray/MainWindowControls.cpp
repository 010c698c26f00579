// The main window's components: creation, places and sizes at the window's
// DPI, fonts, icons and colours.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <algorithm>

#include "tray/TrayResources.h"
#include "tray/DatabaseListBox.h"
#include "tray/MainWindow.h"
#include "app/RunSettings.h"
#include "tray/WindowPlacement.h"
#include "ui/controls/CheckListCombo.h"
#include "ui/controls/FlatButton.h"
#include "ui/controls/Panel.h"
#include "util/FileUtils.h"
#include "util/WinText.h"

namespace qv {
namespace {

constexpr int kClientWidth = 593;
constexpr int kClientHeight = 159;
constexpr int kEllipsisWidth = 22;
constexpr COLORREF kTitleGray = RGB(128, 128, 128);
constexpr COLORREF kMissingTarget = RGB(255, 0, 0);

// Places at 96 DPI (left, top, width, height), relative to the parent.
struct TPlaceAt96 {
  int Id;
  int Left, Top, Width, Height;
};
constexpr TPlaceAt96 kPlaces[] = {
    {ID_IMAGE2, 13, 9, 32, 32},          {ID_LABEL4, 45, 8, 371, 29},
    {ID_LBDATABASES, 13, 41, 453, 85},   {ID_DCLISTCRON, 13, 133, 137, 22},
    {ID_DGLOBALPATH, 153, 133, 313, 22}, {ID_FMA, 476, 102, 109, 50},
    {ID_FLATBUTTON1, 476, 44, 109, 50},  {ID_FLATPANEL1, 15, 55, 563, 46},
    {ID_STATUSLABEL, 12, 12, 533, 20},
};

HFONT MakeTahoma(int height, int weight) {
  LOGFONTW lf = {};
  lf.lfHeight = -height;
  lf.lfWeight = weight;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lstrcpyW(lf.lfFaceName, L"Tahoma");
  return CreateFontIndirectW(&lf);
}

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

int TVEZivavuvIdazadide::Scaled(int value) const { return ScaleForDpi(value, dpi_); }

void TVEZivavuvIdazadide::CreateComponents() {
  RECT none = {0, 0, 0, 0};
  Panel1 = ui::CreatePanel(window_, ID_PANEL1, none, GetSysColor(COLOR_GRADIENTINACTIVECAPTION));
  ui::SetPanelDrags(Panel1, true);
  // Statics without SS_NOTIFY let clicks through to the panel, which drags.
  Image2 = Child(Panel1, L"STATIC", L"", WS_VISIBLE | SS_ICON | SS_REALSIZECONTROL, ID_IMAGE2);
  Label4 = Child(Panel1, L"STATIC", L" Quorvel - Datensicherung",
                 WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ID_LABEL4);
  LBDataBases = CreateDatabaseListBox(Panel1, ID_LBDATABASES);
  DCListCron = ui::CreateCheckListCombo(Panel1, ID_DCLISTCRON, none, Scaled(16));
  for (int hour = 0; hour < 24; ++hour) {
    wchar_t caption[16];
    swprintf(caption, 16, L"%02d Uhr", hour);
    ui::AddCheckListItem(DCListCron, caption);
  }
  dglobalpath =
      Child(Panel1, L"EDIT", L"",
            WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL, ID_DGLOBALPATH);
  SendMessageW(dglobalpath, EM_SETCUEBANNER, FALSE,
               reinterpret_cast<LPARAM>(L"Zielverzeichnis für Sicherungen"));
  dglobalpathButton = ui::CreateFlatButton(Panel1, ID_DGLOBALPATH_BUTTON, L"...", none);
  fma = ui::CreateFlatButton(Panel1, ID_FMA, L"Manuell", none);
  FlatButton1 = ui::CreateFlatButton(Panel1, ID_FLATBUTTON1, L"Protokoll", none);
  FlatSpeedButton1 = ui::CreateFlatButton(Panel1, ID_FLATSPEEDBUTTON1, L"", none);
  FlatPanel1 = ui::CreatePanel(window_, ID_FLATPANEL1, none, RGB(255, 225, 121));
  ui::SetPanelBorder(FlatPanel1, RGB(157, 191, 225), RGB(157, 191, 225));
  ShowWindow(FlatPanel1, SW_HIDE);
  statusLabel_ = std::make_unique<ui::THtmlView>(FlatPanel1, ID_STATUSLABEL, none, Scaled(12));
  statusLabel_->SetEllipsis(true);
  statusLabel_->SetBackground(ui::PanelColor(FlatPanel1));
  statusLabel_->SetHtml("----------------");
  StatusLabel = statusLabel_->Handle();
  FSnapshot =
      Child(window_, L"STATIC", L"", SS_BITMAP | SS_REALSIZECONTROL | WS_CLIPSIBLINGS, ID_SNAPSHOT);

  LoadImages();
  CreateMenu();
  trayIcon_ = std::make_unique<TTrayIcon>();
  trayIcon_->SetImages(&ImageList1);
  trayIcon_->SetIconIndex(0);
  trayIcon_->SetCycleInterval(500);
  trayIcon_->SetHint("Quorvel, Warten..");
  trayIcon_->OnClick = [this] { TrayIconClick(); };
  trayIcon_->OnPopup = [this] { ShowTrayMenu(); };
  trayIcon_->Refresh();

  RECT frame = {0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

void TVEZivavuvIdazadide::CreateMenu() {
  popupMenu_ = std::make_unique<ui::TOwnerMenu>(L"Quorvel");
  popupMenu_->SetDpi(dpi_);
  popupMenu_->AddItem(ID_MNU_PRO, L"Protokoll und Hilfe");
  popupMenu_->AddItem(ID_AUSFHREN1, L"Ausführen", ausfuehrenGlyph_.get());
  popupMenu_->AddItem(ID_MNU_SHOW, L"Fenster zeigen");
  popupMenu_->AddSeparator();
  popupMenu_->AddItem(ID_BEENDEN2, L"Beenden");
  popupMenu_->AddItem(ID_MNU_VER, L"Version");
}

HICON TVEZivavuvIdazadide::Glyph(int id) const {
  switch (id) {
    case IDI_GLYPH_PROTOKOLL:
      return protokollGlyph_.get();
    case IDI_GLYPH_AUSFUEHREN:
      return ausfuehrenGlyph_.get();
    case IDI_GLYPH_SHRINK:
      return shrinkGlyph_.get();
    default:
      return programIcon_.get();
  }
}

void TVEZivavuvIdazadide::LoadImages() {
  int tray = GetSystemMetrics(SM_CXSMICON);
  ImageList1.clear();
  ImagesListWork.clear();
  icons_.clear();
  for (int id : {IDI_TRAY_IDLE, IDI_TRAY_ERROR1, IDI_TRAY_ERROR2, IDI_TRAY_WORK1, IDI_TRAY_WORK2}) {
    icons_.emplace_back(LoadIconSized(id, tray));
    (id >= IDI_TRAY_WORK1 ? ImagesListWork : ImageList1).push_back(icons_.back().get());
  }
  programIcon_.reset(LoadIconSized(IDI_QUORVEL, Scaled(32)));
  protokollGlyph_.reset(LoadIconSized(IDI_GLYPH_PROTOKOLL, Scaled(16)));
  ausfuehrenGlyph_.reset(LoadIconSized(IDI_GLYPH_AUSFUEHREN, Scaled(16)));
  shrinkGlyph_.reset(LoadIconSized(IDI_GLYPH_SHRINK, Scaled(16)));
}

void TVEZivavuvIdazadide::Layout() {
  RECT client;
  GetClientRect(window_, &client);
  MoveWindow(Panel1, 0, 0, client.right, client.bottom, TRUE);
  MoveWindow(FSnapshot, 0, 0, client.right, client.bottom, FALSE);
  for (const TPlaceAt96& p : kPlaces) {
    HWND control = GetDlgItem(p.Id == ID_FLATPANEL1    ? window_
                              : p.Id == ID_STATUSLABEL ? FlatPanel1
                                                       : Panel1,
                              p.Id);
    int width = Scaled(p.Width);
    if (p.Id == ID_DGLOBALPATH) width -= Scaled(kEllipsisWidth);
    MoveWindow(control, Scaled(p.Left), Scaled(p.Top), width, Scaled(p.Height), TRUE);
  }
  MoveWindow(dglobalpathButton, Scaled(153) + Scaled(313) - Scaled(kEllipsisWidth), Scaled(133),
             Scaled(kEllipsisWidth), Scaled(22), TRUE);
  ui::SetCheckListItemHeight(DCListCron, Scaled(16));
  MoveWindow(DCListCron, Scaled(13), Scaled(133), Scaled(137), Scaled(22) * 12, TRUE);
  // The shrink button keeps to the right edge, whatever the window's width.
  int speed = Scaled(25);
  MoveWindow(FlatSpeedButton1, client.right - speed - Scaled(3), Scaled(7), speed, speed, TRUE);
  COLORREF panel = ui::PanelColor(Panel1);
  ui::TFlatButtonColors speedColors;
  speedColors.Face = speedColors.Hot = speedColors.Down = speedColors.Border =
      speedColors.BorderHot = panel;
  ui::SetFlatButtonColors(FlatSpeedButton1, speedColors);

  font_.reset(MakeTahoma(Scaled(12), FW_NORMAL));
  titleFont_.reset(MakeTahoma(Scaled(24), FW_BOLD));
  EnumChildWindows(window_, SetFontOf, reinterpret_cast<LPARAM>(font_.get()));
  SendMessageW(Label4, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), TRUE);
  statusLabel_->SetFontHeight(Scaled(12));
  SendMessageW(Image2, STM_SETICON, reinterpret_cast<WPARAM>(programIcon_.get()), 0);
  MoveWindow(Image2, Scaled(13), Scaled(9), Scaled(32), Scaled(32), TRUE);
  ui::SetFlatButtonGlyph(FlatButton1, protokollGlyph_.get(), Scaled(16));
  ui::SetFlatButtonGlyph(FlatSpeedButton1, shrinkGlyph_.get(), Scaled(16));
  FitTitle();
}

void TVEZivavuvIdazadide::FitTitle() {
  // The title grows with its text (" (Userdef)") up to the shrink button.
  wchar_t text[128] = {};
  int length = GetWindowTextW(Label4, text, 128);
  HDC dc = GetDC(Label4);
  HGDIOBJ old = SelectObject(dc, titleFont_.get());
  SIZE extent = {0, 0};
  GetTextExtentPoint32W(dc, text, length, &extent);
  SelectObject(dc, old);
  ReleaseDC(Label4, dc);
  RECT speed;
  GetWindowRect(FlatSpeedButton1, &speed);
  MapWindowPoints(HWND_DESKTOP, Panel1, reinterpret_cast<POINT*>(&speed), 2);
  int width =
      std::min<int>(std::max<int>(Scaled(371), extent.cx + Scaled(4)), speed.left - Scaled(45));
  MoveWindow(Label4, Scaled(45), Scaled(8), width, Scaled(29), TRUE);
}

void TVEZivavuvIdazadide::LoadTarget() {
  std::string target = TargetDirectorySetting();
  SetWindowTextW(dglobalpath, Widen(target).c_str());
  // A network folder is connected before it is looked at.
  if (target.rfind("\\\\", 0) == 0) ReconnectNetworkPath(target);
  SetTargetState(IsExistingFolder(target));
}

void TVEZivavuvIdazadide::SetTargetState(bool exists) {
  targetColor_ = exists ? RGB(255, 255, 255) : kMissingTarget;
  targetBrush_.reset(CreateSolidBrush(targetColor_));
  InvalidateRect(dglobalpath, nullptr, TRUE);
}

bool TVEZivavuvIdazadide::TargetShownMissing() const { return targetColor_ == kMissingTarget; }

std::string TVEZivavuvIdazadide::TargetText() const {
  wchar_t text[1024] = {};
  GetWindowTextW(dglobalpath, text, 1024);
  return Narrow(text);
}

LRESULT TVEZivavuvIdazadide::OnControlColor(UINT message, HDC dc, HWND control) {
  if (control == dglobalpath) {
    bool missing = targetColor_ == kMissingTarget;
    SetTextColor(dc, missing ? RGB(255, 255, 255) : RGB(0, 0, 0));
    SetBkColor(dc, targetColor_);
    return reinterpret_cast<LRESULT>(targetBrush_.get());
  }
  if (control == Label4 || control == Image2) {
    SetTextColor(dc, kTitleGray);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(ui::PanelBrush(Panel1));
  }
  if (control == LBDataBases) return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
  return DefWindowProcW(window_, message, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(control));
}

void TVEZivavuvIdazadide::OnDpiChanged(int dpi, const RECT* suggested) {
  dpi_ = dpi;
  popupMenu_->SetDpi(dpi);
  LoadImages();
  popupMenu_->SetGlyph(ID_AUSFHREN1, ausfuehrenGlyph_.get());
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
