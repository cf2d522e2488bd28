// TfrmTessara: creation, loading, defaults, showing and destruction.
#include "tessara/UTessara.h"

#include <functional>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/phases.h"
#include "shell/error.h"

namespace tessara {

TfrmTessara::TfrmTessara(ITessaraHost* host, std::unique_ptr<ITessaraView> view,
                         const std::string& programFolder)
    : host_(host),
      view_(std::move(view)),
      files_(*this, *view_, programFolder, [this](int col, int row) { icons_.Load(col, row); }) {
  view_->Attach(this);
}

TfrmTessara::~TfrmTessara() {
  // The view goes first: it must not route messages to a half-destroyed form.
  view_.reset();
}

void TfrmTessara::FormCreate() {
  ClearTiles();
  files_.SetSaveOnExit(true);
  composer_.Forget();
  Lit.Reset();
  pointer_.Reset();
  icons_.Forget();
  view_->AcceptDrops();
}

void TfrmTessara::SetNumber(int number) {
  // Layers and icons still in the files of the old number are taken in before the number
  // changes: the window that takes that number next may write over them.
  composer_.Renumber(number);
  if (number != files_.Number()) icons_.TakeInCached(files_.Number());
  files_.SetNumber(number);
}

void TfrmTessara::LoadTessara(int number) {
  SetNumber(number);
  files_.ReadSettings();
  view_->SetLetterFont(LetterFont);
  // A hand-edited file may hold anything; the grid must stay inside the tile array.
  if (!files_.DpiAware()) Place().ConvertUnawarePosition();
  ClampToModel();
  Place().ScaleAtOwnPlace();
  view_->SetColor(Color);
  Place().ToOwnPlace();
  files_.LoadTiles();
}

void TfrmTessara::SetDefaults() {
  files_.SetDefaults();
  view_->SetColor(Color);
  Place().PlaceAtRandom();
}

bool TfrmTessara::LoadCachedLayers() {
  // Files left by a deleted window of the same number are not this window's image.
  if (files_.Fresh()) return false;
  // They would show tiles that this window does not hold.
  if (files_.TilesUnread()) return false;
  // Tiles or settings were written after the layers (a change-save not followed by a full
  // save): the files may show an older picture.
  if (files_.Ini().BooleanValue(kLayersStaleKey)) return false;
  // Layers of another scale are composed again, never stretched.
  if (SaneDpi(files_.Ini().IntegerValue(kLayersDpiKey)) != Dpi) return false;
  return composer_.LoadCaches();
}

void TfrmTessara::FormShow() {
  PrepareShow();
  FinishShow();
}

void TfrmTessara::PrepareShow() {
  UpdateBorder();
  SyncMenuChecks();
  // Not yet shown, the window stands where it was placed to be: its own place.
  Left = view_->Left();
  Top = view_->Top();
  // A transparent window brought back on screen shows what lies behind its new place.
  const bool moved = KeepOnScreen() && BackType == 2;
  bool cached = false;
  if (!moved) {
    const PhaseTimer timer(Phase::LayerCaches);
    cached = LoadCachedLayers();
  }
  compose_at_show_ = !cached;
}

void TfrmTessara::FinishShow() {
  if (compose_at_show_) {
    compose_at_show_ = false;
    ComposeLayers();
  }
  const PhaseTimer timer(Phase::Showing);
  view_->Show();
  FormPaint();
}

void TfrmTessara::SaveTessara() {
  if (Starting) return;
  // Every file that can be written is: one that fails is reported with the others at the end.
  std::vector<std::string> failed;
  // Layers without the tiles of the file left unread are no picture of the window: none
  // is written, and the mark the files write keeps the next start from trusting older ones.
  if (!files_.TilesUnread())
    AttemptSave(failed, [this] { composer_.SaveCaches([this] { files_.MarkLayersStaleOnDisk(); }); });
  files_.Save(composer_.Saved(), failed);
  if (failed.empty()) return;
  std::string text = failed.front();
  for (std::size_t i = 1; i < failed.size(); ++i) text += "\n" + failed[i];
  throw Error(text);
}

void TfrmTessara::FormDestroy() {
  if (files_.SaveOnExit()) SaveTessara();
}

bool TfrmTessara::SaveChange() {
  const bool saved = files_.SaveChange();
  if (saved && host_) host_->ChangeSaved(this);
  return saved;
}

}  // namespace tessara
