// The dialog mode that lets system dialogs and message boxes appear over a full-screen
// picture. The full-screen message box (DDMesBox, core/shell_link.h) brackets its box with it.
#pragma once

// 1 done (or nothing to do in a window), 0 failed or no back-end running.
int DDSetDialogMode(int bOn);
