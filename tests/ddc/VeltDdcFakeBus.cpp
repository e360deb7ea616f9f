#include "VeltDdcFakeBus.h"

#include <cstdio>

#include "VeltDdcControl.h"

namespace {

class FakeBus : public VeltDdcBus {
 public:
  explicit FakeBus(std::shared_ptr<FakeDdc> ddc) : ddc_(std::move(ddc)) {}

  std::vector<VeltDdcDisplay> Scan(std::string* problem) override {
    ++ddc_->scans;
    std::vector<VeltDdcDisplay> displays;
    for (const FakeMonitor& monitor : ddc_->monitors) displays.push_back(monitor.display);
    if (displays.empty()) *problem = ddc_->problem;
    return displays;
  }

  VeltDdcOutcome Read(int display, int feature, VeltDdcValue* value) override {
    Entered entered(*ddc_);
    FakeMonitor& monitor = ddc_->monitors.at(display);
    const VeltDdcOutcome outcome = Outcome(monitor, feature);
    if (outcome.Ok()) *value = monitor.features.at(feature);
    return outcome;
  }

  VeltDdcOutcome Write(int display, int feature, int value) override {
    Entered entered(*ddc_);
    FakeMonitor& monitor = ddc_->monitors.at(display);
    const VeltDdcOutcome outcome = Outcome(monitor, feature);
    if (!outcome.Ok()) return outcome;
    monitor.features.at(feature).current = value;
    char line[64];
    std::snprintf(line, sizeof line, "%d: 0x%02X = %d", display, feature, value);
    ddc_->writes.push_back(line);
    return outcome;
  }

 private:
  // Marks a call in progress for as long as it lasts.
  struct Entered {
    explicit Entered(FakeDdc& ddc) : ddc_(ddc) {
      if (++ddc_.inside > 1) ddc_.overlapped = true;
    }
    ~Entered() { --ddc_.inside; }
    FakeDdc& ddc_;
  };

  static VeltDdcOutcome Outcome(const FakeMonitor& monitor, int feature) {
    const auto fault = monitor.faults.find(feature);
    if (fault != monitor.faults.end()) return fault->second;
    if (!monitor.features.count(feature)) return {VeltDdcFault::kUnsupported, "DDCRC_REPORTED_UNSUPPORTED"};
    return {};
  }

  std::shared_ptr<FakeDdc> ddc_;
};

}  // namespace

void UseFakeBus(const std::shared_ptr<FakeDdc>& ddc) { VeltDdcUseBus(std::make_unique<FakeBus>(ddc)); }

FakeMonitor MakeMonitor(const std::string& maker, const std::string& model, unsigned char edidSeed) {
  FakeMonitor monitor;
  monitor.display.maker = maker;
  monitor.display.model = model;
  if (edidSeed != 0) monitor.display.edid.assign(128, edidSeed);
  monitor.display.where = "/dev/i2c-" + std::to_string(edidSeed);
  return monitor;
}
