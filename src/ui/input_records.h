// The input records of the players: element 0 is player 1, the only one polled.
//
// This vector is one of the global data objects of the program. Until the unit that
// constructs those in their fixed order exists, it is defined here; that unit takes it over
// (constructed after the menu cursor, before the stage surfaces) and this file goes.
#pragma once

#include "core/safe_container.h"
#include "ui/input.h"

extern cSafeVector<cInput> g_vInput;
