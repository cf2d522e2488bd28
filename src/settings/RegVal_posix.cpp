// Native builds have no registry; only INI mode is available there.
#include "settings/settingsbackend.h"
#include "shell/error.h"

namespace tessara::settings {

std::unique_ptr<SettingsStore> OpenRegistryStore(TRegRoot, const std::string& keyPath, const std::string&) {
  throw Error("The registry is not available on this system (key \"" + keyPath + "\")");
}

}  // namespace tessara::settings
