// The one door between the DDC/CI VeltDLL and the monitors: scan for displays that answer DDC/CI,
// read and write non-table VCP features. The library uses libddcutil behind it; tests put a fake
// in its place.
#ifndef VELTDDCBUS_H
#define VELTDDCBUS_H

#include <string>
#include <vector>

constexpr int kVeltEdidSize = 128;  // the EDID's base block, which names the monitor

// A display that answered DDC/CI when the bus was scanned.
struct VeltDdcDisplay {
  std::string maker;                // EDID manufacturer id, three letters
  std::string model;                // EDID model name
  std::vector<unsigned char> edid;  // the EDID's first 128 bytes, empty when unknown
  std::string where;                // how a person finds it again, e.g. "/dev/i2c-4"
};

enum class VeltDdcFault {
  kNone,
  kUnsupported,   // the monitor does not have the feature
  kNoAnswer,      // the monitor stopped answering (retries exhausted, null replies)
  kNoPermission,  // the I2C device could not be opened for lack of rights
  kFailed,        // anything else
};

struct VeltDdcOutcome {
  VeltDdcFault fault = VeltDdcFault::kNone;
  std::string detail;  // the bus's own name for the status, e.g. "DDCRC_RETRIES"

  bool Ok() const { return fault == VeltDdcFault::kNone; }
};

struct VeltDdcValue {
  int current = 0;
  int maximum = 0;
};

class VeltDdcBus {
 public:
  virtual ~VeltDdcBus() = default;
  // The displays answering DDC/CI, in the bus's order. When there are none, *problem holds one
  // line naming the cause and the usual fix.
  virtual std::vector<VeltDdcDisplay> Scan(std::string* problem) = 0;
  virtual VeltDdcOutcome Read(int display, int feature, VeltDdcValue* value) = 0;
  virtual VeltDdcOutcome Write(int display, int feature, int value) = 0;
};

#endif  // VELTDDCBUS_H
