#include "KrDevices/KrDisplayList.h"

#include "KrPlatform/KrPlatform.h"

#include <utility>

namespace
{
// Null until the list is built.
KrArray<DisplayRecord>* displayList = nullptr;

// A display the system cannot describe is left out; indices stay consecutive.
void AddDisplay(KrArray<DisplayRecord>& list, const KrPlatformDisplay& display)
{
    if (!display.described)
        return;
    const int32_t index = list.Size();
    list.SetSize(index + 1);
    DisplayRecord& record = list.At(index);
    record.index = index;
    record.bounds = {display.left, display.top, display.right, display.bottom};
    record.deviceName = KrString(display.deviceName.c_str());
    record.isPrimary = display.isPrimary;
}
}

const KrArray<DisplayRecord>& GetDisplayList()
{
    if (displayList == nullptr)
    {
        KrArray<DisplayRecord> list;
        for (const KrPlatformDisplay& display : KrPlatformEnumerateDisplays())
            AddDisplay(list, display);
        displayList = new KrArray<DisplayRecord>(std::move(list));
    }
    return *displayList;
}

void ReleaseDisplayList()
{
    delete displayList;
    displayList = nullptr;
}
