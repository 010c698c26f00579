#pragma once
// The program's own modal message box: white, on top of every window, an
// HTML message, "Schließen" and, with a help text, "Hilfe" that unfolds it.
// Any key without a modifier closes it (F1 does nothing), so does a link click.
#include <windows.h>

#include <memory>
#include <string>

#include "ui/MessageBoxLayout.h"
#include "ui/Glyphs.h"
#include "ui/HtmlView.h"

namespace qv::ui {

inline constexpr char kApplicationTitle[] = "Quorvel";
inline constexpr wchar_t kBoxClassName[] = L"THtmlMessageBox";
inline constexpr char kHelpCaption[] = "Hilfe";
inline constexpr char kCloseCaption[] = "Schließen";
inline constexpr int kIdHelpButton = 101;
inline constexpr int kIdCloseButton = 102;
inline constexpr int kIdMessageView = 103;
inline constexpr int kIdHelpView = 104;

// Shows the box and returns when it is closed; messages keep being
// dispatched meanwhile. helpText and caption may be empty.
void ShowHtmlMessage(const std::string& htmlText, const std::string& helpText,
                     const std::string& caption);

class THtmlMessageBox {
 public:
  THtmlMessageBox();
  ~THtmlMessageBox();
  THtmlMessageBox(const THtmlMessageBox&) = delete;
  THtmlMessageBox& operator=(const THtmlMessageBox&) = delete;

  HWND Handle() const { return window_; }
  void Prepare(const std::string& htmlText, const std::string& helpText,
               const std::string& caption);
  // Shows the box, fits its height and pulls it to the foreground.
  void Show();
  // Runs the box's own message loop until it is closed.
  void RunModal();
  bool Closed() const { return closed_; }
  bool LinkClicked() const { return linkClicked_; }
  // Key preview: true when the key was handled and must not be dispatched.
  bool PreviewKey(const MSG& msg);

  // For the window procedure.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void CreateControls();
  void ApplyMetrics();
  void DpiChanged(int dpi, const RECT& suggested);
  void Place();
  void FitHeight();
  void Arrange();
  void Paint(HDC dc);
  void UnfoldHelp();
  void LinkClick();
  void OnDeactivated();
  void Close();
  int ClientHeightLimit() const;

  HWND window_ = nullptr;
  TMessageBoxMetrics metrics_;
  std::unique_ptr<THtmlView> message_;
  std::unique_ptr<THtmlView> help_;
  HWND helpButton_ = nullptr;
  HWND closeButton_ = nullptr;
  TFont buttonFont_;
  TImageList helpGlyph_;
  TImageList closeGlyph_;
  std::string helpText_;
  bool helpShown_ = false;
  bool linkClicked_ = false;
  bool closed_ = false;
  TBoxGeometry geometry_;
};

// Makes the window the foreground window even while another program is
// active (by attaching to the foreground window's input for the moment).
void ForceForeground(HWND window);

}  // namespace qv::ui
