// The system's version as the start-up rules, the report log and the file dialogs ask for it.
// This system counts as version 6.2 (newer than every version the rules name); its name is the
// kernel's as uname gives it.
#pragma once

#include <string>

void GetWindowsName(std::string* text, int* major, int* minor);
bool IsWindowsAtLeast(int major, int minor);
