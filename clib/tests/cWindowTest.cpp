// The window and dialog objects: which handler each message reaches, what
// an object that overrides nothing does with it, and when an object is bound
// to its window and released again.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clib/cDlg.h"
#include "clib/cWindow.h"
#include "clib/tests/cWindowTestIds.h"

namespace {

struct Call {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Overrides only DefaultProcessing, and records what reaches it.
class DefaultRecorder : public cWindow {
 public:
  LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) override {
    calls.push_back({message, wParam, lParam});
    return 0x5A5A;
  }
  std::vector<Call> calls;
};

using Handler = LRESULT (cWindow::*)(WPARAM, LPARAM);

struct HandlerCase {
  const char* name;
  Handler handler;
  UINT message;
};

// The handlers in their declared order, each with its message.
const HandlerCase kHandlers[] = {
    {"OnActivateApp", &cWindow::OnActivateApp, 28},
    {"OnChar", &cWindow::OnChar, 258},
    {"OnClose", &cWindow::OnClose, 16},
    {"OnCommand", &cWindow::OnCommand, 273},
    {"OnContextMenu", &cWindow::OnContextMenu, 123},
    {"OnCreate", &cWindow::OnCreate, 1},
    {"OnDrawItem", &cWindow::OnDrawItem, 43},
    {"OnDropFiles", &cWindow::OnDropFiles, 563},
    {"OnDestroy", &cWindow::OnDestroy, 2},
    {"OnReserved1", &cWindow::OnReserved1, 0x600},
    {"OnEraseBkgnd", &cWindow::OnEraseBkgnd, 20},
    {"OnGetMinMaxInfo", &cWindow::OnGetMinMaxInfo, 36},
    {"OnHelp", &cWindow::OnHelp, 83},
    {"OnHScroll", &cWindow::OnHScroll, 276},
    {"OnInitMenu", &cWindow::OnInitMenu, 278},
    {"OnKeyDown", &cWindow::OnKeyDown, 256},
    {"OnKeyUp", &cWindow::OnKeyUp, 257},
    {"OnKillFocus", &cWindow::OnKillFocus, 8},
    {"OnLButtonDblClk", &cWindow::OnLButtonDblClk, 515},
    {"OnLButtonDown", &cWindow::OnLButtonDown, 513},
    {"OnLButtonUp", &cWindow::OnLButtonUp, 514},
    {"OnMButtonDblClk", &cWindow::OnMButtonDblClk, 521},
    {"OnMButtonDown", &cWindow::OnMButtonDown, 519},
    {"OnMButtonUp", &cWindow::OnMButtonUp, 520},
    {"OnMenuSelect", &cWindow::OnMenuSelect, 287},
    {"OnMouseMove", &cWindow::OnMouseMove, 512},
    {"OnMove", &cWindow::OnMove, 3},
    {"OnNcActivate", &cWindow::OnNcActivate, 134},
    {"OnNotify", &cWindow::OnNotify, 78},
    {"OnPaint", &cWindow::OnPaint, 15},
    {"OnPaletteChanged", &cWindow::OnPaletteChanged, 785},
    {"OnQueryNewPalette", &cWindow::OnQueryNewPalette, 783},
    {"OnRButtonDown", &cWindow::OnRButtonDown, 516},
    {"OnRButtonUp", &cWindow::OnRButtonUp, 517},
    {"OnSetCursor", &cWindow::OnSetCursor, 32},
    {"OnSetFocus", &cWindow::OnSetFocus, 7},
    {"OnSize", &cWindow::OnSize, 5},
    {"OnSysColorChange", &cWindow::OnSysColorChange, 21},
    {"OnSysCommand", &cWindow::OnSysCommand, 274},
    {"OnSysKeyDown", &cWindow::OnSysKeyDown, 260},
    {"OnReserved2", &cWindow::OnReserved2, 0x601},
    {"OnTimer", &cWindow::OnTimer, 275},
    {"OnVScroll", &cWindow::OnVScroll, 277},
};

bool IsReserved(UINT message) {
  return message == 0x600 || message == 0x601;
}

TEST(cWindowHandlers, TableHasFortyThreeDistinctMessages) {
  ASSERT_EQ(sizeof kHandlers / sizeof kHandlers[0], 43u);
  for (size_t i = 0; i < 43; ++i)
    for (size_t j = i + 1; j < 43; ++j)
      EXPECT_NE(kHandlers[i].message, kHandlers[j].message)
          << kHandlers[i].name << " and " << kHandlers[j].name;
  EXPECT_EQ(CWM_RESERVED1, 0x600u);
  EXPECT_EQ(CWM_RESERVED2, 0x601u);
}

// Each default handler passes its own message number and both parameters on.
TEST(cWindowHandlers, EachDefaultHandlerPassesItsOwnMessage) {
  for (const HandlerCase& c : kHandlers) {
    DefaultRecorder window;
    const WPARAM wParam = 0x1234 + c.message;
    const LPARAM lParam = -7 - static_cast<LPARAM>(c.message);
    const LRESULT result = (window.*c.handler)(wParam, lParam);
    if (IsReserved(c.message)) {
      EXPECT_EQ(result, 0) << c.name;
      EXPECT_TRUE(window.calls.empty()) << c.name;
    } else {
      EXPECT_EQ(result, 0x5A5A) << c.name;
      ASSERT_EQ(window.calls.size(), 1u) << c.name;
      EXPECT_EQ(window.calls[0].message, c.message) << c.name;
      EXPECT_EQ(window.calls[0].wParam, wParam) << c.name;
      EXPECT_EQ(window.calls[0].lParam, lParam) << c.name;
    }
  }
}

// The dispatcher gives an object that overrides nothing the same result.
TEST(cWindowDispatch, ObjectThatOverridesNothingPassesEveryMessageOn) {
  for (const HandlerCase& c : kHandlers) {
    DefaultRecorder window;
    const LRESULT result = window.WindowProc(c.message, 3, 4);
    if (IsReserved(c.message)) {
      EXPECT_EQ(result, 0) << c.name;
      EXPECT_TRUE(window.calls.empty()) << c.name;
    } else {
      EXPECT_EQ(result, 0x5A5A) << c.name;
      ASSERT_EQ(window.calls.size(), 1u) << c.name;
      EXPECT_EQ(window.calls[0].message, c.message) << c.name;
    }
  }
}

TEST(cWindowDispatch, UnlistedMessageGoesToDefaultProcessing) {
  for (UINT message : {UINT{WM_NCCREATE}, UINT{WM_SETTEXT}, UINT{WM_USER + 5}, 0x602u, 0x5FFu}) {
    DefaultRecorder window;
    EXPECT_EQ(window.WindowProc(message, 9, 10), 0x5A5A) << message;
    ASSERT_EQ(window.calls.size(), 1u) << message;
    EXPECT_EQ(window.calls[0].message, message);
    EXPECT_EQ(window.calls[0].wParam, 9u);
    EXPECT_EQ(window.calls[0].lParam, 10);
  }
}

// Overrides every handler and records which one ran, so a message routed to
// the wrong handler shows.
class HandlerRecorder : public cWindow {
 public:
  LRESULT DefaultProcessing(UINT message, WPARAM, LPARAM) override {
    ran.push_back(message + 100000);
    return -1;
  }
  std::vector<UINT> ran;
#define RECORD(name, message)             \
  LRESULT name(WPARAM, LPARAM) override { \
    ran.push_back(message);               \
    return message;                       \
  }
  RECORD(OnActivateApp, 28)
  RECORD(OnChar, 258)
  RECORD(OnClose, 16)
  RECORD(OnCommand, 273)
  RECORD(OnContextMenu, 123)
  RECORD(OnCreate, 1)
  RECORD(OnDrawItem, 43)
  RECORD(OnDropFiles, 563)
  RECORD(OnDestroy, 2)
  RECORD(OnReserved1, 0x600)
  RECORD(OnEraseBkgnd, 20)
  RECORD(OnGetMinMaxInfo, 36)
  RECORD(OnHelp, 83)
  RECORD(OnHScroll, 276)
  RECORD(OnInitMenu, 278)
  RECORD(OnKeyDown, 256)
  RECORD(OnKeyUp, 257)
  RECORD(OnKillFocus, 8)
  RECORD(OnLButtonDblClk, 515)
  RECORD(OnLButtonDown, 513)
  RECORD(OnLButtonUp, 514)
  RECORD(OnMButtonDblClk, 521)
  RECORD(OnMButtonDown, 519)
  RECORD(OnMButtonUp, 520)
  RECORD(OnMenuSelect, 287)
  RECORD(OnMouseMove, 512)
  RECORD(OnMove, 3)
  RECORD(OnNcActivate, 134)
  RECORD(OnNotify, 78)
  RECORD(OnPaint, 15)
  RECORD(OnPaletteChanged, 785)
  RECORD(OnQueryNewPalette, 783)
  RECORD(OnRButtonDown, 516)
  RECORD(OnRButtonUp, 517)
  RECORD(OnSetCursor, 32)
  RECORD(OnSetFocus, 7)
  RECORD(OnSize, 5)
  RECORD(OnSysColorChange, 21)
  RECORD(OnSysCommand, 274)
  RECORD(OnSysKeyDown, 260)
  RECORD(OnReserved2, 0x601)
  RECORD(OnTimer, 275)
  RECORD(OnVScroll, 277)
#undef RECORD
};

TEST(cWindowDispatch, EachMessageReachesItsOwnHandler) {
  for (const HandlerCase& c : kHandlers) {
    HandlerRecorder window;
    EXPECT_EQ(window.WindowProc(c.message, 0, 0), static_cast<LRESULT>(c.message)) << c.name;
    ASSERT_EQ(window.ran.size(), 1u) << c.name;
    EXPECT_EQ(window.ran[0], c.message) << c.name;
  }
}

TEST(cDlgDispatch, DefaultsOfADialog) {
  cDlg dialog;
  EXPECT_EQ(dialog.WindowProc(WM_INITDIALOG, 0, 0), 1);
  // Unhandled work is the dialog manager's: listed and unlisted messages give 0.
  EXPECT_EQ(dialog.WindowProc(WM_COMMAND, IDOK, 0), 0);
  EXPECT_EQ(dialog.WindowProc(WM_HSCROLL, 1, 2), 0);
  EXPECT_EQ(dialog.WindowProc(WM_SETTEXT, 0, 0), 0);
  EXPECT_EQ(dialog.DefaultProcessing(WM_PAINT, 0, 0), 0);
}

// --- Bound to a real window -------------------------------------------------

const char kClassName[] = "cWindowTestClass";

// Records every message the object saw, and the binding at key moments.
class BoundRecorder : public cWindow {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(message);
    return cWindow::WindowProc(message, wParam, lParam);
  }
  LRESULT OnCreate(WPARAM wParam, LPARAM lParam) override {
    handleOnCreate = m_Handle;
    userDataOnCreate = m_Handle ? GetWindowLongPtrA(m_Handle, GWLP_USERDATA) : 0;
    return cWindow::OnCreate(wParam, lParam);
  }
  LRESULT OnDestroy(WPARAM wParam, LPARAM lParam) override {
    handleOnDestroy = m_Handle;
    return cWindow::OnDestroy(wParam, lParam);
  }
  std::vector<UINT> seen;
  HWND handleOnCreate = nullptr;
  LONG_PTR userDataOnCreate = 0;
  HWND handleOnDestroy = nullptr;
};

class BoundWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    BoundRecorder unused;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = kClassName;
    ASSERT_NE(RegisterWindowClass(unused, wc), 0);
    EXPECT_EQ(wc.lpfnWndProc, &SharedWindowProc);
  }
  HWND Create(cWindow& object) {
    return CreateObjectWindow(object, GetModuleHandleA(nullptr), kClassName, nullptr, 0,
                              WS_OVERLAPPEDWINDOW, "bound", 10, 20, 200, 100, nullptr);
  }
};

TEST_F(BoundWindow, HandleIsSetOnCreateAndClearedAfterDestroy) {
  BoundRecorder object;
  HWND window = Create(object);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(object.m_Handle, window);
  EXPECT_EQ(object.handleOnCreate, window);
  EXPECT_EQ(object.userDataOnCreate, reinterpret_cast<LONG_PTR>(&object));

  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_EQ(object.handleOnDestroy, window);  // still bound while WM_DESTROY runs
  EXPECT_EQ(object.m_Handle, nullptr);
  // WM_NCDESTROY follows WM_DESTROY and no longer reaches the object.
  ASSERT_FALSE(object.seen.empty());
  EXPECT_EQ(object.seen.back(), static_cast<UINT>(WM_DESTROY));
}

// WM_GETMINMAXINFO and WM_NCCREATE come before WM_CREATE: the object never
// sees them, and default processing lets the creation go ahead (WM_NCCREATE
// answered 0 would have cancelled it).
TEST_F(BoundWindow, MessagesBeforeCreateGetPlainDefaultProcessing) {
  BoundRecorder object;
  HWND window = Create(object);
  ASSERT_NE(window, nullptr);
  ASSERT_FALSE(object.seen.empty());
  EXPECT_EQ(object.seen.front(), static_cast<UINT>(WM_CREATE));
  for (UINT message : object.seen) {
    EXPECT_NE(message, static_cast<UINT>(WM_NCCREATE));
  }
  DestroyWindow(window);
}

