#pragma once
// Where TRegVal keeps its groups: one open store per ReadSettings or WriteSettings call.
// The INI store lives beside TRegVal; the registry store is platform code.
#include <memory>
#include <optional>
#include <string>

#include "settings/RegVal.h"

namespace tessara::settings {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text of one entry of a group ("Booleans", "Floats", ...); nullopt if missing.
  virtual std::optional<std::string> Read(const std::string& group, const std::string& name) = 0;
  virtual void Write(const std::string& group, const std::string& name, const std::string& value) = 0;
  // Makes the writes lasting; a store may write through and do nothing here.
  virtual void Commit() = 0;
};

// The key keyPath (and under it section, when not empty) below the root; the keys are
// created when missing. Throws Error where there is no registry.
std::unique_ptr<SettingsStore> OpenRegistryStore(TRegRoot root, const std::string& keyPath,
                                                 const std::string& section);

}  // namespace tessara::settings
