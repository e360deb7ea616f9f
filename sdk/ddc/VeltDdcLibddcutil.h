// The bus to real monitors: libddcutil 1.4, loaded when the library is first used.
#ifndef VELTDDCLIBDDCUTIL_H
#define VELTDDCLIBDDCUTIL_H

#include <memory>
#include <string>
#include <vector>

#include "VeltDdcBus.h"

std::unique_ptr<VeltDdcBus> VeltMakeLibddcutilBus();

// How libddcutil's status codes are read by the SDK's callers.
VeltDdcFault VeltClassifyDdcStatus(int status);

struct VeltI2cDevice {
  std::string path;  // "/dev/i2c-4"
  bool accessible;   // this process may read and write it
};

// What gives a user the I2C devices a monitor is reached through.
extern const char kVeltI2cAccessFix[];

// The line a person reads when no display answers DDC/CI, from the I2C devices the system has.
std::string VeltExplainNoDisplay(const std::vector<VeltI2cDevice>& devices);

#endif  // VELTDDCLIBDDCUTIL_H
