#include "ui/input_records.h"

cSafeVector<cInput> g_vInput(1);
