// Gives the play engine's pause and ranking loops the program's frame services, the name dialog
// and the ranking records.
#pragma once

void InstallPauseLink();
