// The displays attached to the computer, enumerated once for the whole module.
#pragma once

#include "KrCore/KrString.h"
#include "KrData/KrArray.h"

#include <cstdint>

struct DisplayRecord
{
    // In virtual-screen coordinates; right and bottom lie just outside.
    struct Bounds
    {
        int32_t left = 0;
        int32_t top = 0;
        int32_t right = 0;
        int32_t bottom = 0;
    };

    int32_t index = 0; // position in the list
    Bounds bounds;
    KrString deviceName; // the system's name for the display
    bool isPrimary = false;
};

// The module's list, built by the first call from the system's display enumeration. Displays
// attached or removed later are not seen until the list is released.
const KrArray<DisplayRecord>& GetDisplayList();

// Destroys the list; the next GetDisplayList enumerates again. The module does this when it
// is unloaded.
void ReleaseDisplayList();
