// A second process on the state file named by VELTDLL_STATE: it must see the brightness 42 that
// the test stored, and leaves contrast 33 for the test to find.
#include "VeltDLL.h"

int main() {
  if (GetBrightness() != 42) return 1;
  return SetContrast(33) == 1 ? 0 : 2;
}