// Messages outside the handler table reach the system's default procedure
// through DefaultProcessing: the window keeps the text it is given.
TEST_F(BoundWindow, UnlistedMessagesReachTheDefaultWindowProcedure) {
  BoundRecorder object;
  HWND window = Create(object);
  ASSERT_NE(window, nullptr);
  char text[32] = "";
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "bound");
  ASSERT_TRUE(SetWindowTextA(window, "Tomato Fx"));
  GetWindowTextA(window, text, sizeof text);
  EXPECT_STREQ(text, "Tomato Fx");
  EXPECT_EQ(SendMessageA(window, CWM_RESERVED1, 1, 2), 0);
  EXPECT_EQ(SendMessageA(window, CWM_RESERVED2, 1, 2), 0);
  DestroyWindow(window);
}

// A window of the shared class created without our creation record has no
// object: it works as a plain default window instead of crashing.
TEST_F(BoundWindow, ForeignCreationDataBindsNoObject) {
  int notARecord = 12345;
  HWND window = CreateWindowExA(0, kClassName, "plain", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                                nullptr, GetModuleHandleA(nullptr), &notARecord);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0);
  EXPECT_TRUE(DestroyWindow(window));
}

// --- Dialogs from a resource ---------------------------------------------

class DialogRecorder : public cDlg {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(message);
    return cDlg::WindowProc(message, wParam, lParam);
  }
  LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override {
    handleOnInit = m_Handle;
    userOnInit = m_Handle ? GetWindowLongPtrA(m_Handle, DWLP_USER) : 0;
    char title[64] = "";
    GetWindowTextA(m_Handle, title, sizeof title);
    titleOnInit = title;
    if (endAtOnce) EndDialog(m_Handle, 7);
    return cDlg::OnInitDialog(wParam, lParam);
  }
  LRESULT OnDestroy(WPARAM wParam, LPARAM lParam) override {
    handleOnDestroy = m_Handle;
    return cDlg::OnDestroy(wParam, lParam);
  }
  bool endAtOnce = false;
  std::vector<UINT> seen;
  HWND handleOnInit = nullptr;
  LONG_PTR userOnInit = 0;
  std::string titleOnInit;
  HWND handleOnDestroy = nullptr;
};

