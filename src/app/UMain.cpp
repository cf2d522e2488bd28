#include "app/UMain.h"

#include <algorithm>
#include <array>
#include <exception>
#include <utility>

#include "base/globals.h"
#include "base/phases.h"
#include "base/rng.h"
#include "settings/atomicfile.h"
#include "settings/tiledata.h"
#include "shell/error.h"
#include "tessara/clipboard.h"
#include "tessara/onscreen.h"

namespace tessara {

TRegVal::Lines MainBooleanKeys() { return {"SnapEdges=0", "Startup=0", std::string(kDpiAwareKey) + "=0"}; }
TRegVal::Lines MainIntegerKeys() {
  return {"tsCount=0", "LastX=240", "LastY=240", "SnapDistance=8"};
}

TfrmMain::TfrmMain(IMainPlatform& platform, IMainView& view) : platform_(platform), view_(view) {
  globals.UseStartUpDir = false;
  globals.IniFileName = platform_.ProgramFolder() + "tessara.ini";
  globals.Set_Booleans(MainBooleanKeys());
  globals.Set_Integers(MainIntegerKeys());
}

TfrmMain::~TfrmMain() = default;

std::string TfrmMain::Title() const { return std::string("Tessara ") + kVersionText; }

std::string TfrmMain::StartupLinkName() const { return "tessara2.lnk"; }

TfrmTessara* TfrmMain::Tessara(int slot) const {
  if (slot < 1 || slot > kMaxTessaras) return nullptr;
  return tessaras_[slot].get();
}

std::unique_ptr<TfrmTessara> TfrmMain::MakeTessara() {
  auto form = std::make_unique<TfrmTessara>(this, platform_.CreateTessaraView(),
                                            platform_.ProgramFolder());
  form->FormCreate();
  return form;
}

void TfrmMain::FormCreate() {
  Randomize();
  SetApplicationTitle(Title());
  // The tile clipboard lives in memory only: every start begins with it empty.
  TileClipboard.Clear();
  view_.SetCaption(Title() + " - starting, please wait...");
  const std::string settings = platform_.ProgramFolder() + "settings";
  if (!DirectoryExists(settings)) CreateFolder(settings);  // a failure shows up at the first save
  globals.ReadSettings();
  PanelX = globals.IntegerValue("LastX");
  PanelY = globals.IntegerValue("LastY");
  // Placed by a build that declared no DPI awareness: converted once, like the windows' places.
  if (!globals.BooleanValue(kDpiAwareKey)) {
    PanelX = PositionFromUnaware(PanelX, view_.SystemDpi());
    PanelY = PositionFromUnaware(PanelY, view_.SystemDpi());
  }
  // A negative count in a hand-edited file means no windows.
  TessaraCount = std::clamp(globals.IntegerValue("tsCount"), 0, kMaxTessaras);
  if (TessaraCount != 0) view_.SetLeft(kParkedLeft);
  // No error of one window may stop the others: it is shown, and start-up goes on.
  // Windows are made, loaded and shown in number order. A window that captures its
  // background at show first has the later ones made and loaded, so that those it can
  // capture together with share its repaint wait.
  int loaded = 0;
  StartFlags ahead{}, shown{};
  for (int i = 1; i <= TessaraCount; ++i) {
    if (i > loaded) LoadForStart(loaded = i);
    if (!tessaras_[i] || shown[i]) continue;
    if (tessaras_[i]->CapturesAtShow() && !ahead[i]) {
      while (loaded < TessaraCount) LoadForStart(++loaded);
      CaptureAhead(i, ahead, shown);
    }
    ShowForStart(i);
    shown[i] = true;
  }
  Saved = false;
}

void TfrmMain::ShowForStart(int i) {
  try {
    tessaras_[i]->FinishShow();
  } catch (const std::exception& e) {
    ShowError(e.what());
    tessaras_[i]->View().Show();  // loaded, so kept: it shows its colour until it composes
  }
}

bool TfrmMain::LoadForStart(int i) {
  std::unique_ptr<TfrmTessara> form;
  try {
    const PhaseTimer timer(Phase::LoadWindows);
    form = MakeTessara();
    form->LoadTessara(i);
  } catch (const std::exception& e) {
    // A window that could not be made or loaded stays out of this session; its files are
    // left as they are for the next start.
    ShowError(e.what());
    return false;
  }
  tessaras_[i] = std::move(form);
  try {
    tessaras_[i]->PrepareShow();
  } catch (const std::exception& e) {
    ShowError(e.what());  // it composes at show, as a window without caches does
  }
  return true;
}

void TfrmMain::CaptureAhead(int i, StartFlags& ahead, StartFlags& shown) {
  const auto rect = [this](int k) {
    ITessaraView& v = tessaras_[k]->View();
    return WorkRect{v.Left(), v.Top(), v.Left() + v.Width(), v.Top() + v.Height()};
  };
  const auto overlap = [&](int a, int b) {
    const WorkRect p = rect(a), q = rect(b);
    return p.Left < q.Right && q.Left < p.Right && p.Top < q.Bottom && q.Top < p.Bottom;
  };
  const auto waiting = [&](int k) { return tessaras_[k] && !shown[k] && tessaras_[k]->CapturesAtShow(); };
  // Each capture must see exactly the windows shown before its own turn that overlap it.
  // A later window that captures joins when every window from i up to it that overlaps it
  // can be shown first; a window that does not capture is shown first when no window that
  // captures before its turn overlaps it (it would appear in that capture).
  std::vector<int> members{i};
  StartFlags early{};
  for (int j = i + 1; j <= TessaraCount; ++j) {
    if (!tessaras_[j] || shown[j]) continue;
    bool clear = true;
    if (tessaras_[j]->CapturesAtShow()) {
      for (int k = i; k < j && clear; ++k) clear = !(tessaras_[k] && overlap(k, j)) || early[k];
      if (clear) members.push_back(j);
    } else {
      for (int k = i; k < j && clear; ++k) clear = !(waiting(k) && overlap(k, j));
      early[j] = clear;
    }
  }
  for (int j = i + 1; j <= TessaraCount; ++j)
    if (early[j]) {
      ShowForStart(j);
      shown[j] = true;
    }
  std::vector<ITessaraView*> views;
  for (int m : members) {
    views.push_back(&tessaras_[m]->View());
    ahead[m] = true;
  }
  platform_.CaptureTogether(views);
}

void TfrmMain::FormShow() {
  view_.SetCaption(std::string("Tessara") + kVersionText);
  view_.HideApplicationWindow();
  SetCheckedReportingClick(MainCheck::SnapEdges, globals.BooleanValue("SnapEdges"));
  SetCheckedReportingClick(MainCheck::Startup, globals.BooleanValue("Startup"));
  Starting = false;
}

void TfrmMain::SetCheckedReportingClick(MainCheck box, bool checked) {
  if (view_.Checked(box) == checked) return;
  view_.SetChecked(box, checked);
  // A change made by the program counts as a click, as a check box reports it.
  if (box == MainCheck::Startup) chkStartupClick();
}

void TfrmMain::btnHideClick() {
  PanelX = view_.Left();
  PanelY = view_.Top();
  view_.SetLeft(kParkedLeft);
}

void TfrmMain::cmControlPanelClick() {
  view_.SetLeft(PanelX);
  view_.SetTop(PanelY);
  // The place kept while hidden may be on a monitor that has gone, or hand-edited.
  BringPanelOnScreen();
  view_.BringToForeground();
}

void TfrmMain::DisplayChanged() {
  if (view_.Left() != kParkedLeft) BringPanelOnScreen();
}

void TfrmMain::BringPanelOnScreen() {
  const WindowRect now{view_.Left(), view_.Top(), view_.Width(), view_.Height()};
  const WindowRect there = BringOnScreen(now, view_.WorkAreas());
  if (there.Left == now.Left && there.Top == now.Top) return;
  view_.SetLeft(there.Left);
  view_.SetTop(there.Top);
  PanelX = there.Left;
  PanelY = there.Top;
}

void TfrmMain::RxTrayIcon1Click() { view_.BringToForeground(); }

void TfrmMain::RxTrayIcon1DblClick() { cmControlPanelClick(); }

void TfrmMain::btnNewClick() {
  if (TessaraCount > kMaxTessaras - 1) {
    ShowMessage("Maximum number of tessaras reached");
    return;
  }
  auto form = MakeTessara();
  const int number = TessaraCount + 1;
  form->SetNumber(number);
  form->SetDefaults();
  TfrmTessara* shown = form.get();
  tessaras_[number] = std::move(form);
  TessaraCount = number;
  shown->FormShow();
  // The new window's files first: a count that names it before they exist would bring back
  // the files a deleted window of that number left. Its change-save then writes the count.
  count_pending_ = true;
  count_waits_for_ = shown;
  shown->SaveChange();
}

void TfrmMain::btnExitClick() { view_.Close(); }

bool TfrmMain::SnapToEdges() const { return view_.Checked(MainCheck::SnapEdges); }

int TfrmMain::SnapDistance() const { return globals.IntegerValue("SnapDistance"); }

void TfrmMain::chkStartupClick() {
  const std::string folder = platform_.StartupFolder();
  // Without a Startup folder a shortcut would land in whatever folder is current.
  if (folder.empty()) return;
  if (view_.Checked(MainCheck::Startup)) {
    platform_.CreateShortcut(platform_.ProgramPath(), folder + StartupLinkName(),
                             std::string("Tessara") + kVersionText);
  } else {
    // "Tessara.lnk" is the name earlier versions used; ours must go too, or clearing the
    // box would leave the program starting with Windows.
    for (const char* name : {"Tessara.lnk", "tessara2.lnk"}) {
      if (FileExists(folder + name)) DeleteFileAt(folder + name);
    }
  }
}

void TfrmMain::SaveAll() {
  if (Starting) return;
  for (int i = 1; i <= TessaraCount; ++i) {
    TfrmTessara* form = tessaras_[i].get();
    if (form && form->SaveOnExit) SaveAtExit([form] { form->SaveTessara(); });
  }
  SaveAtExit([this] { SaveMainKeys(); });
}

void TfrmMain::SaveAtExit(const std::function<void()>& save) {
  try {
    save();
  } catch (const Error& e) {
    // One line per file; a file that failed at the close and again at the destroy counts once.
    const std::string text = e.what();
    for (std::size_t start = 0; start <= text.size();) {
      const std::size_t end = std::min(text.find('\n', start), text.size());
      const std::string line = text.substr(start, end - start);
      if (std::find(exit_failures_.begin(), exit_failures_.end(), line) == exit_failures_.end())
        exit_failures_.push_back(line);
      start = end + 1;
    }
  }
}

void TfrmMain::SaveMainKeys() {
  globals.StoreBoolean(kDpiAwareKey, true);
  globals.StoreInteger("LastX", PanelX);
  globals.StoreInteger("LastY", view_.Top());
  globals.StoreInteger("tsCount", TessaraCount);
  globals.StoreBoolean("SnapEdges", view_.Checked(MainCheck::SnapEdges));
  globals.StoreBoolean("Startup", view_.Checked(MainCheck::Startup));
  globals.WriteSettings();
}

void TfrmMain::FormClose() {
  if (Saved) return;
  SaveAll();
  Saved = true;
}

void TfrmMain::FormDestroy() {
  ReleaseClosed();
  // The forms die in reverse order of creation; each saves itself once more on the way.
  for (int i = kMaxTessaras; i >= 1; --i) {
    if (!tessaras_[i]) continue;
    std::unique_ptr<TfrmTessara> form = std::move(tessaras_[i]);
    SaveAtExit([&form] { form->FormDestroy(); });
  }
  if (!Saved) {
    SaveAll();
    Saved = true;
  }
  if (exit_failures_.empty()) return;
  std::string text = exit_failures_.front();
  for (std::size_t i = 1; i < exit_failures_.size(); ++i) text += "\n" + exit_failures_[i];
  exit_failures_.clear();
  ShowError(text);
}

void TfrmMain::DeleteTessara(TfrmTessara* form) {
  const int number = form->Tag;
  const int last = TessaraCount;
  auto removed = RemoveTessara(form);
  if (!removed) return;
  closed_.push_back(std::move(removed));
  platform_.PostReleaseClosed();
  if (number < last && !Tessara(number)) {
    // The last number belonged to a window that failed to load: its files take the freed
    // number, so it keeps them and the deleted window's files never come back.
    count_pending_ = true;
    count_waits_for_ = nullptr;
    if (RunChangeSave([&] { MoveWindowFiles(last, number); })) SaveCountChange();
    return;
  }
  // A kill before the exit must not bring the deleted window back. The window that took its
  // number is written under it before the count drops: a kill in between leaves that window
  // twice rather than losing it.
  count_pending_ = true;
  TfrmTessara* moved = Tessara(number);
  count_waits_for_ = number > TessaraCount ? nullptr : moved;
  if (count_waits_for_)
    moved->SaveChange();
  else
    SaveCountChange();
}

void TfrmMain::MoveWindowFiles(int from, int to) {
  const std::string folder = platform_.ProgramFolder();
  // A file the window does not have must not be left to it by the deleted one.
  const auto move = [](const std::string& source, const std::string& target) {
    std::string bytes;
    if (ReadWholeFile(source, bytes))
      SaveFileOrThrow(target, bytes);
    else if (FileExists(target))
      DeleteFileAt(target);
  };
  TRegVal section;
  section.UseStartUpDir = false;
  section.IniFileName = folder + "tswin.ini";
  section.Set_Booleans(TessaraBooleanKeys());
  section.Set_Integers(TessaraIntegerKeys());
  section.Set_Strings(TessaraStringKeys());
  section.IniSection = std::to_string(from);
  section.ReadSettings();
  section.IniSection = std::to_string(to);
  // Until every file has moved the number holds a mixed set: no start may trust its layers.
  section.StoreBoolean(kLayersStaleKey, true);
  section.WriteSettings();
  move(TileDataFile(folder, from), TileDataFile(folder, to));
  for (int m = 0; m < 3; ++m) move(LayerCacheFile(folder, from, m), LayerCacheFile(folder, to, m));
  for (int col = 1; col <= kGridMax; ++col)
    for (int row = 1; row <= kGridMax; ++row)
      move(IconCacheFile(folder, from, col, row), IconCacheFile(folder, to, col, row));
}

void TfrmMain::SaveCountChange() {
  if (Starting) return;
  count_pending_ = !RunChangeSave([this] { SaveMainKeys(); });
}

void TfrmMain::ChangeSaved(TfrmTessara* form) {
  if (!count_pending_ || (count_waits_for_ && count_waits_for_ != form)) return;
  count_waits_for_ = nullptr;
  SaveCountChange();
}

void TfrmMain::ReleaseClosed() {
  auto closed = std::move(closed_);
  for (auto& form : closed) form->FormDestroy();
}

std::unique_ptr<TfrmTessara> TfrmMain::RemoveTessara(TfrmTessara* form) {
  const int k = form->Tag;
  const int n = TessaraCount;
  if (k < 1 || k > n || tessaras_[k].get() != form) return nullptr;
  std::unique_ptr<TfrmTessara> removed = std::move(tessaras_[k]);
  if (count_waits_for_ == form) count_waits_for_ = nullptr;
  if (k != n) {
    tessaras_[k] = std::move(tessaras_[n]);
    // The last slot is empty when that window failed at start.
    if (tessaras_[k]) tessaras_[k]->SetNumber(k);
  }
  TessaraCount = n - 1;
  return removed;
}

bool TfrmMain::ExecuteOpenDlg(std::string& fileName) {
  std::string name = OpenDlgFileName;
  if (!platform_.ExecuteOpenDlg(name)) return false;
  OpenDlgFileName = name;
  fileName = name;
  return true;
}

}  // namespace tessara
