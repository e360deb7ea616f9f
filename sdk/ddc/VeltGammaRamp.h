// Calibration tables go into the graphics card, not the monitor: the X server's gamma ramp of the
// CRTC that drives a display, through XRandR.
#ifndef VELTGAMMARAMP_H
#define VELTGAMMARAMP_H

#include <string>
#include <vector>

constexpr int kVeltTableSize = 256;

enum class VeltRampResult {
  kLoaded,
  kNoServer,  // no X server reachable, or one without RandR 1.2
  kNoCrtc,    // no CRTC can be told to drive the display
  kRefused,   // the X server answered the upload with an error
};

// A table of 256 entries spread over a ramp of `size` entries: straight lines between entries,
// values clamped to 0..1 and scaled to 0..65535. The table must hold finite values.
std::vector<unsigned short> VeltRampFromTable(const float* table, int size);

// Loads three 256-entry tables (red, green, blue) into the ramp of the CRTC that drives the display
// whose EDID is given: the output with the same EDID; failing that, for display 0 only, the one CRTC
// the screen drives when it drives exactly one. Anything but kLoaded leaves one line in *problem
// naming the cause.
VeltRampResult VeltLoadGammaRamp(const std::vector<unsigned char>& edid, int display,
                                 const float* const tables[3], std::string* problem);

// The EDID of the X server's primary output; empty without a server, a primary output or an EDID.
std::vector<unsigned char> VeltPrimaryOutputEdid();

#endif  // VELTGAMMARAMP_H
