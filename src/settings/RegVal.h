#pragma once
// TRegVal: one group of named, typed settings held as "name=value" lines (one list per type,
// the design defaults), laid over from and written back to an INI file or the registry.
#include <cstddef>
#include <string>
#include <vector>

namespace tessara {

enum class TRegRoot { rgCurrentUser, rgLocalMachine };

class TRegVal {
 public:
  using Lines = std::vector<std::string>;

  TRegVal() = default;

  // A settings file larger than this is no file of ours (corrupt or planted): it reads as
  // missing, so the defaults apply, and the next write replaces it.
  static constexpr std::size_t kMaxFileSize = 4u << 20;

  std::string IniFileName;
  std::string IniSection;
  bool UseStartUpDir = true;
  bool UseRegistry = false;
  TRegRoot RegistryRoot = TRegRoot::rgCurrentUser;

  const Lines& _Booleans() const { return booleans_; }
  const Lines& _Floats() const { return floats_; }
  const Lines& _Integers() const { return integers_; }
  const Lines& _Strings() const { return strings_; }
  void Set_Booleans(const Lines& lines) { booleans_ = lines; }
  void Set_Floats(const Lines& lines) { floats_ = lines; }
  void Set_Integers(const Lines& lines) { integers_ = lines; }
  void Set_Strings(const Lines& lines) { strings_ = lines; }

  // Lays the stored values over the lines; a missing or oversized file, a missing section or
  // entry keeps the default.
  void ReadSettings();
  // Writes every line of every list. Throws Error("Unable to write to <path>") when the
  // file cannot be written; the previous file is then left exactly as it was.
  void WriteSettings();

  bool BooleanValue(const std::string& name) const;
  int IntegerValue(const std::string& name) const;
  std::string StringValue(const std::string& name) const;
  void StoreBoolean(const std::string& name, bool value);
  void StoreInteger(const std::string& name, int value);
  void StoreString(const std::string& name, const std::string& value);

  // How many times this process has read and parsed an INI file; a file unchanged on disk
  // since it was last read is not read again.
  static std::size_t IniFileParses();

  // Where the INI file lies: ProgramFolder + IniFileName, or IniFileName as given.
  std::string FilePath() const;

 private:
  Lines booleans_, floats_, integers_, strings_;
};

}  // namespace tessara
