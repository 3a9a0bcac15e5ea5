// Dialog controls: objects that a dialog attaches to the child windows of its template and
// calls for data in and out, change notifications, keys, notifications and scrolls.
#pragma once

#include <string>

#include "platform/wintypes.h"
#include "ui/edit_limits.h"
#include "ui/gdi_canvas.h"

class cDialog;

class cControl {
 public:
  HWND m_hWnd = nullptr;
  cDialog* m_lpDialog = nullptr;
  HWND m_hDlg = nullptr;
  int32_t m_nKind = 0;
  uint16_t m_nId = 0;
  POINT m_ptScreen{0, 0};
  POINT m_ptOffset{0, 0};
  int32_t m_bBusy = 0;
  std::string m_strToolTip;

  explicit cControl(int kind) : m_nKind(kind) {}
  virtual ~cControl() = default;
  virtual void Enable(BOOL bEnable);
  virtual void SetData() {}
  virtual void GetData() {}
  virtual void OnChange() {}
  virtual int OnNotify(WPARAM, LPARAM) { return 0; }
  virtual int OnScroll(WPARAM, LPARAM) { return 0; }
  virtual void Reserved() {}
  virtual void Update() {}
  virtual void OnKillFocus() {}
  virtual void Redraw() {}
  virtual void OnKeyDown(WPARAM, LPARAM, int) {}

  // Binds the control to the dialog's child window with the id.
  void Attach(cDialog* dialog, int id);
  // The control's place on the screen and in the dialog's client area.
  void CalcOffset();
  void SetSize(int cx, int cy);
  void SetText(const char* text);
};

// Kinds of controls, as the dialog's routing knows them.
constexpr int CONTROL_KIND_EDIT = 3;
constexpr int CONTROL_KIND_CANVAS = 4;
constexpr int CONTROL_KIND_PLAIN = 11;

// The parameters of an edit control: its id, the bound text, the total limit, the line length
// and the line count (0: the defaults 4096, 1024, 32) and whether characters are counted.
struct EditParam {
  int32_t nId = 0;
  std::string* lpText = nullptr;
  int32_t nMaxTotal = 0;
  int32_t nMaxLine = 0;
  int32_t nMaxLines = 0;
  int32_t bCountChars = 0;
  int32_t nReserved[4] = {};
};

// An edit control bound to a text, kept within its limits.
class cEdit : public cControl {
 public:
  std::string* m_pText = nullptr;
  int32_t m_nMaxTotal = 4096;
  int32_t m_bCountChars = 0;
  int32_t m_nMaxLine = 1024;
  int32_t m_nMaxLines = 32;
  int32_t m_bInit = 0;
  std::string m_strLast;
  int32_t m_nSelStart = 0;
  int32_t m_nSelEnd = 0;

  cEdit() : cControl(CONTROL_KIND_EDIT) {}
  void Init(cDialog* dialog, const EditParam& param);
  void SetData() override;
  void GetData() override;
  void OnChange() override;
  EditLimits Limits() const;
};

// A control without data (icons, static items).
class cPlainCtrl : public cControl {
 public:
  cPlainCtrl() : cControl(CONTROL_KIND_PLAIN) {}
};

// A control that owns two GDI canvases, released when it is destroyed.
class cCanvasCtrl : public cControl {
 public:
  cGdiCanvas m_Canvas[2];

  cCanvasCtrl() : cControl(CONTROL_KIND_CANVAS) {}
  ~cCanvasCtrl() override;
};
