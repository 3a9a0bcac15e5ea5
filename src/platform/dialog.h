// Dialog controls.
#pragma once

#include "platform/wintypes.h"

// Stands in for GetDlgItemTextA: copies the control's text, cut to nMaxCount − 1 bytes, with
// its zero; returns the number of bytes copied without the zero.
UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, char* lpString, int nMaxCount);

// Stands in for SetDlgItemTextA.
BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, const char* lpString);
