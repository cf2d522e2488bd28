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

TfrmMain::~TfrmMain() { ForgetChangeSaves(this); }

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
  count_on_disk_ = TessaraCount;
  if (TessaraCount != 0) Park();
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
  Park();
}

void TfrmMain::Park() {
  parked_ = true;
  view_.SetLeft(ParkedLeft());
}

int TfrmMain::ParkedLeft() const { return std::max(kParkedLeft, view_.VirtualScreen().Right); }

void TfrmMain::cmControlPanelClick() {
  parked_ = false;
  view_.SetLeft(PanelX);
  view_.SetTop(PanelY);
  // The place kept while hidden may be on a monitor that has gone, or hand-edited.
  BringPanelOnScreen();
  view_.BringToForeground();
}

void TfrmMain::DisplayChanged() {
  if (!parked_)
    BringPanelOnScreen();
  else if (view_.Left() != ParkedLeft())
    view_.SetLeft(ParkedLeft());  // a desktop grown up to it would show it
}

void TfrmMain::SessionChanged(bool away) {
  session_away_ = away;
  if (away) return;
  for (int i = 1; i <= kMaxTessaras; ++i) {
    if (!tessaras_[i] || !tessaras_[i]->WantsCapture()) continue;
    // One window's failure must not keep the others on their old backgrounds.
    try {
      tessaras_[i]->ComposeLayers();
    } catch (const std::exception& e) {
      ShowError(e.what());
    }
  }
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

void TfrmMain::RxTrayIcon1Click() {
  // Windows that "show the desktop" or other programs put behind everything come back with
  // the panel; none of them takes the keyboard from it.
  for (int i = 1; i <= TessaraCount; ++i)
    if (tessaras_[i]) tessaras_[i]->View().BringToTop();
  view_.BringToForeground();
}

void TfrmMain::RxTrayIcon1DblClick() { cmControlPanelClick(); }

void TfrmMain::btnNewClick() {
  if (TessaraCount > kMaxTessaras - 1) {
    ShowMessage("Maximum number of tessaras reached");
    return;
  }
  const int number = TessaraCount + 1;
  if (!NumberFree(number)) return;
  auto form = MakeTessara();
  form->SetNumber(number);
  form->SetDefaults();
  TfrmTessara* shown = form.get();
  tessaras_[number] = std::move(form);
  TessaraCount = number;
  shown->FormShow();
  // The new window's files first: a count that names it before they exist would bring back
  // the files a deleted window of that number left. Its change-save then writes the count.
  count_waits_.push_back({shown, number, 0});
  count_pending_ = true;
  shown->SaveChange();
}

bool TfrmMain::NumberFree(int number) {
  const auto taken = [this, number] {
    return std::any_of(pending_moves_.begin(), pending_moves_.end(), [&](const FileMove& m) { return m.from == number; }) ||
           std::any_of(count_waits_.begin(), count_waits_.end(), [&](const CountWait& w) { return w.whole_at == number; });
  };
  if (!taken()) return true;
  // The files still lying only there are written to their new place first.
  std::vector<TfrmTessara*> waiting;
  for (const CountWait& w : count_waits_)
    if (w.whole_at == number && w.form) waiting.push_back(Tessara(w.number));
  for (TfrmTessara* form : waiting)
    if (form) form->SaveChange();
  if (!pending_moves_.empty()) SaveCountChange();
  if (!taken()) return true;
  ShowMessage("A new tessara cannot be made until the files of another tessara have reached its new number.");
  return false;
}

void TfrmMain::btnExitClick() { view_.Close(); }

bool TfrmMain::SnapToEdges() const { return view_.Checked(MainCheck::SnapEdges); }

int TfrmMain::SnapDistance() const { return globals.IntegerValue("SnapDistance"); }

void TfrmMain::chkStartupClick() {
  const std::string folder = platform_.StartupFolder();
  if (view_.Checked(MainCheck::Startup)) {
    const std::string link = folder + StartupLinkName();
    // Without a Startup folder a shortcut would land in whatever folder is current.
    const bool made = !folder.empty() && platform_.CreateShortcut(platform_.ProgramPath(), link,
                                                                  std::string("Tessara") + kVersionText) >= 0;
    if (!made) {
      // A ticked box must not promise a start that will not happen.
      view_.SetChecked(MainCheck::Startup, false);
      ShowError(folder.empty() ? std::string("Tessara cannot start with Windows: the Startup folder cannot be found.")
                               : "Tessara cannot start with Windows: the shortcut " + link + " could not be made.");
      return;
    }
    // The shortcut starts nothing while the entry is off in Task Manager, and only the user
    // may turn it on there.
    if (!startup_off_told_ && platform_.StartupEntryDisabled(StartupLinkName())) {
      startup_off_told_ = true;
      ShowMessage(
          "Tessara's start with Windows is turned off in Task Manager, so Windows does not start it. To turn it "
          "on again, open Task Manager, go to Startup apps (the Startup tab in older versions of Windows) and "
          "enable Tessara there.");
    }
  } else if (!folder.empty()) {
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
    if (form && form->Files().SaveOnExit()) WindowWritten(form, SaveAtExit(form, [form] { form->SaveTessara(); }));
  }
  SaveAtExit(this, [this] { SaveMainKeys(); });
}

bool TfrmMain::SaveAtExit(const void* owner, const std::function<void()>& save) {
  std::vector<std::string> lines;
  try {
    save();
  } catch (const Error& e) {
    // One line per file.
    const std::string text = e.what();
    for (std::size_t start = 0; start <= text.size();) {
      const std::size_t end = std::min(text.find('\n', start), text.size());
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }
  // A later save of the same owner tells what is on disk now.
  const auto it = std::find_if(exit_failures_.begin(), exit_failures_.end(),
                               [owner](const auto& failure) { return failure.first == owner; });
  if (lines.empty()) {
    if (it != exit_failures_.end()) exit_failures_.erase(it);
    return true;
  }
  if (it != exit_failures_.end())
    it->second = std::move(lines);
  else
    exit_failures_.emplace_back(owner, std::move(lines));
  return false;
}

void TfrmMain::SaveMainKeys() {
  // A move cut short is finished before any count is written; while it cannot be, the count
  // keeps naming the number whose files it has yet to bring.
  std::vector<std::string> failed;
  try {
    FinishMoves();
  } catch (const std::exception& e) {
    failed.emplace_back(e.what());
  }
  const int count = CountToStore();
  globals.StoreBoolean(kDpiAwareKey, true);
  globals.StoreInteger("LastX", PanelX);
  globals.StoreInteger("LastY", view_.Top());
  globals.StoreInteger("tsCount", count);
  globals.StoreBoolean("SnapEdges", view_.Checked(MainCheck::SnapEdges));
  globals.StoreBoolean("Startup", view_.Checked(MainCheck::Startup));
  try {
    globals.WriteSettings();
    count_on_disk_ = count;
  } catch (const std::exception& e) {
    failed.emplace_back(e.what());
  }
  if (failed.empty()) return;
  std::string text = failed.front();
  for (std::size_t i = 1; i < failed.size(); ++i) text += "\n" + failed[i];
  throw Error(text);
}

int TfrmMain::CountToStore() const {
  int count = TessaraCount;
  for (const CountWait& w : count_waits_)
    if (w.whole_at == 0) count = std::min(count, w.number - 1);
  // Naming files twice is better than naming none of a window's: a lower bound wins.
  for (const CountWait& w : count_waits_) count = std::max(count, w.whole_at);
  for (const FileMove& m : pending_moves_) count = std::max(count, m.from);
  return count;
}

bool TfrmMain::WindowWritten(const TfrmTessara* form, bool ok) {
  if (!ok) return false;
  return std::erase_if(count_waits_, [form](const CountWait& w) { return w.form == form; }) > 0;
}

void TfrmMain::FinishMoves() {
  while (!pending_moves_.empty()) {
    MoveWindowFiles(pending_moves_.front().from, pending_moves_.front().to);
    pending_moves_.erase(pending_moves_.begin());
  }
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
    WindowWritten(form.get(), SaveAtExit(form.get(), [&form] { form->FormDestroy(); }));
    for (CountWait& w : count_waits_)
      if (w.form == form.get()) w.form = nullptr;
  }
  // The keys again when they failed at the close, or when windows written since let the
  // count name them.
  const bool keysFailed = std::any_of(exit_failures_.begin(), exit_failures_.end(),
                                      [this](const auto& failure) { return failure.first == this; });
  if (!Starting && (!Saved || keysFailed || !pending_moves_.empty() || CountToStore() != count_on_disk_))
    SaveAtExit(this, [this] { SaveMainKeys(); });
  Saved = true;
  // Only what is not on disk now, each file once.
  std::vector<std::string> lines;
  for (const auto& failure : exit_failures_)
    for (const std::string& line : failure.second)
      if (std::find(lines.begin(), lines.end(), line) == lines.end()) lines.push_back(line);
  exit_failures_.clear();
  if (lines.empty()) return;
  std::string text = lines.front();
  for (std::size_t i = 1; i < lines.size(); ++i) text += "\n" + lines[i];
  ShowError(text);
}

void TfrmMain::DeleteTessara(TfrmTessara* form) {
  const int number = form->Number();
  const int last = TessaraCount;
  auto removed = RemoveTessara(form);
  if (!removed) return;
  closed_.push_back(std::move(removed));
  platform_.PostReleaseClosed();
  count_pending_ = true;
  if (number < last && !Tessara(number)) {
    // The last number belonged to a window that failed to load: its files take the freed
    // number, so it keeps them and the deleted window's files never come back. The count
    // drops once they are whole there.
    pending_moves_.push_back({last, number});
    SaveCountChange();
    return;
  }
  // A kill before the exit must not bring the deleted window back. The window that took its
  // number is written under it before the count drops (its change-save writes the count):
  // a kill in between leaves that window twice rather than losing it.
  if (number < last)
    Tessara(number)->SaveChange();
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
    else if (FileExists(source))  // held by another program now: the move waits for it
      throw Error("Cannot read file " + source);
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
  move(TileNamesFile(folder, from), TileNamesFile(folder, to));
  for (int m = 0; m < 3; ++m) move(LayerCacheFile(folder, from, m), LayerCacheFile(folder, to, m));
  for (int col = 1; col <= kGridMax; ++col)
    for (int row = 1; row <= kGridMax; ++row)
      move(IconCacheFile(folder, from, col, row), IconCacheFile(folder, to, col, row));
}

void TfrmMain::SaveCountChange() {
  if (Starting) return;
  const bool saved = RunChangeSave(this, [this] { SaveMainKeys(); });
  // A move still unfinished is tried again at every later change-save.
  count_pending_ = !saved || !pending_moves_.empty();
}

void TfrmMain::ChangeSaved(TfrmTessara* form) {
  if (WindowWritten(form, true) || count_pending_) SaveCountChange();
}

void TfrmMain::ReleaseClosed() {
  auto closed = std::move(closed_);
  for (auto& form : closed) form->FormDestroy();
}

std::unique_ptr<TfrmTessara> TfrmMain::RemoveTessara(TfrmTessara* form) {
  const int k = form->Number();
  const int n = TessaraCount;
  if (k < 1 || k > n || tessaras_[k].get() != form) return nullptr;
  std::unique_ptr<TfrmTessara> removed = std::move(tessaras_[k]);
  std::erase_if(count_waits_, [form](const CountWait& w) { return w.form == form; });
  if (k != n) {
    tessaras_[k] = std::move(tessaras_[n]);
    // The last slot is empty when that window failed at start.
    if (TfrmTessara* moved = tessaras_[k].get()) {
      moved->SetNumber(k);
      // Until it is written under k, its files lie whole at n (none, for a window never written).
      const auto it = std::find_if(count_waits_.begin(), count_waits_.end(),
                                   [moved](const CountWait& w) { return w.form == moved; });
      if (it != count_waits_.end())
        it->number = k;
      else
        count_waits_.push_back({moved, k, n});
    }
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
