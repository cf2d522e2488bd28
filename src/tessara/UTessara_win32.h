#pragma once
// The tessara's window: a borderless popup owned by the application window.
#include <windows.h>

#include "tessara/UTessara.h"

namespace tessara {

inline constexpr const char* kTessaraWindowClass = "TTessara";

class TessaraWindow final : public ITessaraView {
 public:
  TessaraWindow(HINSTANCE instance, HWND owner);
  ~TessaraWindow() override;
  TessaraWindow(const TessaraWindow&) = delete;
  TessaraWindow& operator=(const TessaraWindow&) = delete;

  void SetBounds(int left, int top, int width, int height) override;
  int Left() const override;
  int Top() const override;
  int Width() const override;
  int Height() const override;
  void SetColor(int color) override;
  void Show() override;
  ScreenSize Screen() const override;
  void Attach(TfrmTessara* form) override { form_ = form; }

  HWND Handle() const { return hwnd_; }
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  HWND hwnd_ = nullptr;

 private:
  RECT Bounds() const;

  TfrmTessara* form_ = nullptr;
  COLORREF color_ = 0x707070;
};

}  // namespace tessara
