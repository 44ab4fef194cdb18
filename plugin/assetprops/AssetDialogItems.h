// What the asset-options code needs of the dialog's items while the builder
// window exists: values shown by the builder (read and set through the
// window, as host values of the kind a symbol names), the enabled flag and
// sizes in the property records, and refreshing.
#pragma once

#include <string>

#include "plugin/assetprops/KinetraObjects.h"
#include "plugin/assetprops/TavHelper.h"

class DialogItems {
 public:
  // Throws "Not Initialized" without a builder window or records.
  explicit DialogItems(AssetOptionsObject* self);

  std::string GetText(int item);
  int32_t GetInteger(int item);
  void SetText(int item, const std::string& text);
  void SetInteger(int item, int32_t number);
  void Enable(int item, bool on);
  void Refresh(int item);

 private:
  VxSymbol Kind(const char* name);
  AssetOptionsObject* self_;
  ITavMmUtils utils_;
  ITavMmValue values_;
};

// The item list, its property records and its wrappers, made when the
// dialog starts (every wrapper told to initialise) and freed with it.
// Build returns 0 or the failing status (0x80040002 when the tables cannot
// be had); Free is safe on a half-made or freed dialog.
VxStatus BuildDialogItems(AssetOptionsObject* self);
void FreeDialogItems(AssetOptionsObject* self);
// The index of the item a wrapper belongs to, or -1.
int ItemOfWrapper(const AssetOptionsObject* self, const void* wrapper);
