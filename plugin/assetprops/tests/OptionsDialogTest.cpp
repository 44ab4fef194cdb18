// Kinetra's asset properties dialog as the stand-in's builder makes it:
// shown by the real module's show-dialog operation and driven from a helper
// thread with the messages a person's actions send to the controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/HostAllocator.h"
#include "host/HostInstance.h"
#include "host/HostMediaUtils.h"
#include "host/PluginModule.h"
#include "host/ZepBuilder.h"
#include "plugin/assetprops/KinetraObjects.h"

using namespace vrixhost;

namespace {

HWND Control(HWND dialog, int item) {
  return GetDlgItem(dialog, kFirstItemControlId + item);
}

std::wstring TextW(HWND w) {
  wchar_t buffer[512] = L"";
  GetWindowTextW(w, buffer, 512);
  return buffer;
}

std::string Text(HWND w) {
  char buffer[512] = "";
  GetWindowTextA(w, buffer, sizeof buffer);
  return buffer;
}

std::string ClassOf(HWND w) {
  char name[64] = "";
  GetClassNameA(w, name, sizeof name);
  return name;
}

bool Enabled(HWND dialog, int item) {
  return IsWindowEnabled(Control(dialog, item)) != FALSE;
}

// What the user does.
void Click(HWND dialog, int item) {
  SendMessageA(Control(dialog, item), BM_CLICK, 0, 0);
}

void Choose(HWND dialog, int item, int position) {
  HWND combo = Control(dialog, item);
  SendMessageA(combo, CB_SETCURSEL, position - 1, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFirstItemControlId + item, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

// Types a text into an edit control, then leaves it (the focus goes).
void Type(HWND dialog, int item, const char* text) {
  HWND edit = Control(dialog, item);
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
  for (const char* p = text; *p; ++p) SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(*p), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFirstItemControlId + item, EN_KILLFOCUS),
               reinterpret_cast<LPARAM>(edit));
}

BOOL CALLBACK FindBuilderDialog(HWND w, LPARAM p) {
  if (IsWindowVisible(w) && GetDlgItem(w, kFirstItemControlId + 39)) {
    *reinterpret_cast<HWND*>(p) = w;
    return FALSE;
  }
  return TRUE;
}

HWND FindDialog(DWORD thread) {
  for (int tries = 0; tries < 500; ++tries) {
    HWND found = nullptr;
    EnumThreadWindows(thread, FindBuilderDialog, reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    Sleep(10);
  }
  return nullptr;
}

class OptionsDialog : public testing::Test {
 protected:
  void SetUp() override {
    objectsBefore_ = LiveHostObjects();
    ASSERT_TRUE(module_.Load(KINETRA_PATH)) << module_.error();
    callback_ = HostCallback::Create();
    ASSERT_EQ(VX_OK, HostInstance::Create(module_.exports(), CLSID_KinetraGifOptions, &allocator_,
                                          callback_, &instance_));
    void* object = nullptr;
    ASSERT_EQ(VX_OK, instance_->GetInterface(IID_VxAssetOptions, &object));
    options_ = static_cast<VxAssetOptions*>(object);
  }
  void TearDown() override {
    if (options_) options_->ops->Release(options_);
    if (instance_) {
      EXPECT_EQ(VX_OK, instance_->Destroy());
    }
    EXPECT_EQ(0u, allocator_.LiveBlocks());
    EXPECT_TRUE(callback_->openTokens.empty());
    if (callback_) callback_->ops->Release(callback_);
    EXPECT_EQ(objectsBefore_, LiveHostObjects());
    EXPECT_EQ(0, LiveHostValues());
    SetEnvironmentVariableA("VRIXHOST_LANGUAGE", nullptr);
  }
  AssetOptionsObject* Object() { return reinterpret_cast<AssetOptionsObject*>(options_); }

  // Shows the dialog while `script` drives it from another thread; the
  // script ends it. Returns show dialog's status; *result is finish's.
  VxStatus Run(std::function<void(HWND)> script, int32_t* result = nullptr) {
    std::atomic<bool> found{false};
    const DWORD thread = GetCurrentThreadId();
    std::thread helper([&] {
      HWND dialog = FindDialog(thread);
      if (!dialog) return;
      found = true;
      script(dialog);
    });
    const VxStatus status = options_->ops->ShowDialog(options_, nullptr);
    okPressed_ = Object()->okPressed;
    helper.join();
    int32_t r = -1;
    EXPECT_EQ(VX_OK, options_->ops->Finish(options_, 1, &r));
    if (result) *result = r;
    EXPECT_TRUE(found) << "the dialog never appeared";
    return status;
  }
  std::vector<std::pair<int32_t, int32_t>>& Events() { return callback_->builderEvents; }

  int objectsBefore_ = 0;
  PluginModule module_;
  HostAllocator allocator_;
  HostCallback* callback_ = nullptr;
  HostInstance* instance_ = nullptr;
  VxAssetOptions* options_ = nullptr;
  bool okPressed_ = false;
};

TEST_F(OptionsDialog, TempoFieldKeepsItsRange) {
  std::vector<std::string> shown;
  EXPECT_EQ(VX_OK, Run([&](HWND d) {
              Choose(d, 30, 2);  // "Fixed"
              for (const char* typed : {"abc", "5000", "0", "-3", "24", "1000", "1"}) {
                Type(d, 31, typed);
                shown.push_back(Text(Control(d, 31)));
              }
              Click(d, 42);
            }));
  const std::vector<std::string> expected = {"15", "1000", "1", "1", "24", "1000", "1"};
  EXPECT_EQ(expected, shown);
}

TEST_F(OptionsDialog, TempoFieldIsLeftAloneUnlessFixed) {
  std::string shown;
  Run([&](HWND d) {
    Choose(d, 30, 1);  // "Normal"
    Type(d, 31, "abc");
    shown = Text(Control(d, 31));
    Click(d, 42);
  });
  EXPECT_EQ("abc", shown);
  EXPECT_EQ(0, Object()->playbackMode);
}

TEST_F(OptionsDialog, OnlyFixedEnablesTheFieldAndItsUnit) {
  struct Seen {
    bool field, unit;
    int32_t mode;
  };
  std::vector<Seen> seen;
  Run([&](HWND d) {
    seen.push_back({Enabled(d, 31), Enabled(d, 32), Object()->playbackMode});
    for (int position : {2, 1, 3, 2}) {
      Choose(d, 30, position);
      seen.push_back({Enabled(d, 31), Enabled(d, 32), Object()->playbackMode});
    }
    Click(d, 42);
  });
  ASSERT_EQ(5u, seen.size());
  const Seen expected[] = {
      {false, false, 0}, {true, true, 1}, {false, false, 0}, {false, false, 2}, {true, true, 1}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(expected[i].field, seen[i].field) << i;
    EXPECT_EQ(expected[i].unit, seen[i].unit) << i;
    EXPECT_EQ(expected[i].mode, seen[i].mode) << i;
  }
}

TEST_F(OptionsDialog, UntickingLinkedRelabelsTheFileItem) {
  std::vector<std::string> labels;
  std::vector<int> linked;
  Run([&](HWND d) {
    labels.push_back(Text(Control(d, 12)));
    Click(d, 22);
    labels.push_back(Text(Control(d, 12)));
    linked.push_back(Object()->linked);
    Click(d, 22);
    labels.push_back(Text(Control(d, 12)));
    linked.push_back(Object()->linked);
    Click(d, 42);
  });
  const std::vector<std::string> expected = {"Link File:", "Import:", "Link File:"};
  EXPECT_EQ(expected, labels);
  EXPECT_EQ((std::vector<int>{0, 1}), linked);
  EXPECT_EQ(2, std::count(Events().begin(), Events().end(), std::make_pair(1, 22)));
}

TEST_F(OptionsDialog, EditingTheFileNameIsReported) {
  uint8_t changed = 0;
  Run([&](HWND d) {
    Type(d, 13, "C:\\pictures\\spin.gif");
    changed = Object()->linkTextChanged;
    Click(d, 42);
  });
  EXPECT_EQ(1, changed);
  EXPECT_NE(Events().end(), std::find(Events().begin(), Events().end(), std::make_pair(1, 13)));
}

TEST_F(OptionsDialog, HelpAsksForTopic3503) {
  Run([&](HWND d) {
    Click(d, 47);
    Click(d, 42);
  });
  EXPECT_EQ(std::vector<int32_t>{3503}, callback_->helpTopics);
}

TEST_F(OptionsDialog, OkAndCancelEndTheDialogWithTheirItems) {
  EXPECT_EQ(VX_OK, Run([&](HWND d) { Click(d, 39); }));
  EXPECT_TRUE(okPressed_);
  ASSERT_FALSE(Events().empty());
  EXPECT_EQ(std::make_pair(2, 39), Events().back());
  Events().clear();
  EXPECT_EQ(VX_OK, Run([&](HWND d) { Click(d, 42); }));
  EXPECT_FALSE(okPressed_);
  EXPECT_EQ(std::make_pair(2, 42), Events().back());
  // Closing the window is the cancel button's click.
  Events().clear();
  EXPECT_EQ(VX_OK, Run([&](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }));
  EXPECT_FALSE(okPressed_);
  EXPECT_EQ(std::make_pair(2, 42), Events().back());
}

// Every item's record and control, against the dialog as it is described.
TEST_F(OptionsDialog, RecordsAndControlsFollowTheItemList) {
  struct Expect {
    int32_t widget;
    const char* text;  // null: not checked
    int32_t textStyle;
    int32_t textStyle2;
    const char* control;  // window class, null for none
  };
  const char* S = "Static";
  const char* B = "Button";
  const Expect kExpected[kItemCount] = {
      {50, nullptr, 0, 0, nullptr},
      {52, nullptr, 0, 0, nullptr},
      {54, nullptr, 0, 0, nullptr},
      {70, "Preview", 17, 0, S},
      {70, "Preview Not Available", 17, 9, S},  // no asset: no preview view
      {131, "Play", 0, 0, B},
      {70, "", 15, 9, S},
      {70, "", 15, 9, S},
      {70, "", 15, 9, S},
      {55, nullptr, 0, 0, nullptr},
      {1, "vDiv", 0, 0, S},
      {54, nullptr, 0, 0, nullptr},
      {70, "Link File:", 15, 0, S},
      {40, nullptr, 15, 0, "Edit"},
      {52, nullptr, 0, 0, nullptr},
      {54, nullptr, 0, 0, nullptr},
      {70, "Media:", 16, 0, S},
      {70, "Playback:", 16, 0, S},
      {70, "Tempo:", 16, 0, S},
      {55, nullptr, 0, 0, nullptr},
      {54, nullptr, 0, 0, nullptr},
      {52, nullptr, 0, 0, nullptr},
      {10, "Linked", 0, 0, B},
      {53, nullptr, 0, 0, nullptr},
      {52, nullptr, 0, 0, nullptr},
      {54, nullptr, 0, 0, nullptr},
      {10, "Direct to Stage", 0, 0, B},
      {55, nullptr, 0, 0, nullptr},
      {53, nullptr, 0, 0, nullptr},
      {52, nullptr, 0, 0, nullptr},
      {20, nullptr, 15, 0, "ComboBox"},
      {40, nullptr, 16, 0, "Edit"},
      {70, "fps", 15, 9, S},
      {53, nullptr, 0, 0, nullptr},
      {55, nullptr, 0, 0, nullptr},
      {53, nullptr, 0, 0, nullptr},
      {55, nullptr, 0, 0, nullptr},
      {1, "vDiv", 0, 0, S},
      {54, nullptr, 0, 0, nullptr},
      {130, "OK", 0, 0, B},
      {131, "Browse...", 0, 0, B},
      {131, "Internet...", 0, 0, B},
      {132, "Cancel", 0, 0, B},
      {70, "", 15, 0, S},
      {70, "", 15, 0, S},
      {70, "", 15, 0, S},
      {70, "", 15, 0, S},
      {131, "Help", 0, 0, B},
      {55, nullptr, 0, 0, nullptr},
      {53, nullptr, 0, 0, nullptr},
      {51, nullptr, 0, 0, nullptr},
  };
  std::vector<ZepPropertyRecord> records;
  std::vector<std::string> classes, texts, entries;
  std::wstring title;
  Run([&](HWND d) {
    AssetOptionsObject* o = Object();
    records.assign(o->records, o->records + kItemCount);
    for (int i = 0; i < kItemCount; ++i) {
      HWND c = Control(d, i);
      classes.push_back(c ? ClassOf(c) : "");
      texts.push_back(records[i].title ? records[i].title : "");
    }
    HWND combo = Control(d, 30);
    for (int i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
      char entry[64] = "";
      SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
      entries.push_back(entry);
    }
    title = TextW(d);
    Click(d, 42);
  });
  ASSERT_EQ(static_cast<size_t>(kItemCount), records.size());
  for (int i = 0; i < kItemCount; ++i) {
    SCOPED_TRACE(i);
    const Expect& e = kExpected[i];
    EXPECT_EQ(e.widget, records[i].widget);
    if (e.text) {
      EXPECT_EQ(e.text, texts[i]);
    }
    EXPECT_EQ(e.textStyle, records[i].textStyle);
    EXPECT_EQ(e.textStyle2, records[i].textStyle2);
    EXPECT_STREQ("title", records[i].titleField);
    EXPECT_STREQ("tip", records[i].tipField);
    EXPECT_EQ(e.control ? e.control : "", classes[i]);
  }
  EXPECT_EQ((std::vector<std::string>{"Normal", "Fixed", "Lock-Step"}), entries);
  EXPECT_EQ(L"Animated GIF Asset Properties", title);
  // Sizes given to the builder.
  EXPECT_EQ(220, records[13].width);
  EXPECT_EQ(12, records[13].height);
  EXPECT_EQ(90, records[26].width);
  EXPECT_EQ(16, records[26].height);
}

TEST_F(OptionsDialog, JapaneseTextsShowAsJapanese) {
  SetEnvironmentVariableA("VRIXHOST_LANGUAGE", "1");
  std::wstring title, ok, play;
  Run([&](HWND d) {
    title = TextW(d);
    ok = TextW(Control(d, 42));
    play = TextW(Control(d, 5));
    Click(d, 42);
  });
  EXPECT_EQ(
      L"\u30A2\u30CB\u30E1\u30FC\u30B7\u30E7\u30F3GIF\u30A2\u30BB\u30C3\u30C8\u306E"
      L"\u30D7\u30ED\u30D1\u30C6\u30A3",
      title);
  EXPECT_EQ(L"\u30AD\u30E3\u30F3\u30BB\u30EB", ok);  // Cancel
  EXPECT_EQ(L"\u518D\u751F", play);                  // Play
}

TEST_F(OptionsDialog, FrenchAndGermanPlayButtons) {
  for (const char* language : {"2", "3"}) {
    SetEnvironmentVariableA("VRIXHOST_LANGUAGE", language);
    std::wstring play;
    Run([&](HWND d) {
      play = TextW(Control(d, 5));
      Click(d, 42);
    });
    EXPECT_EQ(language[0] == '2' ? L"Lire" : L"Abspielen", play);
  }
}

TEST_F(OptionsDialog, NotifyRefusesNullDataAndIgnoresOtherSources) {
  void* object = nullptr;
  ASSERT_EQ(VX_OK, instance_->GetInterface(IID_VxOptionsDialog, &object));
  VxOptionsDialog* d = static_cast<VxOptionsDialog*>(object);
  const ZepEvent clicked{ZEP_EVENT_ITEM_CLICKED, 47};
  EXPECT_EQ(VX_E_INVALIDARG, d->ops->Notify(d, &CLSID_ZepDialogBuilder, &clicked, nullptr));
  int data = 0;
  EXPECT_EQ(VX_OK, d->ops->Notify(d, &CLSID_VxHelpService, &clicked, &data));
  const ZepEvent other{7, 47};
  EXPECT_EQ(VX_OK, d->ops->Notify(d, &CLSID_ZepDialogBuilder, &other, &data));
  EXPECT_TRUE(callback_->helpTopics.empty());
  // Not attached to a dialog: an event is refused with the not-initialised status.
  EXPECT_EQ(VX_E_INTERFACEMISSING, d->ops->Notify(d, &CLSID_ZepDialogBuilder, &clicked, &data));
  d->ops->Release(d);
}

}  // namespace
