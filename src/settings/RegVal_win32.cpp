// Registry mode: one key per group under root\keyPath[\section], one REG_SZ value per line.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "settings/inifile.h"
#include "settings/settingsbackend.h"
#include "shell/error.h"

namespace tessara::settings {
namespace {

class Key {
 public:
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (handle_) RegCloseKey(handle_);
  }
  // Creates the subkey when missing; falls back to opening it for reading only, so a
  // read from a root the user may not write (HKLM) still finds the stored values.
  bool Open(HKEY parent, const std::string& name) {
    if (!parent) return false;
    if (RegCreateKeyExA(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                        &handle_, nullptr) == ERROR_SUCCESS)
      return true;
    handle_ = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, &handle_) == ERROR_SUCCESS) return true;
    handle_ = nullptr;
    return false;
  }
  HKEY get() const { return handle_; }

 private:
  HKEY handle_ = nullptr;
};

class RegistryStore : public SettingsStore {
 public:
  RegistryStore(TRegRoot root, const std::string& keyPath, const std::string& section) {
    const bool user = root == TRegRoot::rgCurrentUser;
    std::string path = keyPath;
    while (!path.empty() && path.front() == '\\') path.erase(0, 1);
    display_ = std::string(user ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\") + path;
    base_.Open(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, path);
    if (!section.empty()) {
      display_ += "\\" + section;
      hasSection_ = true;
      section_.Open(base_.get(), section);
    }
  }

  std::optional<std::string> Read(const std::string& group, const std::string& name) override {
    const HKEY key = Group(group);
    if (!key) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<char> buffer(size + 1, '\0');
    DWORD got = size;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) !=
        ERROR_SUCCESS)
      return std::nullopt;
    std::string text(buffer.data(), got);
    // A value ends at its first terminator, and is cut where the INI store cuts it.
    text.resize(std::min(text.find('\0'), IniFile::kMaxValueLength));
    return text;
  }

  void Write(const std::string& group, const std::string& name, const std::string& value) override {
    const HKEY key = Group(group);
    if (!key || RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
      throw Error("Unable to write to " + display_ + "\\" + group);
  }

  void Commit() override {}

 private:
  HKEY Group(const std::string& group) {
    for (auto& [name, key] : groups_)
      if (name == group) return key->get();
    auto key = std::make_unique<Key>();
    key->Open(Parent(), group);
    groups_.emplace_back(group, std::move(key));
    return groups_.back().second->get();
  }
  // With a section, a section key that could not be opened means no store at all.
  HKEY Parent() const { return hasSection_ ? section_.get() : base_.get(); }

  std::string display_;
  Key base_, section_;
  bool hasSection_ = false;
  std::vector<std::pair<std::string, std::unique_ptr<Key>>> groups_;
};

}  // namespace

std::unique_ptr<SettingsStore> OpenRegistryStore(TRegRoot root, const std::string& keyPath,
                                                 const std::string& section) {
  return std::make_unique<RegistryStore>(root, keyPath, section);
}

}  // namespace tessara::settings
