// What tests use to drive the DDC/CI VeltDLL without a monitor. Not exported from the library.
#ifndef VELTDDCCONTROL_H
#define VELTDDCCONTROL_H

#include <memory>

#include "VeltDdcBus.h"

// Starts over on this bus: forgets the displays found, the selected display and everything learnt
// about each display. Without a call, the library scans through libddcutil at its first SDK call.
void VeltDdcUseBus(std::unique_ptr<VeltDdcBus> bus);

#endif  // VELTDDCCONTROL_H
