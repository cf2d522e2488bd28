#include "shell/error.h"

#include <utility>

namespace tessara {
namespace {
MessageHandler& Sink() {
  static MessageHandler sink;
  return sink;
}
MessageHandler& ErrorSink() {
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

MessageHandler SetErrorHandler(MessageHandler handler) {
  return std::exchange(ErrorSink(), std::move(handler));
}

void ShowError(const std::string& text) {
  if (ErrorSink()) {
    ErrorSink()(text);
  } else {
    ShowMessage(text);
  }
}

const std::string& ApplicationTitle() { return Title(); }
void SetApplicationTitle(const std::string& title) { Title() = title; }

}  // namespace tessara
