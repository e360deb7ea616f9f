// A bus of scripted monitors for the DDC/CI VeltDLL's tests: every write is recorded, reads answer
// what the monitor holds, and any feature can be made to fail.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "VeltDdcBus.h"

struct FakeMonitor {
  VeltDdcDisplay display;
  std::map<int, VeltDdcValue> features;  // what the monitor has; any other feature is unsupported
  std::map<int, VeltDdcOutcome> faults;  // features that fail, and how
};

// Shared by the test and the bus the library owns.
struct FakeDdc {
  std::vector<FakeMonitor> monitors;
  std::string problem;              // the scan's explanation when there are no monitors
  std::vector<std::string> writes;  // "1: 0x10 = 50" for a write of 50 to feature 0x10 of display 1
  int scans = 0;
  std::atomic<int> inside{0};       // calls in progress; more than one means the library did not serialise
  std::atomic<bool> overlapped{false};
};

// Installs a fresh bus on `ddc` into the library.
void UseFakeBus(const std::shared_ptr<FakeDdc>& ddc);

FakeMonitor MakeMonitor(const std::string& maker, const std::string& model, unsigned char edidSeed = 0);
