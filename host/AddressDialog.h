// The stand-in's address-input dialog: a small dialog with one line for an
// Internet address, OK and Cancel. Tests script the answer: the dialog still
// opens, takes the scripted text and closes itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostObject.h"

namespace vrixhost {

struct AddressScript {
  bool scripted = false;  // answer by itself instead of waiting for a person
  bool cancel = false;    // the scripted answer is Cancel
  std::string answer;
  std::vector<std::string> asked;  // the text each showing started with
};

struct HostAddressDialog : VxAddressDialog {
  static HostAddressDialog* Create(AddressScript* script);  // script: not owned, may be null

  uint32_t refs = 1;
  AddressScript* script;

 private:
  explicit HostAddressDialog(AddressScript* s);
  ~HostAddressDialog();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

// Before/after notices of a plug-in's system dialogs, counted in order.
struct SystemDialogLog {
  int before = 0;
  int after = 0;
  std::vector<std::string> events;  // "before", "after"
};

struct HostSystemDialogNotices : VxSystemDialogNotices {
  static HostSystemDialogNotices* Create(SystemDialogLog* log);  // log: not owned

  uint32_t refs = 1;
  SystemDialogLog* log;

 private:
  explicit HostSystemDialogNotices(SystemDialogLog* l);
  ~HostSystemDialogNotices();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

}  // namespace vrixhost
