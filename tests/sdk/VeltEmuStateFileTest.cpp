// The state file: persistence between processes, its format, damaged files and files that cannot
// be read or written.
#include <algorithm>
#include <cfloat>
#include <cstring>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "VeltEmuTestSupport.h"

namespace {

class EmuStateFileTest : public EmulatorTest {
 protected:
  void SetUp() override {
    EmulatorTest::SetUp();
    for (const char* key : {"0.brightness", "0.contrast", "0.red", "0.green", "0.blue", "0.gamma"}) {
      factory_[key] = Value(key);
    }
    state_ = PathOf("state.txt");
  }

  void UseStateFile() { SetVariable("VELTDLL_STATE", state_); }

  // Another process: the in-process state forgotten, then the state file named again.
  void StartAnotherProcess() {
    unsetenv("VELTDLL_STATE");
    VeltEmu_Reset();
    UseStateFile();
  }

  std::map<std::string, int> factory_;
  std::string state_;
};

// Values a table must carry through the file bit for bit, including ones outside 0..1.
std::vector<float> AwkwardTable() {
  std::vector<float> table(256);
  for (int i = 0; i < 256; ++i) table[i] = static_cast<float>(i) / 255.0f;
  const float awkward[] = {-0.0f, 1e-45f, FLT_MIN, FLT_MAX, -FLT_MAX, 1.5f, -0.25f, 0.1f, 1.0f / 3.0f};
  std::copy(std::begin(awkward), std::end(awkward), table.begin() + 100);
  return table;
}

std::string TableText(int count, const char* value) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? " " : "") + std::string(value);
  return text;
}

}  // namespace

TEST_F(EmuStateFileTest, StateCarriesOverToTheNextProcess) {
  UseStateFile();
  std::vector<float> red = AwkwardTable(), green(256, 0.5f), blue(256, 0.0f);
  ASSERT_EQ(SetBrightness(42), 1);
  ASSERT_EQ(Set_ColorTone(3, 4), 1);
  ASSERT_EQ(Set_RGB_LUT(red.data(), green.data(), blue.data(), 3), 1);
  ASSERT_EQ(SwitchDisplay(1), 1);
  ASSERT_EQ(SetContrast(7), 1);
  ASSERT_EQ(ChangeMode(2), 1);

  StartAnotherProcess();
  EXPECT_EQ(GetBrightness(), 42);  // display 0 selected again
  EXPECT_EQ(Value("0.tone.4"), 3);
  EXPECT_EQ(Value("1.contrast"), 7);
  EXPECT_EQ(Value("1.mode"), 2);
  EXPECT_EQ(Value("0.mode"), 0);
  float read[256];
  ASSERT_EQ(VeltEmu_GetTable("0.lut.3.red", read), 1);
  EXPECT_EQ(std::memcmp(read, red.data(), sizeof read), 0);
  ASSERT_EQ(VeltEmu_GetTable("0.lut.3.blue", read), 1);
  EXPECT_EQ(read[255], 0.0f);
  EXPECT_EQ(VeltEmu_GetTable("0.lut.4.red", read), 0);
  EXPECT_EQ(VeltEmu_GetTable("1.lut.3.red", read), 0);
}

TEST_F(EmuStateFileTest, AnotherRealProcessSharesTheStateFile) {
  UseStateFile();
  ASSERT_EQ(SetBrightness(42), 1);
  const std::string command = std::string("\"") + VELT_EMU_CHILD + "\"";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(GetContrast(), 33);
}

TEST_F(EmuStateFileTest, FileIsWrittenOnlyByChangesAndReplacedWhole) {
  ASSERT_EQ(SetBrightness(42), 1);  // in memory only
  UseStateFile();
  EXPECT_EQ(GetBrightness(), factory_["0.brightness"]) << "a missing file means factory defaults";
  EXPECT_EQ(SetBrightness(101), 0);
  EXPECT_FALSE(std::filesystem::exists(state_));

  ASSERT_EQ(SetBrightness(5), 1);
  const std::string text = ReadFile(state_);
  EXPECT_NE(text.find("\n0.brightness = 5\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n1.savedBrightness.4 = "), std::string::npos) << text;
  EXPECT_EQ(text.find(".lut."), std::string::npos) << "no table is loaded yet";
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder_)) files.push_back(entry.path());
  EXPECT_EQ(files, std::vector<std::filesystem::path>{state_}) << "no temporary file left behind";
}

TEST_F(EmuStateFileTest, TablesAreWrittenAsNineDigitFloats) {
  UseStateFile();
  std::vector<float> table(256);
  for (int i = 0; i < 256; ++i) table[i] = static_cast<float>(i % 4) * 0.25f;
  table[1] = 0.1f;
  ASSERT_EQ(Set_RGB_LUT(table.data(), table.data(), table.data(), 4), 1);
  const std::string text = ReadFile(state_);
  std::string expected = "\n0.lut.4.green = 0 0.100000001 0.5 0.75";
  for (int i = 4; i < 256; ++i) expected += i % 4 == 0 ? " 0" : i % 4 == 1 ? " 0.25" : i % 4 == 2 ? " 0.5" : " 0.75";
  EXPECT_NE(text.find(expected + "\n"), std::string::npos) << text;
}

TEST_F(EmuStateFileTest, ControlResetRewritesTheFileWithDefaults) {
  WriteFile(state_, "0.brightness = 9\n1.lut.1.red = " + TableText(256, "0.5") + "\n");
  UseStateFile();
  ASSERT_EQ(GetBrightness(), 9);
  VeltEmu_Reset();
  const std::string text = ReadFile(state_);
  EXPECT_NE(text.find("0.brightness = " + std::to_string(factory_["0.brightness"]) + "\n"), std::string::npos);
  EXPECT_EQ(text.find(".lut."), std::string::npos);
}

