// The step tables derived from the game database. They belong with the other global data
// objects of the program and move to the unit that defines them all once it exists.
#include "project/database.h"

cAnimStepTable g_vAnimeSteps;
cAnimStepTable g_vEffectSteps;
