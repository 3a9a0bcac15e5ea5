// Stands in for the User32 dialog manager: dialogs made from templates, each in an SDL window
// of its own drawn in software, with their child controls (push buttons, check boxes, radio
// buttons, group boxes, static texts, single-line edits and list boxes), the modal loop, the
// keyboard navigation of Windows dialogs, the thread keyboard hook, the input method's
// composition state and window properties.
//
// A dialog is laid out from its template's dialog units by the base units of its font (as
// measured by the text engine; 1.5 pixels per horizontal and 1.625 per vertical unit without
// one), so that the texts fit the fields made for them. Texts are drawn through
// the GDI text calls (gdi.h). The dialog window is the template's client area: a caption is
// left to the display's window manager (its text is the SDL window's title); a dialog without
// WS_CAPTION is a borderless window with a frame of its own.
//
// Keys typed into a dialog go first to the thread's WH_KEYBOARD hook, then to the dialog's
// navigation: Tab and Shift+Tab move the focus over the WS_TABSTOP controls, Enter presses the
// focused push button or else the default one (BS_DEFPUSHBUTTON, else IDOK), Escape sends
// IDCANCEL, Space presses the focused button or check box, the arrows move within a group of
// radio buttons and within a list, and the focused edit or list takes the other keys. Typed
// text (SDL text input, UTF-8) goes into the focused edit as Shift-JIS; a character that code
// page 932 cannot hold is refused. The edit sends EN_UPDATE synchronously after every change,
// also after WM_SETTEXT.
//
// Everything here runs on the thread that calls DialogBoxParamA (the window thread). While a
// dialog runs, its owner is disabled (EnableWindow: a disabled window takes no input) and
// input messages already queued for it are dropped; every other message is dispatched, and the
// messages other threads send are run. The dialog's window takes the keyboard focus when it
// opens; when it closes, its owner is enabled again and becomes the active window with the
// focus (SetForegroundWindow), as there may be no window manager to hand the focus back.
//
// A dialog's messages go to the dialog manager's own window procedure, which calls the dialog
// procedure; GWL_WNDPROC reads it and setting it subclasses the dialog.
//
// Static controls break their text at LF and before a character that would pass the right
// edge; an SS_ICON static draws the system icon set with STM_SETICON as a simple mark. The
// arrows move the focus among the push buttons of a group, as among its radio buttons.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/wintypes.h"

typedef LRESULT (*DLGPROC)(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);
struct HHOOK__;
typedef HHOOK__* HHOOK;
typedef LRESULT (*HOOKPROC)(int code, WPARAM wParam, LPARAM lParam);
struct HIMC__;
typedef HIMC__* HIMC;

// Messages of dialogs and controls.
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_GETTEXTLENGTH = 0x000E;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_HSCROLL = 0x0114;
constexpr UINT WM_VSCROLL = 0x0115;
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT STM_SETICON = 0x0170;
constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETITEMDATA = 0x0199;
constexpr UINT LB_SETITEMDATA = 0x019A;
constexpr LRESULT LB_ERR = -1;

// Notifications (HIWORD of WM_COMMAND's wParam).
constexpr WORD BN_CLICKED = 0;
constexpr WORD EN_SETFOCUS = 0x0100;
constexpr WORD EN_KILLFOCUS = 0x0200;
constexpr WORD EN_CHANGE = 0x0300;
constexpr WORD EN_UPDATE = 0x0400;
constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD LBN_DBLCLK = 2;

constexpr WPARAM BST_UNCHECKED = 0;
constexpr WPARAM BST_CHECKED = 1;

// Styles of dialogs and controls.
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD DS_SETFONT = 0x00000040;
constexpr DWORD DS_MODALFRAME = 0x00000080;
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
constexpr DWORD BS_TYPEMASK = 0xF;
constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_ICON = 0x3;
constexpr DWORD SS_BITMAP = 0xE;
constexpr DWORD SS_TYPEMASK = 0x1F;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD LBS_NOTIFY = 0x0001;

// Keyboard hook.
constexpr int WH_KEYBOARD = 2;
constexpr int HC_ACTION = 0;
constexpr int HC_NOREMOVE = 3;
constexpr DWORD GCS_COMPSTR = 0x0008;

inline WPARAM MAKEWPARAM(WORD lo, WORD hi) { return static_cast<WPARAM>(static_cast<DWORD>(lo) | static_cast<DWORD>(hi) << 16); }
inline WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
inline WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }

// One control of a dialog template: class "button", "static", "edit" or "listbox".
struct DialogItemTemplate {
  const char* className;
  const char* text;  // Shift-JIS; null for none
  DWORD style;
  WORD id;
  short x, y, cx, cy;  // dialog units
};

// A dialog template (the program's resources).
struct DialogTemplate {
  DWORD style;
  const char* caption;  // Shift-JIS
  short cx, cy;         // dialog units
  const DialogItemTemplate* items;
  int itemCount;
};

// The program's dialog resources: the template of a resource number. The template must stay
// alive while registered; null removes it.
void RegisterDialogTemplate(WORD id, const DialogTemplate* dialogTemplate);

// The dialog font's base units: x the average width of the letters A-Z and a-z (the extent of
// the 52 letters / 26, plus 1, halved), y the height of its character cell. 6 and 13 (those of
// a 9-point gothic) when no text engine measures the font.
struct DialogBaseUnits {
  int x = 6;
  int y = 13;
};
DialogBaseUnits MeasureDialogBaseUnits();

