// Window objects: each system window of the program is bound to one object,
// and each window message becomes a call of the object's virtual handler for
// it. A derived class overrides only the messages it cares about; everything
// else reaches DefaultProcessing.
#pragma once

#include <windows.h>

// Two messages reserved for the class library's own use. They have handlers
// so that derived classes can take them up; by default both return 0.
constexpr UINT CWM_RESERVED1 = 0x0600;
constexpr UINT CWM_RESERVED2 = 0x0601;

class cWindow {
 public:
  cWindow() = default;
  cWindow(const cWindow&) = delete;
  cWindow& operator=(const cWindow&) = delete;

  // One handler per message. Each returns the message result; unless
  // overridden it hands its own message number and parameters to
  // DefaultProcessing (the two reserved messages return 0).
  virtual LRESULT OnActivateApp(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnChar(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnClose(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnReserved1(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnEraseBkgnd(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnHelp(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnInitMenu(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnKeyUp(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnLButtonDblClk(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMButtonDblClk(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMButtonDown(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMButtonUp(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnMove(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnNcActivate(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnPaletteChanged(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnQueryNewPalette(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnRButtonUp(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnSize(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnSysColorChange(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnSysKeyDown(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnReserved2(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);

  // What a message gets when no handler takes it: the system's default
  // window procedure here, nothing in a dialog.
  virtual LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT CallDefDlgProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT CallDefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The dispatcher: each message with a handler goes to it, the rest to
  // DefaultProcessing.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  // The object outlives its window; its owner deletes it.
  virtual ~cWindow() = default;

  // The bound window: set by the first message that carries the object
  // (WM_CREATE, WM_INITDIALOG), null again after WM_DESTROY.
  HWND m_Handle = nullptr;
};

// The window procedure shared by every window class of the program. The
// creation data of CreateWindowEx must be a cWindowCreateRecord.
LRESULT CALLBACK SharedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creation data: a 16-bit size (the record's own) followed by the object
// pointer at byte 2, with no padding between them.
#pragma pack(push, 1)
struct cWindowCreateRecord {
  WORD size;
  cWindow* object;
};
#pragma pack(pop)
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(cWindowCreateRecord) == 6, "creation record is 6 bytes");
#endif

// Puts SharedWindowProc into wc and registers the class. Returns the class
// atom, 0 on failure.
ATOM RegisterWindowClass(cWindow& object, WNDCLASSEXA& wc);

// Creates a window bound to object, stores its handle in object and returns
// it (null on failure).
HWND CreateObjectWindow(cWindow& object, HINSTANCE instance, const char* className, HWND parent,
                        DWORD exStyle, DWORD style, const char* title, int x, int y, int width,
                        int height, HMENU menu);
