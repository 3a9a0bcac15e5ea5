// Hands the creation functions of the screens built so far to the scene manager; start-up calls
// it once before the first frame.
#pragma once

void RegisterScreens();
