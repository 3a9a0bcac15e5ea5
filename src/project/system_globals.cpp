// The global data objects of the system settings and of the system image and font tables. They
// belong with the other global data objects of the program and move to the unit that defines
// them all, in its order of construction, once it exists.
#include "project/system_data.h"
#include "project/system_image.h"

BitmapEntry g_SystemBitmapTable[SYSTEM_IMAGE_COUNT];
FONTDEF g_FontDef[FONT_COUNT];
BitmapEntry g_FontSurfaceEntry[FONT_COUNT];

namespace {

// Fills the fixed tables during static construction, after their zero initialisation.
struct TableInit {
  TableInit() {
    InitSystemBitmapTable();
    InitFontDefs();
    InitFontSurfaceEntries();
  }
} g_tableInit;

}  // namespace

cSystemData g_SystemData;
