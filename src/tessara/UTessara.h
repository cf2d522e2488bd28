#pragma once
// TfrmTessara: one floating grid window. This is its portable side: state and handlers.
// The window itself lives behind ITessaraView, implemented by the Win32 edge and by fakes.
#include <memory>
#include <string>

#include "settings/RegVal.h"

namespace tessara {

class TfrmMain;

struct ScreenSize {
  int Width = 0;
  int Height = 0;
};

class ITessaraView {
 public:
  virtual ~ITessaraView() = default;
  virtual void SetBounds(int left, int top, int width, int height) = 0;
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetColor(int color) = 0;
  virtual void Show() = 0;
  virtual ScreenSize Screen() const = 0;
  // Called once by the form it serves, so the window can route its messages to it.
  virtual void Attach(class TfrmTessara* form) = 0;
};

class TfrmTessara {
 public:
  // programFolder names where "tswin.ini" and the "settings" folder lie.
  TfrmTessara(TfrmMain* main, std::unique_ptr<ITessaraView> view, const std::string& programFolder);
  ~TfrmTessara();
  TfrmTessara(const TfrmTessara&) = delete;
  TfrmTessara& operator=(const TfrmTessara&) = delete;

  // The window number 1..16; also the settings section of ini.
  int Tag = 0;
  TRegVal ini;
  bool SaveOnExit = true;
  int Color = 0x707070;

  void FormCreate();
  // Number and settings section always change together.
  void SetNumber(int number);
  void LoadTessara(int number);
  void SetDefaults();
  void FormShow();
  void SaveTessara();
  void FormDestroy();

  ITessaraView& View() { return *view_; }
  TfrmMain* Main() const { return main_; }

 private:
  TfrmMain* main_;
  std::unique_ptr<ITessaraView> view_;
};

// The window keys of "tswin.ini" in their order, with the defaults of a saved window.
TRegVal::Lines TessaraBooleanKeys();
TRegVal::Lines TessaraIntegerKeys();
TRegVal::Lines TessaraStringKeys();

}  // namespace tessara
