#pragma once
// Errors carry the text the user sees; plain messages go through one replaceable sink so
// the core can show a message box without knowing about windows (tests record them).
#include <functional>
#include <stdexcept>
#include <string>

namespace tessara {

struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using MessageHandler = std::function<void(const std::string& text)>;

// Installs the sink for ShowMessage and returns the previous one.
MessageHandler SetMessageHandler(MessageHandler handler);
// A plain message box captioned with the application title.
void ShowMessage(const std::string& text);

// An error box captioned with the application title; falls back to ShowMessage's sink.
MessageHandler SetErrorHandler(MessageHandler handler);
void ShowError(const std::string& text);

// The application title: caption of every plain message box and error box.
const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);

}  // namespace tessara
