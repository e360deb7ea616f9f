// Arbitrary bytes as the emulator's state file: reading must never crash, and whatever the
// emulator makes of them must survive its own save and reload unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "VeltDLL.h"

namespace {

const std::string& StatePath() {
  static const std::string path = [] {
    std::random_device random;
    const auto file = std::filesystem::temp_directory_path() /
                      ("fuzz_emulator_state-" + std::to_string(random()) + ".txt");
    setenv("VELTDLL_STATE", file.c_str(), 1);
    return file.string();
  }();
  return path;
}

std::string ReadState(const std::string& path) {
  std::string text;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) std::abort();
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
  std::fclose(file);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = StatePath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  GetBrightness();
  GetGamma();
  ReadMode();
  Get_Calibration_Time();
  // The setter rewrites the file from what was read; doing it again must write the same text.
  const int brightness = (size > 0 ? data[0] : 0) % 101;
  if (SetBrightness(brightness) != 1 || GetBrightness() != brightness) std::abort();
  const std::string saved = ReadState(path);
  if (SetBrightness(brightness) != 1 || ReadState(path) != saved) std::abort();

  std::remove(path.c_str());
  return 0;
}
