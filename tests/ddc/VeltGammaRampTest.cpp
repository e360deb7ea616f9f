#include "VeltGammaRamp.h"

// gtest before Xlib, whose macros (None, Bool) would rename gtest's own names.
#include <gtest/gtest.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "VeltDLL.h"
#include "VeltDdcFakeBus.h"
#include "XvfbServer.h"

namespace {

using Table = std::vector<float>;
using Ramp = std::vector<unsigned short>;
using Edid = std::vector<unsigned char>;

Table TableOf(const std::function<double(int)>& entry) {
  Table table(kVeltTableSize);
  for (int i = 0; i < kVeltTableSize; ++i) table[i] = static_cast<float>(entry(i));
  return table;
}

Table Identity() {
  return TableOf([](int i) { return i / 255.0; });
}
Table Squares() {
  return TableOf([](int i) { return std::pow(i / 255.0, 2.0); });
}
Table PowerCurve() {
  return TableOf([](int i) { return std::pow(i / 255.0, 2.2); });
}
Table Inverted() {
  return TableOf([](int i) { return 1.0 - i / 255.0; });
}
Table Constant(float value) {
  return TableOf([value](int) { return value; });
}

// ---------------------------------------------------------------------------------------------
// Spreading a table over a ramp.

struct RampCase {
  const char* name;
  Table table;
  int size;
  std::vector<std::pair<int, unsigned short>> expected;  // ramp index, value
};

TEST(VeltRampFromTable, InterpolatesClampsAndScales) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<RampCase> cases = {
      // 256 entries: the table itself, v * 65535; identity gives i * 257.
      {"identity at 256", Identity(), 256, {{0, 0}, {1, 257}, {128, 32896}, {255, 65535}}},
      // 0, 1, 0, 1, ...: entry j of 1024 sits at j * 255 / 1023 between two table entries.
      {"zigzag at 1024",
       TableOf([](int i) { return i % 2; }),
       1024,
       {{0, 0},
        {1, 16336},      // 0.249 of the way from 0 to 1
        {2, 32671},      // 0.499
        {4, 65343},      // 0.997
        {511, 40935},    // 127.375: from 1 down toward 0
        {1022, 49199},   // 254.751
        {1023, 65535}}},
      // 16 entries fall on every 17th table entry: (j / 15)^2.
      {"squares at 16", Squares(), 16, {{0, 0}, {1, 291}, {8, 18641}, {15, 65535}}},
      // -0.5, 1, -0.5, ...: clamped after interpolating, so halfway is 0.25, not 0.5.
      {"out of range at 511",
       TableOf([](int i) { return i % 2 ? 1.0 : -0.5; }),
       511,
       {{0, 0}, {1, 16384}, {2, 65535}, {509, 16384}, {510, 65535}}},
      {"above one", Constant(1.5f), 256, {{0, 65535}, {200, 65535}}},
      {"below zero", Constant(-3.0f), 64, {{0, 0}, {63, 0}}},
      {"not a number", Constant(nan), 256, {{0, 0}, {255, 0}}},
      {"infinity", Constant(inf), 300, {{0, 65535}, {299, 65535}}},
      {"minus infinity", Constant(-inf), 256, {{0, 0}, {255, 0}}},
  };
  for (const RampCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Ramp ramp = VeltRampFromTable(c.table.data(), c.size);
    ASSERT_EQ(ramp.size(), static_cast<size_t>(c.size));
    for (const auto& [index, value] : c.expected) {
      EXPECT_EQ(ramp[index], value) << "entry " << index;
    }
  }
}

TEST(VeltRampFromTable, TheSize256RampIsTheTableRounded) {
  const Table table = PowerCurve();
  const Ramp ramp = VeltRampFromTable(table.data(), kVeltTableSize);
  ASSERT_EQ(ramp.size(), static_cast<size_t>(kVeltTableSize));
  for (int i = 0; i < kVeltTableSize; ++i) {
    EXPECT_EQ(ramp[i], std::lround(table[i] * 65535.0)) << "entry " << i;
  }
}