TEST_F(EmuStateFileTest, DamagedFilesAreReadWithoutHarm) {
  using namespace std::string_literals;
  constexpr std::nullopt_t kFactory = std::nullopt;
  const std::string goodTable = TableText(256, "0.5");
  const std::string hugeLine(200000, 'x');
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::pair<const char*, std::optional<int>>> expected;  // no value: factory default
    std::vector<std::pair<const char*, bool>> tables;   // key and whether it is loaded
  };
  const Case cases[] = {
      {"garbage",
       "\xff\xfe\x01=\n==\n = 5\n0. = 3\n2.brightness = 5\n0.brightness\n0.red = 4\0 5\n\x80\x81\n0.contrast = 7"s,
       {{"0.brightness", kFactory}, {"0.red", kFactory}, {"0.contrast", 7}},
       {}},
      {"numbers out of int range",
       "0.brightness = 99999999999\n0.contrast = -2147483649\n0.red = 2147483647\n0.green = -2147483648\n",
       {{"0.brightness", kFactory}, {"0.contrast", kFactory}, {"0.red", INT_MAX}, {"0.green", INT_MIN}},
       {}},
      {"malformed numbers",
       "0.brightness = 12abc\n0.contrast = 0x10\n0.red = 1.5\n0.green =\n0.blue = +7\n 0.gamma=2 \n",
       {{"0.brightness", kFactory}, {"0.contrast", kFactory}, {"0.red", kFactory}, {"0.blue", 7}, {"0.gamma", 2}},
       {}},
      {"partial and damaged tables",
       "0.lut.4.red = " + TableText(255, "0.5") + "\n0.lut.4.green = " + TableText(257, "0.5") +
           "\n0.lut.4.blue = " + TableText(255, "0.5") + " nan\n0.lut.3.red = " + TableText(255, "0.5") +
           " 1e99\n0.lut.3.green = " + TableText(255, "0.5") + "-0.5\n1.lut.1.red = " + goodTable + "\n",
       {},
       {{"0.lut.4.red", false}, {"0.lut.4.green", false}, {"0.lut.4.blue", false},
        {"0.lut.3.red", false}, {"0.lut.3.green", false}, {"1.lut.1.red", true}}},
      {"very long lines",
       hugeLine + "\n0.brightness = 5" + std::string(100000, ' ') + "x\n0.red = " + std::string(100000, '1') +
           "\n0.lut.2.red = " + goodTable + " " + TableText(5000, "0.25") + "\n0.contrast = 9\n",
       {{"0.brightness", kFactory}, {"0.red", kFactory}, {"0.contrast", 9}},
       {{"0.lut.2.red", false}}},
      {"comments, blanks, line ends and repeats",
       "# 0.brightness = 5\n\n   \n0.contrast = 8\r\n0.red = 1\n0.red = 2\n",
       {{"0.brightness", kFactory}, {"0.contrast", 8}, {"0.red", 2}},
       {}},
      {"unknown keys",
       "0.Brightness = 5\n0.tone.5 = 3\n0.lut.5.red = " + goodTable + "\n0.lut.4.alpha = " + goodTable +
           "\n0.display = 1\n",
       {{"0.brightness", kFactory}},
       {{"0.lut.4.red", false}}},
  };
  float read[256];
  for (const Case& c : cases) {
    unsetenv("VELTDLL_STATE");
    VeltEmu_Reset();
    WriteFile(state_, c.text);
    UseStateFile();
    for (const auto& [key, value] : c.expected) {
      EXPECT_EQ(Value(key), value.value_or(factory_[key])) << c.name << ": " << key;
    }
    for (const auto& [key, loaded] : c.tables) {
      EXPECT_EQ(VeltEmu_GetTable(key, read), loaded ? 1 : 0) << c.name << ": " << key;
    }
    // The monitor keeps working on such a file and leaves a clean one behind.
    EXPECT_EQ(SetSharpness(3), 1) << c.name;
    StartAnotherProcess();
    EXPECT_EQ(GetSharpness(), 3) << c.name;
    for (const auto& [key, value] : c.expected) {
      EXPECT_EQ(Value(key), value.value_or(factory_[key])) << c.name << " rewritten: " << key;
    }
  }
}

TEST_F(EmuStateFileTest, UnreadableFileKeepsTheStateInMemoryAndIsLeftAlone) {
  SetVariable("VELTDLL_STATE", folder_.string());  // a folder opens but cannot be read as a file
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(SetBrightness(33), 1);
  EXPECT_EQ(GetBrightness(), 33);
  const std::string line = "VeltDLL: cannot read state file " + folder_.string() + ", keeping the state in memory\n";
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), line + line) << "one line per call, and no attempt to write";
  EXPECT_TRUE(std::filesystem::is_directory(folder_));
}

TEST_F(EmuStateFileTest, UnwritableFileKeepsTheStateInMemory) {
  SetVariable("VELTDLL_STATE", PathOf("no-such-folder/state.txt"));
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(SetBrightness(33), 1);
  EXPECT_EQ(GetBrightness(), 33) << "a value the monitor accepted must not be lost";
  EXPECT_EQ(SetContrast(12), 1);
  EXPECT_EQ(GetContrast(), 12);
  const std::string line = "VeltDLL: cannot write state file " + PathOf("no-such-folder/state.txt") +
                           ", keeping the state in memory\n";
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), line + line) << "one line per failed save";
  EXPECT_FALSE(std::filesystem::exists(PathOf("no-such-folder")));
}
