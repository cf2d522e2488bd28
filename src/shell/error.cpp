#include "shell/error.h"

#include <utility>

namespace tessara {
namespace {
MessageHandler& Sink() {
  static MessageHandler sink;
  return sink;
}
std::string& Title() {
  static std::string title = "Tessara";
  return title;
}
}  // namespace

MessageHandler SetMessageHandler(MessageHandler handler) {
  return std::exchange(Sink(), std::move(handler));
}

void ShowMessage(const std::string& text) {
  if (Sink()) Sink()(text);
}

const std::string& ApplicationTitle() { return Title(); }
void SetApplicationTitle(const std::string& title) { Title() = title; }

}  // namespace tessara
