// The typed values of the settings store. Input: a settings file. Each of its entries is
// read through TRegVal as a boolean, an integer, a float and a string, and its value text
// goes through the conversions directly.
// Properties: no crash; an integer read back from its decimal text is the same integer; a
// formatted float reads back and formats to the same text; after a read every list holds
// values its accessors accept.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzzcheck.h"
#include "settings/RegVal.h"
#include "settings/valuetext.h"
#include "shell/error.h"

namespace {

using namespace tessara;

void CheckConversions(std::string_view text) {
  for (const auto& number : {ParseInteger(text), ParseStoredInteger(text)})
    if (number) FUZZ_CHECK(ParseInteger(std::to_string(*number)) == number);
  if (const auto value = ParseFloat(text)) {
    const std::string formatted = FormatFloat(*value);
    const auto again = ParseFloat(formatted);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(FormatFloat(*again) == formatted);
  }
}

// The names of the entries, at most a few dozen, each with a default of every type.
std::vector<std::string> Names(std::string_view file) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < file.size() && names.size() < 24) {
    std::size_t end = file.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = file.size();
    const std::string_view line = file.substr(start, end - start);
    const std::size_t eq = line.find('=');
    if (eq != std::string_view::npos && eq > 0 && line.front() != '[' && line.front() != ';') {
      std::string name(line.substr(0, eq));
      while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
      if (!name.empty() && name.find('=') == std::string::npos) names.push_back(name);
      CheckConversions(line.substr(eq + 1));
    }
    start = end + 1;
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    SetMessageHandler([](const std::string&) {});
    return true;
  }();
  (void)quiet;
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  CheckConversions(file.substr(0, 64));

  TRegVal store;
  store.UseStartUpDir = false;
  store.IniFileName = fuzz::WriteScratch(file);
  std::vector<std::string> booleans, floats, integers, strings;
  const std::vector<std::string> names = Names(file);
  for (const std::string& name : names) {
    booleans.push_back(name + "=1");
    floats.push_back(name + "=1.5");
    integers.push_back(name + "=$707070");
    strings.push_back(name + "=default");
  }
  store.Set_Booleans(booleans);
  store.Set_Floats(floats);
  store.Set_Integers(integers);
  store.Set_Strings(strings);
  store.ReadSettings();

  for (const std::string& name : names) {
    const bool b = store.BooleanValue(name);
    (void)b;
    store.IntegerValue(name);  // throws, and so fails, if a stored integer were left unreadable
    FUZZ_CHECK(store.StringValue(name).size() <= 2047);
  }
  for (const std::string& line : store._Floats()) {
    const std::string text = line.substr(line.find('=') + 1);
    const auto value = ParseFloat(text);
    FUZZ_CHECK(value.has_value());
    FUZZ_CHECK(FormatFloat(*value) == text);
  }
  return 0;
}
