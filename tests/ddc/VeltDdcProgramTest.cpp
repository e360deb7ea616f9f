// VeltTester on the DDC/CI VeltDLL, as a user with no reachable monitor meets it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool HasI2cDevices() {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/dev", error)) {
    if (entry.path().filename().string().rfind("i2c-", 0) == 0) return true;
  }
  return false;
}

TEST(DdcProgram, VeltTesterWithoutI2cDevicesShowsItsFailureAndTheFix) {
  if (HasI2cDevices()) GTEST_SKIP() << "this machine has /dev/i2c-* devices; the answer depends on its monitors";
  const fs::path folder = fs::temp_directory_path() / ("velt-ddc-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string command = "echo 0 | timeout 60 env -u DISPLAY LD_LIBRARY_PATH='" VELT_DDC_LIBRARY_DIR "' '" VELT_TESTER_PROGRAM
                              "' >'" + (folder / "out").string() + "' 2>'" + (folder / "err").string() + "'";
  const int status = std::system(command.c_str());
  const std::string output = ReadFile(folder / "out");
  const std::string errors = ReadFile(folder / "err");
  fs::remove_all(folder);

  EXPECT_EQ(status, 0);
  EXPECT_EQ(output, "Checking System Compatibility!\nSystem is not compatible............\nError returned = 0 \n");
  EXPECT_NE(errors.find("VeltDLL: no monitor answers DDC/CI: there are no /dev/i2c-* devices; load the i2c-dev "
                        "module (sudo modprobe i2c-dev"),
            std::string::npos)
      << errors;
}

}  // namespace
