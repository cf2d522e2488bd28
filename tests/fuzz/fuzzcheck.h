#pragma once
// What the fuzz targets share: a property check that ends the run like a crash, and a
// scratch file for the readers that take a path.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace tessara::fuzz {

// A broken property is a finding: report it and abort so libFuzzer keeps the input.
#define FUZZ_CHECK(cond)                                                          \
  do {                                                                            \
    if (!(cond)) {                                                                \
      std::fprintf(stderr, "property failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
      std::abort();                                                               \
    }                                                                             \
  } while (0)

// One file per process, rewritten for every input and removed at exit.
inline const std::string& ScratchPath() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    std::string p = std::string(dir && *dir ? dir : "/tmp") + "/tessara_fuzz_" + std::to_string(::getpid());
    std::atexit([] { std::remove(ScratchPath().c_str()); });
    return p;
  }();
  return path;
}

inline const std::string& WriteScratch(std::string_view bytes) {
  const std::string& path = ScratchPath();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(f != nullptr);
  FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
  FUZZ_CHECK(std::fclose(f) == 0);
  return path;
}

}  // namespace tessara::fuzz