// Every size hits the first and last table entries exactly and reads nothing past the table
// (the table is a heap block of exactly 256 entries, which ASan guards).
TEST(VeltRampFromTable, EveryRampSizeEndsOnTheTablesEnds) {
  const Table table = TableOf([](int i) { return 0.1 + 0.8 * i / 255.0; });
  for (int size = 2; size <= 4096; ++size) {
    const Ramp ramp = VeltRampFromTable(table.data(), size);
    ASSERT_EQ(ramp.size(), static_cast<size_t>(size));
    ASSERT_EQ(ramp.front(), std::lround(table.front() * 65535.0)) << "size " << size;
    ASSERT_EQ(ramp.back(), std::lround(table.back() * 65535.0)) << "size " << size;
    for (int j = 1; j < size; ++j) ASSERT_LE(ramp[j - 1], ramp[j]) << "size " << size;
  }
}

TEST(VeltRampFromTable, SizesBelowTwoGiveNoRamp) {
  const Table table = Identity();
  for (const int size : {1, 0, -1, -256}) {
    EXPECT_TRUE(VeltRampFromTable(table.data(), size).empty()) << "size " << size;
  }
}

// ---------------------------------------------------------------------------------------------
// Loading the ramp into an X server.

// Points DISPLAY at a server (nullptr: unsets it) and puts the old value back.
class DisplayVariable {
 public:
  explicit DisplayVariable(const char* value) {
    if (const char* old = std::getenv("DISPLAY")) old_ = old;
    Set(value);
  }
  ~DisplayVariable() { Set(old_ ? old_->c_str() : nullptr); }
  DisplayVariable(const DisplayVariable&) = delete;
  DisplayVariable& operator=(const DisplayVariable&) = delete;

 private:
  static void Set(const char* value) {
    if (value != nullptr) {
      setenv("DISPLAY", value, 1);
    } else {
      unsetenv("DISPLAY");
    }
  }

  std::optional<std::string> old_;
};

