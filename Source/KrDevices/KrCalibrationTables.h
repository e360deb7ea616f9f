// The three look-up tables of a calibration upload, sampled from a transform. Both devices
// build their tables here: the monitor device uploads them, the simulator stores them.
#pragma once

#include <cstdint>

class KrTrafo;

struct KrCalibrationTables
{
    static constexpr int kLevels = 256;
    static constexpr int kChannels = 3;
    static constexpr int kRed = 0;
    static constexpr int kGreen = 1;
    static constexpr int kBlue = 2;

    float values[kChannels][kLevels];

    float* Channel(int channel) { return values[channel]; }
};

// Both sample the transform at the grey levels 0 to 255, in increasing order, on one reused
// three-component 'RGB ' vector filled with the level and transformed in place through
// TransformInto. Each component is divided by 255 and kept as a 32-bit float; a value below
// its predecessor (compared as stored) repeats the predecessor, so every table is
// non-decreasing. Values above 1 stay. Errors of the transform pass on. A component that is not
// finite, or a value that is not finite once stored, raises KrArgErr at once, so nothing of a
// failed call reaches a monitor or a file.

// The monitor's tables: negative values become 0, then each is raised to gamma.
void KrBuildGammaTables(const KrTrafo& transform, double gamma, KrCalibrationTables& tables);

// The simulator's tables: the divided values as they are, without clamping or gamma.
void KrBuildPlainTables(const KrTrafo& transform, KrCalibrationTables& tables);