TEST(cDlgBinding, ModelessDialogIsBoundOnInitAndReleasedAfterDestroy) {
  DialogRecorder dialog;
  HWND window = CreateModeless(dialog, GetModuleHandleA(nullptr), kTestDialogId, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(dialog.m_Handle, window);
  EXPECT_EQ(dialog.handleOnInit, window);
  EXPECT_EQ(dialog.userOnInit, reinterpret_cast<LONG_PTR>(&dialog));
  EXPECT_EQ(dialog.titleOnInit, "Test Dialog Q");
  // WM_SETFONT precedes WM_INITDIALOG and does not reach the object.
  ASSERT_FALSE(dialog.seen.empty());
  EXPECT_EQ(dialog.seen.front(), static_cast<UINT>(WM_INITDIALOG));

  ASSERT_TRUE(DestroyWindow(window));
  EXPECT_EQ(dialog.handleOnDestroy, window);
  EXPECT_EQ(dialog.m_Handle, nullptr);
  EXPECT_EQ(dialog.seen.back(), static_cast<UINT>(WM_DESTROY));
}

TEST(cDlgBinding, ModalDialogReturnsTheEndDialogValue) {
  DialogRecorder dialog;
  dialog.endAtOnce = true;
  EXPECT_EQ(DoModal(dialog, GetModuleHandleA(nullptr), kTestDialogId, nullptr), 7);
  EXPECT_NE(dialog.handleOnInit, nullptr);
  EXPECT_EQ(dialog.handleOnDestroy, dialog.handleOnInit);
  EXPECT_EQ(dialog.m_Handle, nullptr);
}

TEST(cDlgBinding, MissingTemplateFails) {
  DialogRecorder dialog;
  EXPECT_EQ(CreateModeless(dialog, GetModuleHandleA(nullptr), 4242, nullptr), nullptr);
  EXPECT_EQ(DoModal(dialog, GetModuleHandleA(nullptr), 4242, nullptr), -1);
  EXPECT_TRUE(dialog.seen.empty());
}

}  // namespace