TEST(VeltGammaRampWithoutServer, AnswersNoServer) {
  const Table table = Identity();
  const float* const tables[3] = {table.data(), table.data(), table.data()};
  // Nothing listens on display 987.
  for (const char* display : {":987", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(display ? display : "DISPLAY unset");
    const DisplayVariable variable(display);
    std::string problem;
    EXPECT_EQ(VeltLoadGammaRamp({}, 0, tables, &problem), VeltRampResult::kNoServer);
    EXPECT_NE(problem.find("no X server"), std::string::npos) << problem;
    EXPECT_EQ(problem.find('\n'), std::string::npos) << problem;
    EXPECT_TRUE(VeltPrimaryOutputEdid().empty());
  }
}

TEST(VeltGammaRampWithoutServer, AnswersNoServerWhereTheServerLacksRandr) {
  XvfbServer server;
  std::string why;
  if (!server.Start(&why, {"-extension", "RANDR"})) GTEST_SKIP() << "Xvfb is missing: " << why;
  const DisplayVariable variable(server.Display().c_str());
  const Table table = Identity();
  const float* const tables[3] = {table.data(), table.data(), table.data()};
  std::string problem;
  EXPECT_EQ(VeltLoadGammaRamp({}, 0, tables, &problem), VeltRampResult::kNoServer);
  EXPECT_NE(problem.find("RandR"), std::string::npos) << problem;
  EXPECT_TRUE(VeltPrimaryOutputEdid().empty());
}

// A 128-byte EDID block that differs with `seed`.
Edid EdidBlock(unsigned char seed) {
  Edid edid(128);
  for (size_t i = 0; i < edid.size(); ++i) edid[i] = static_cast<unsigned char>(seed + 7 * i);
  return edid;
}

struct Ramps {
  Ramp red, green, blue;
  bool operator==(const Ramps& other) const {
    return red == other.red && green == other.green && blue == other.blue;
  }
};

// One Xvfb for the program; each test talks to it over its own connection and leaves the
// server's output as it found it (no EDID, no primary output).
class GammaRampOnXvfb : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = std::make_unique<XvfbServer>();
    if (!server_->Start(&why_)) server_.reset();
  }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    if (!server_) GTEST_SKIP() << "Xvfb is missing: " << why_;
    variable_.emplace(server_->Display().c_str());
    x_ = XOpenDisplay(server_->Display().c_str());
    ASSERT_NE(x_, nullptr) << "cannot connect to " << server_->Display();
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x_, DefaultRootWindow(x_));
    ASSERT_NE(resources, nullptr);
    for (int i = 0; i < resources->noutput && crtc_ == None; ++i) {
      XRROutputInfo* info = XRRGetOutputInfo(x_, resources, resources->outputs[i]);
      if (info != nullptr && info->crtc != None) {
        output_ = resources->outputs[i];
        crtc_ = info->crtc;
      }
      XRRFreeOutputInfo(info);
    }
    XRRFreeScreenResources(resources);
    ASSERT_NE(crtc_, None) << "Xvfb drives no CRTC";
    ASSERT_EQ(XRRGetCrtcGammaSize(x_, crtc_), kVeltTableSize) << "Xvfb's gamma ramp size";
  }

  void TearDown() override {
    if (x_ == nullptr) return;
    if (output_ != None) {
      HideEdid();
      MakePrimary(false);
    }
    XCloseDisplay(x_);
  }

  void ShowEdid(const Edid& edid) {
    XRRChangeOutputProperty(x_, output_, XInternAtom(x_, "EDID", False), XA_INTEGER, 8,
                            PropModeReplace, edid.data(), static_cast<int>(edid.size()));
    XSync(x_, False);
    edidShown_ = true;
  }
  // Deleting a property that is not there is an X error.
  void HideEdid() {
    if (!edidShown_) return;
    XRRDeleteOutputProperty(x_, output_, XInternAtom(x_, "EDID", False));
    XSync(x_, False);
    edidShown_ = false;
  }
  void MakePrimary(bool primary) {
    XRRSetOutputPrimary(x_, DefaultRootWindow(x_), primary ? output_ : None);
    XSync(x_, False);
  }

  Ramps ReadRamps() {
    XRRCrtcGamma* gamma = XRRGetCrtcGamma(x_, crtc_);
    Ramps ramps{Ramp(gamma->red, gamma->red + gamma->size),
                Ramp(gamma->green, gamma->green + gamma->size),
                Ramp(gamma->blue, gamma->blue + gamma->size)};
    XRRFreeGamma(gamma);
    return ramps;
  }
  void WriteRamps(const Ramps& ramps) {
    XRRCrtcGamma* gamma = XRRAllocGamma(static_cast<int>(ramps.red.size()));
    std::copy(ramps.red.begin(), ramps.red.end(), gamma->red);
    std::copy(ramps.green.begin(), ramps.green.end(), gamma->green);
    std::copy(ramps.blue.begin(), ramps.blue.end(), gamma->blue);
    XRRSetCrtcGamma(x_, crtc_, gamma);
    XSync(x_, False);
    XRRFreeGamma(gamma);
  }

  // Red a power curve, green the identity, blue inverted, and the ramps they should make.
  const Table red_ = PowerCurve();
  const Table green_ = Identity();
  const Table blue_ = Inverted();
  const float* const tables_[3] = {red_.data(), green_.data(), blue_.data()};
  const Ramps expected_{VeltRampFromTable(red_.data(), kVeltTableSize),
                        VeltRampFromTable(green_.data(), kVeltTableSize),
                        VeltRampFromTable(blue_.data(), kVeltTableSize)};
  // What the CRTC holds before each attempt: flat mid-grey, unlike any of the tables.
  const Ramps before_{Ramp(kVeltTableSize, 30000), Ramp(kVeltTableSize, 30000),
                      Ramp(kVeltTableSize, 30000)};

  Display* x_ = nullptr;
  RROutput output_ = None;
  RRCrtc crtc_ = None;

 private:
  bool edidShown_ = false;
  static std::unique_ptr<XvfbServer> server_;
  static std::string why_;
  std::optional<DisplayVariable> variable_;
};

