#include "plugin/frame/ClassTable.h"

#include <cstring>

namespace {

// Any non-zero value stops a walk; the exports translate it back.
constexpr VxStatus kStopWalk = 1;

struct FormContext {
  uint32_t* instanceSize;
  VxInitializer* initializer;
  VxFinalizer* finalizer;
};

VxStatus StoreForm(const VxGuid&, uint32_t, uint32_t instanceSize, VxInitializer initializer,
                   VxFinalizer finalizer, void* context) {
  FormContext* form = static_cast<FormContext*>(context);
  *form->instanceSize = instanceSize;
  *form->initializer = initializer;
  *form->finalizer = finalizer;
  return kStopWalk;
}

struct InterfaceContext {
  const VxGuid* iid;
  VxInstance* instance;
  void** out;
  VxStatus result;
};

VxStatus CreateIfMatching(const VxGuid&, uint32_t, const VxGuid& iid, uint32_t, VxCreator creator,
                          void* context) {
  InterfaceContext* wanted = static_cast<InterfaceContext*>(context);
  if (!VxGuidEqual(iid, *wanted->iid)) return 0;
  // The creator's status may be 0, so it travels in the context.
  wanted->result = creator(wanted->instance, wanted->out);
  return kStopWalk;
}

VxStatus CountClass(const VxGuid&, uint32_t, uint32_t, VxInitializer, VxFinalizer, void* context) {
  ++*static_cast<size_t*>(context);
  return 0;
}

VxStatus CountInterface(const VxGuid&, uint32_t, const VxGuid&, uint32_t, VxCreator,
                        void* context) {
  ++*static_cast<size_t*>(context);
  return 0;
}

struct FillContext {
  VxClassInfoRecord* next;
};

void WriteRecord(FillContext* fill, const VxGuid& clsid, uint32_t classVersion, const VxGuid& iid,
                 uint32_t interfaceVersion) {
  VxClassInfoRecord record;
  record.clsid = clsid;
  record.classVersion = classVersion;
  record.iid = iid;
  record.interfaceVersion = interfaceVersion;
  std::memcpy(fill->next++, &record, sizeof record);
}

VxStatus FillClass(const VxGuid& clsid, uint32_t classVersion, uint32_t, VxInitializer, VxFinalizer,
                   void* context) {
  WriteRecord(static_cast<FillContext*>(context), clsid, classVersion, IID_IClassFactory, 1);
  return 0;
}

VxStatus FillInterface(const VxGuid& clsid, uint32_t classVersion, const VxGuid& iid,
                       uint32_t interfaceVersion, VxCreator, void* context) {
  WriteRecord(static_cast<FillContext*>(context), clsid, classVersion, iid, interfaceVersion);
  return 0;
}

}  // namespace

VxStatus VxWalkClassTable(const VxClassTable& table, const VxGuid* filter,
                          VxClassVisitor classVisitor, VxInterfaceVisitor interfaceVisitor,
                          void* context) {
  for (size_t c = 0; c < table.classCount; ++c) {
    const VxClassEntry& entry = table.classes[c];
    if (filter && !VxGuidEqual(entry.clsid, *filter)) continue;
    if (classVisitor) {
      VxStatus status = classVisitor(entry.clsid, entry.version, entry.instanceSize,
                                     entry.initializer, entry.finalizer, context);
      if (status != 0) return status;
    }
    if (!interfaceVisitor) continue;
    for (size_t i = 0; i < entry.interfaceCount; ++i) {
      const VxInterfaceEntry& iface = entry.interfaces[i];
      VxStatus status = interfaceVisitor(entry.clsid, entry.version, iface.iid, iface.version,
                                         iface.creator, context);
      if (status != 0) return status;
    }
  }
  return 0;
}

VxStatus VxFrameGetClassForm(const VxClassTable& table, const VxGuid* clsid, uint32_t* instanceSize,
                             VxInitializer* initializer, VxFinalizer* finalizer) {
  if (!clsid || !instanceSize || !initializer || !finalizer) return VX_E_INVALIDARG;
  FormContext form = {instanceSize, initializer, finalizer};
  if (VxWalkClassTable(table, clsid, StoreForm, nullptr, &form) == kStopWalk) return VX_OK;
  return VX_E_NOCLASS;
}

VxStatus VxFrameGetInterface(const VxClassTable& table, VxInstance* instance, const VxGuid* clsid,
                             const VxGuid* iid, void** out) {
  if (!instance || !clsid || !iid || !out) return VX_E_INVALIDARG;
  InterfaceContext wanted = {iid, instance, out, VX_E_NOINTERFACE};
  VxWalkClassTable(table, clsid, nullptr, CreateIfMatching, &wanted);
  return wanted.result;
}

size_t VxClassInfoRecordCount(const VxClassTable& table) {
  size_t count = 0;
  VxWalkClassTable(table, nullptr, CountClass, CountInterface, &count);
  return count + 1;
}

VxStatus VxFrameGetClassInfo(const VxClassTable& table, VxAllocator* allocator,
                             VxClassInfoRecord** out) {
  if (!allocator || !out) return VX_E_INVALIDARG;
  const size_t records = VxClassInfoRecordCount(table);
  // The host's allocator takes a 32-bit size.
  if (records > UINT32_MAX / sizeof(VxClassInfoRecord)) return VX_E_OUTOFMEMORY;
  void* memory =
      allocator->ops->Alloc(allocator, static_cast<uint32_t>(records * sizeof(VxClassInfoRecord)));
  if (!memory) return VX_E_OUTOFMEMORY;
  FillContext fill = {static_cast<VxClassInfoRecord*>(memory)};
  VxWalkClassTable(table, nullptr, FillClass, FillInterface, &fill);
  // Terminator: class and interface identifiers all zero.
  std::memset(fill.next, 0, sizeof(VxClassInfoRecord));
  *out = static_cast<VxClassInfoRecord*>(memory);
  return VX_OK;
}