// Dialog units to pixels: a horizontal unit is a quarter of the base x, a vertical one an eighth
// of the base y, rounded.
int DialogUnitsToPixelsX(int units, int baseX = DialogBaseUnits().x);
int DialogUnitsToPixelsY(int units, int baseY = DialogBaseUnits().y);

// Stands in for DialogBoxParamA: the dialog of the template lpTemplateName (MAKEINTRESOURCEA of
// its number) owned by hWndParent, run modally until EndDialog; WM_INITDIALOG reaches the dialog
// procedure with lParam dwInitParam. Returns the value given to EndDialog, or -1 when the
// template is unknown or no window can be shown.
LRESULT DialogBoxParamA(HINSTANCE hInstance, const char* lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam);
// A dialog made from a template given directly (the common file dialogs build theirs).
LRESULT DialogBoxIndirectParamA(HINSTANCE hInstance, const DialogTemplate* dialogTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam);

// Stands in for EndDialog: the modal loop ends after the current message with nResult.
BOOL EndDialog(HWND hDlg, LRESULT nResult);

HWND GetDlgItem(HWND hDlg, int nIDDlgItem);
int GetDlgCtrlID(HWND hWnd);

// Stand in for GetDlgItemTextA / SetDlgItemTextA. GetDlgItemTextA copies the control's text,
// cut to at most nMaxCount − 1 bytes and never between the two bytes of a Shift-JIS character,
// with its zero; returns the number of bytes copied without the zero. For a handle that is no
// dialog of this layer the texts are kept by (handle, id).
UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, char* lpString, int nMaxCount);
BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, const char* lpString);

// Stand in for SetFocus / GetFocus among the controls of the dialogs.
HWND SetFocus(HWND hWnd);
HWND GetFocus();
// Stands in for EnableWindow on a control or a top-level window (WS_DISABLED in its style);
// returns whether it was disabled before.
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
BOOL IsWindowEnabled(HWND hWnd);

// Stand in for SetCursorPos / GetCursorPos: the mouse pointer on the desktop. GetCursorPos
// reports the position last set.
BOOL SetCursorPos(int X, int Y);
BOOL GetCursorPos(POINT* lpPoint);

// Stand in for the keyboard hook of the calling thread: WH_KEYBOARD only, one procedure per
// thread; it sees the keys typed into the thread's dialogs before the dialogs do (code
// HC_ACTION, wParam the virtual key, lParam as in WM_KEYDOWN with bit 31 set on release).
HHOOK SetWindowsHookExA(int idHook, HOOKPROC lpfn, HINSTANCE hmod, DWORD dwThreadId);
BOOL UnhookWindowsHookEx(HHOOK hhk);
LRESULT CallNextHookEx(HHOOK hhk, int nCode, WPARAM wParam, LPARAM lParam);

// Stand in for the input-method calls: a dialog's context reports the composition in progress
// (the text the input method shows before it is committed), in Shift-JIS.
HIMC ImmGetContext(HWND hWnd);
LONG ImmGetCompositionStringA(HIMC hIMC, DWORD dwIndex, void* lpBuf, DWORD dwBufLen);
BOOL ImmReleaseContext(HWND hWnd, HIMC hIMC);

// Stand in for the window properties.
BOOL SetPropA(HWND hWnd, const char* lpString, HANDLE hData);
HANDLE GetPropA(HWND hWnd, const char* lpString);
HANDLE RemovePropA(HWND hWnd, const char* lpString);

// Tests and tools: called on the window thread once a dialog has handled WM_INITDIALOG, with
// the dialog's handle; events pushed from here (see DialogSdlIdForTest) are handled by its
// modal loop. Null removes it.
void SetDialogOpenHook(std::function<void(HWND hDlg)> hook);
// The SDL window id of a running dialog, for events made up by a test; 0 when none.
uint32_t DialogSdlIdForTest(HWND hDlg);
// The pixel rectangle of a control in its dialog's client area.
BOOL GetDlgItemRectForTest(HWND hDlg, int nIDDlgItem, RECT* rect);
// The dialog drawn now, as 0xAARRGGBB pixels of its client area; false when it is no dialog.
bool DialogPixelsForTest(HWND hDlg, int* width, int* height, std::vector<uint32_t>* argb);
// What the dialog's window shows now, as 0xFFRRGGBB pixels; false when it has no window picture.
bool DialogWindowPixelsForTest(HWND hDlg, int* width, int* height, std::vector<uint32_t>* argb);
// Whether a dialog's window has a border and caption of the window manager.
bool DialogHasCaptionForTest(HWND hDlg);

// The window layer's part: the window calls on a handle that is a dialog of this layer
// (SetWindowTextA, SetWindowPos, GetWindowRect, GetClientRect). False when it is none.
namespace dialog_internal {
bool IsDialogWindow(HWND hWnd);
BOOL SetText(HWND hWnd, const char* text);
BOOL SetPos(HWND hWnd, int x, int y, int cx, int cy, UINT flags);
BOOL GetRect(HWND hWnd, RECT* rect);
BOOL GetClient(HWND hWnd, RECT* rect);
// GetWindowLongA / SetWindowLongA of a dialog: GWL_STYLE and GWL_WNDPROC (the procedure its
// messages go to; setting it subclasses the dialog). False when the handle is no dialog.
bool GetLong(HWND hWnd, int index, LONG* value);
bool SetLong(HWND hWnd, int index, LONG value, LONG* old);
// Strict UTF-8 to Shift-JIS of one typed text: false when a character has no Shift-JIS form.
bool Utf8CharToSjis(const std::string& utf8Char, std::string* sjis);
}  // namespace dialog_internal