std::unique_ptr<XvfbServer> GammaRampOnXvfb::server_;
std::string GammaRampOnXvfb::why_;

TEST_F(GammaRampOnXvfb, LoadsEachChannelIntoTheOnlyCrtcForDisplayZero) {
  WriteRamps(before_);
  std::string problem;
  EXPECT_EQ(VeltLoadGammaRamp({}, 0, tables_, &problem), VeltRampResult::kLoaded) << problem;
  EXPECT_EQ(problem, "");
  const Ramps loaded = ReadRamps();
  EXPECT_EQ(loaded.red, expected_.red);
  EXPECT_EQ(loaded.green, expected_.green);
  EXPECT_EQ(loaded.blue, expected_.blue);
}

struct RoutingCase {
  const char* name;
  std::optional<Edid> shown;  // the output's EDID property, if any
  Edid asked;                 // the EDID passed in
  int display;
  VeltRampResult result;
};

TEST_F(GammaRampOnXvfb, FindsTheCrtcByEdidAndFallsBackOnlyForDisplayZero) {
  const Edid monitor = EdidBlock(1);
  const Edid other = EdidBlock(2);
  Edid withExtension = monitor;
  withExtension.resize(256, 0x5a);
  const Edid half(monitor.begin(), monitor.begin() + 64);
  const std::vector<RoutingCase> cases = {
      {"no EDID anywhere, display 1", std::nullopt, {}, 1, VeltRampResult::kNoCrtc},
      {"unknown EDID, display 1", monitor, {}, 1, VeltRampResult::kNoCrtc},
      {"matching EDID, display 1", monitor, monitor, 1, VeltRampResult::kLoaded},
      {"matching first block of a longer EDID", withExtension, monitor, 1,
       VeltRampResult::kLoaded},
      {"a half EDID is no match", half, monitor, 1, VeltRampResult::kNoCrtc},
      {"no EDID on the output, display 0 takes the one CRTC", std::nullopt, monitor, 0,
       VeltRampResult::kLoaded},
      {"another monitor's EDID, display 0 leaves its CRTC alone", other, monitor, 0,
       VeltRampResult::kNoCrtc},
      {"other EDID, display 1", other, monitor, 1, VeltRampResult::kNoCrtc},
      {"no EDID on the output, display 2", std::nullopt, monitor, 2, VeltRampResult::kNoCrtc},
  };
  for (const RoutingCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.shown) {
      ShowEdid(*c.shown);
    } else {
      HideEdid();
    }
    WriteRamps(before_);
    std::string problem;
    EXPECT_EQ(VeltLoadGammaRamp(c.asked, c.display, tables_, &problem), c.result) << problem;
    if (c.result == VeltRampResult::kLoaded) {
      EXPECT_EQ(problem, "");
      EXPECT_TRUE(ReadRamps() == expected_);
    } else {
      EXPECT_NE(problem.find("display " + std::to_string(c.display)), std::string::npos)
          << problem;
      EXPECT_EQ(problem.find('\n'), std::string::npos) << problem;
      EXPECT_TRUE(ReadRamps() == before_) << "the ramp changed";
    }
  }
}

struct PrimaryCase {
  const char* name;
  std::optional<Edid> shown;
  bool primary;
  Edid expected;
};

TEST_F(GammaRampOnXvfb, PrimaryOutputEdidIsTheFirstBlockOfThePrimarysEdid) {
  const Edid monitor = EdidBlock(9);
  Edid withExtension = monitor;
  withExtension.resize(256, 0xa5);
  const std::vector<PrimaryCase> cases = {
      {"no primary, no EDID", std::nullopt, false, {}},
      {"primary without EDID", std::nullopt, true, {}},
      {"EDID but not primary", monitor, false, {}},
      {"primary with EDID", monitor, true, monitor},
      {"primary with an extended EDID", withExtension, true, monitor},
      {"primary with a short EDID", Edid(monitor.begin(), monitor.begin() + 100), true, {}},
  };
  for (const PrimaryCase& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.shown) {
      ShowEdid(*c.shown);
    } else {
      HideEdid();
    }
    MakePrimary(c.primary);
    EXPECT_EQ(VeltPrimaryOutputEdid(), c.expected);
  }
}

