#pragma once
// A host for a tessara in tests: snapping settings it is given, counted reads, and an open
// dialog answered from a list.
#include <functional>
#include <string>
#include <vector>

#include "tessara/host.h"

namespace tessara::testing {

struct FakeHost : ITessaraHost {
  bool snap = true;
  int distance = 8;
  mutable int snap_reads = 0, distance_reads = 0;
  std::vector<std::string> answers;  // next answers of the open dialog; "" cancels
  int opens = 0;
  std::function<void()> while_open;  // plays what happens while the dialog is up

  void NewTessara() override {}
  void ShowControlPanel() override {}
  void ExitApplication() override {}
  void DeleteTessara(TfrmTessara*) override {}
  bool SnapToEdges() const override {
    ++snap_reads;
    return snap;
  }
  int SnapDistance() const override {
    ++distance_reads;
    return distance;
  }
  bool ExecuteOpenDlg(std::string& name) override {
    if (while_open) while_open();
    const std::string answer = answers.at(static_cast<std::size_t>(opens++));
    if (answer.empty()) return false;
    name = answer;
    return true;
  }
};

}  // namespace tessara::testing
