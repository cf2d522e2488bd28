#include "tessara/reader.h"

#include <utility>

#include "tessara/launch.h"
#include "tessara/tilefields.h"

namespace tessara {

std::string TargetName(const std::string& filename, const std::function<bool(const std::string&)>& exists) {
  const std::string file = TileLaunch(filename, "", "", exists).File;
  std::string name = FileNamePart(file);
  // A leading dot names a file, not an extension (".profile").
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  // A drive or a folder ending in its separator has no name part: the target says it all.
  return name.empty() ? filename : name;
}

TileReader::TileReader(const TessaraModel& model, const ReaderState& state,
                       std::function<bool(const std::string&)> exists)
    : model_(model), state_(state), exists_(exists ? std::move(exists) : FileOrFolderExists) {
  for (int row = 1; row <= model.Rows; ++row)
    for (int col = 1; col <= model.Cols; ++col)
      if (model.Occupied(col, row)) cells_.push_back({col, row});
}

Cell TileReader::CellOf(int child) const {
  return child >= 1 && child <= ChildCount() ? cells_[static_cast<std::size_t>(child - 1)] : Cell{};
}

int TileReader::ChildOf(Cell cell) const {
  for (std::size_t i = 0; i < cells_.size(); ++i)
    if (cells_[i].Col == cell.Col && cells_[i].Row == cell.Row) return static_cast<int>(i) + 1;
  return kReaderNone;
}

std::string TileReader::Name(int child) const {
  if (child == kReaderSelf) return "Tessara " + std::to_string(state_.Number);
  const Cell cell = CellOf(child);
  const TTileRecord& tile = model_.Tile(cell.Col, cell.Row);
  return tile.Description.empty() ? TargetName(tile.Filename, exists_) : tile.Description;
}

std::string TileReader::Value(int child) const {
  if (child == kReaderSelf) return {};
  const Cell cell = CellOf(child);
  return model_.Tile(cell.Col, cell.Row).Filename;
}

std::string TileReader::Description(int child) const {
  if (child == kReaderSelf) return {};
  const Cell cell = CellOf(child);
  return model_.Tile(cell.Col, cell.Row).StartIn;
}

std::string TileReader::DefaultAction(int child) const { return child == kReaderSelf ? "" : "Open"; }

unsigned TileReader::States(int child) const {
  const int focus = FocusChild();
  if (child == kReaderSelf) return rsFocusable | (focus == kReaderSelf ? rsFocused : 0u);
  const Cell cell = CellOf(child);
  unsigned states = rsFocusable | rsSelectable;
  if (focus == child) states |= rsFocused | rsSelected;
  if (cell.Col == state_.Pressed.Col && cell.Row == state_.Pressed.Row) states |= rsPressed;
  return states;
}

CellRect TileReader::Location(int child) const {
  const Cell cell = CellOf(child);
  return model_.CellRectOf(cell.Col, cell.Row);
}

int TileReader::HitTest(int x, int y) const {
  const int child = ChildOf(model_.CellAt(x, y));
  return child == kReaderNone ? kReaderSelf : child;
}

int TileReader::Navigate(int from, ReaderStep step) const {
  const int count = ChildCount();
  if (from == kReaderSelf) {
    if (count == 0) return kReaderNone;
    if (step == ReaderStep::FirstChild) return 1;
    if (step == ReaderStep::LastChild) return count;
    return kReaderNone;
  }
  if (from < 1 || from > count) return kReaderNone;
  if (step == ReaderStep::Next) return from < count ? from + 1 : kReaderNone;
  if (step == ReaderStep::Previous) return from > 1 ? from - 1 : kReaderNone;
  const bool across = step == ReaderStep::Left || step == ReaderStep::Right;
  const bool back = step == ReaderStep::Left || step == ReaderStep::Up;
  if (!across && step != ReaderStep::Up && step != ReaderStep::Down) return kReaderNone;
  // Reading order is row by row: the nearest in a direction is the first met walking that way.
  const Cell start = CellOf(from);
  for (int i = from + (back ? -1 : 1); i >= 1 && i <= count; i += back ? -1 : 1) {
    const Cell cell = CellOf(i);
    if (across ? cell.Row == start.Row : cell.Col == start.Col) return i;
    if (across && cell.Row != start.Row) break;
  }
  return kReaderNone;
}

int TileReader::FocusChild() const {
  if (!state_.Active) return kReaderNone;
  const int child = ChildOf(state_.Focus);
  return child == kReaderNone ? kReaderSelf : child;
}

}  // namespace tessara