int gCallersErrors = 0;
int CallersHandler(Display*, XErrorEvent*) {
  ++gCallersErrors;
  return 0;
}

// The library catches X errors with a process-wide handler of its own while it works; the
// caller's handler must be back in place afterwards.
TEST_F(GammaRampOnXvfb, PutsTheCallersErrorHandlerBack) {
  const XErrorHandler original = XSetErrorHandler(CallersHandler);
  std::string problem;
  VeltLoadGammaRamp({}, 0, tables_, &problem);
  EXPECT_EQ(XSetErrorHandler(CallersHandler), CallersHandler) << "after a load";
  VeltLoadGammaRamp({}, 1, tables_, &problem);
  EXPECT_EQ(XSetErrorHandler(CallersHandler), CallersHandler) << "after a failed load";
  VeltPrimaryOutputEdid();
  EXPECT_EQ(XSetErrorHandler(CallersHandler), CallersHandler) << "after reading the EDID";
  {
    const DisplayVariable noServer(":987");
    VeltLoadGammaRamp({}, 0, tables_, &problem);
  }
  EXPECT_EQ(XSetErrorHandler(original), CallersHandler) << "without a server";
  EXPECT_EQ(gCallersErrors, 0);
}

}  // namespace

namespace {

// The SDK's own calls on Xvfb, with scripted monitors on the DDC side.
class SdkOnXvfb : public GammaRampOnXvfb {
 protected:
  void SetUp() override {
    GammaRampOnXvfb::SetUp();
    if (IsSkipped()) return;
    for (unsigned char seed : {1, 2}) {
      FakeMonitor monitor = MakeMonitor("DEL", "U2720Q", seed);
      monitor.features[0x10] = {50, 100};
      ddc_->monitors.push_back(monitor);
    }
  }

  int LoadTables() {
    Table red = red_, green = green_, blue = blue_;
    return Set_RGB_LUT(red.data(), green.data(), blue.data(), 4);
  }

  std::shared_ptr<FakeDdc> ddc_ = std::make_shared<FakeDdc>();
};

TEST_F(SdkOnXvfb, SetRgbLutLoadsTheRampOfTheAddressedDisplayOnly) {
  ShowEdid(ddc_->monitors[1].display.edid);
  UseFakeBus(ddc_);
  WriteRamps(before_);
  ASSERT_EQ(SwitchDisplay(1), 1);
  EXPECT_EQ(LoadTables(), 1);
  EXPECT_TRUE(ReadRamps() == expected_);

  WriteRamps(before_);
  ASSERT_EQ(SwitchDisplay(0), 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadTables(), 6) << "display 0 is not on this screen";
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(errors.rfind("VeltDLL: ", 0), 0u) << errors;
  EXPECT_NE(errors.find("display 0"), std::string::npos) << errors;
  EXPECT_TRUE(ReadRamps() == before_);
}

TEST_F(SdkOnXvfb, ThePrimaryOutputsMonitorIsDisplayZero) {
  ShowEdid(ddc_->monitors[1].display.edid);
  MakePrimary(true);
  UseFakeBus(ddc_);
  EXPECT_EQ(SetBrightness(30), 1);
  ASSERT_EQ(SwitchDisplay(1), 1);
  EXPECT_EQ(SetBrightness(40), 1);
  EXPECT_EQ(ddc_->writes, (std::vector<std::string>{"1: 0x10 = 30", "0: 0x10 = 40"}));
  ASSERT_EQ(SwitchDisplay(0), 1);
  WriteRamps(before_);
  EXPECT_EQ(LoadTables(), 1);
  EXPECT_TRUE(ReadRamps() == expected_);
}

}  // namespace
