#include "host/AddressDialog.h"

#include <windows.h>

#include <string.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace vrixhost {
namespace {

constexpr int kAddressEdit = 100;
constexpr int kAddressLabel = 101;

// A dialog template in memory: the header, then each item, every item on a
// 4-byte boundary.
class TemplateWriter {
 public:
  void Word(WORD w) { words_.push_back(w); }
  void Text(const char* s) {
    for (; *s; ++s) Word(static_cast<WORD>(static_cast<unsigned char>(*s)));
    Word(0);
  }
  void Align() {
    if (words_.size() % 2) Word(0);
  }
  void Dword(DWORD d) {
    Word(LOWORD(d));
    Word(HIWORD(d));
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom,
            const char* text) {
    Align();
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF);
    Word(classAtom);
    Text(text);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<WORD> words_;
};

struct DialogState {
  HostAddressDialog* self;
  std::string text;
  uint32_t size;
};

INT_PTR CALLBACK AddressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  DialogState* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<DialogState*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      SendDlgItemMessageA(dialog, kAddressEdit, EM_LIMITTEXT, state->size - 1, 0);
      SetDlgItemTextA(dialog, kAddressEdit, state->text.c_str());
      AddressScript* script = state->self->script;
      if (script && script->scripted) {
        if (!script->cancel) SetDlgItemTextA(dialog, kAddressEdit, script->answer.c_str());
        PostMessageA(dialog, WM_COMMAND, script->cancel ? IDCANCEL : IDOK, 0);
      }
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        std::vector<char> buffer(state->size, '\0');
        GetDlgItemTextA(dialog, kAddressEdit, buffer.data(), static_cast<int>(state->size));
        state->text = buffer.data();
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

VxStatus VXAPI AskAddress(VxAddressDialog* self, void* parent, char* buffer, uint32_t size) {
  HostAddressDialog* d = static_cast<HostAddressDialog*>(self);
  if (!buffer || size == 0) return VX_E_INVALIDARG;
  DialogState state{d, std::string(buffer, strnlen(buffer, size)), size};
  if (d->script) d->script->asked.push_back(state.text);

  TemplateWriter t;
  t.Dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
  t.Dword(0);
  t.Word(4);  // items
  t.Word(0);
  t.Word(0);
  t.Word(260);
  t.Word(58);
  t.Word(0);  // no menu
  t.Word(0);  // the standard class
  t.Text("Internet Address");
  t.Word(8);
  t.Text("MS Shell Dlg");
  t.Item(SS_LEFT, 7, 7, 246, 9, kAddressLabel, 0x0082, "Address of the animated GIF:");
  t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 18, 246, 13, kAddressEdit, 0x0081, "");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 149, 37, 50, 14, IDOK, 0x0080, "OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 203, 37, 50, 14, IDCANCEL, 0x0080, "Cancel");

  const INT_PTR result =
      DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), static_cast<HWND>(parent),
                              AddressProc, reinterpret_cast<LPARAM>(&state));
  if (result == -1) return VX_E_OUTOFMEMORY;
  if (result != IDOK) return VX_E_CANCELLED;
  const size_t n = std::min<size_t>(state.text.size(), size - 1);
  std::memcpy(buffer, state.text.data(), n);
  buffer[n] = '\0';
  return VX_OK;
}

const VxAddressDialogOps kAddressOps = {
    VRIXHOST_UNKNOWN(HostAddressDialog, VxAddressDialog, IID_VxAddressDialog), AskAddress};

VxStatus VXAPI Before(VxSystemDialogNotices* self) {
  SystemDialogLog* log = static_cast<HostSystemDialogNotices*>(self)->log;
  ++log->before;
  log->events.push_back("before");
  return VX_OK;
}
VxStatus VXAPI After(VxSystemDialogNotices* self) {
  SystemDialogLog* log = static_cast<HostSystemDialogNotices*>(self)->log;
  ++log->after;
  log->events.push_back("after");
  return VX_OK;
}

const VxSystemDialogNoticesOps kNoticeOps = {
    VRIXHOST_UNKNOWN(HostSystemDialogNotices, VxSystemDialogNotices, IID_VxSystemDialogNotices),
    Before, After};

}  // namespace

HostAddressDialog::HostAddressDialog(AddressScript* s) : script(s) {
  ops = &kAddressOps;
  CountHostObject(+1);
}
HostAddressDialog::~HostAddressDialog() {
  CountHostObject(-1);
}
HostAddressDialog* HostAddressDialog::Create(AddressScript* script) {
  return new HostAddressDialog(script);
}

HostSystemDialogNotices::HostSystemDialogNotices(SystemDialogLog* l) : log(l) {
  ops = &kNoticeOps;
  CountHostObject(+1);
}
HostSystemDialogNotices::~HostSystemDialogNotices() {
  CountHostObject(-1);
}
HostSystemDialogNotices* HostSystemDialogNotices::Create(SystemDialogLog* log) {
  return new HostSystemDialogNotices(log);
}

}  // namespace vrixhost
