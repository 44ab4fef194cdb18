// The host side of the Vrix plug-in architecture: identifiers, status codes
// and the operation tables of every service the host offers a plug-in, and
// of the interfaces the host calls on our plug-ins.
//
// Every interface is an object whose first word points at its operation
// table; the first three operations of every table are query-interface,
// add-reference and release. Operations use the Windows standard calling
// convention and, unless said otherwise, return a 32-bit status (0 = success).
//
// This header makes no operating-system calls and includes no Windows header,
// so that the table walk and the option logic build natively too. Window and
// module handles travel as void*.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#ifdef _WIN32
#define VXAPI __stdcall
#else
#define VXAPI
#endif

// ---------------------------------------------------------------------------
// Status codes

typedef int32_t VxStatus;

constexpr VxStatus VxCode(uint32_t value) {
  return static_cast<VxStatus>(value);
}

constexpr VxStatus VX_OK = 0;
constexpr VxStatus VX_E_INVALIDARG = VxCode(0x80040001u);  // bad argument, unsupported request
constexpr VxStatus VX_E_OUTOFMEMORY = VxCode(0x80040002u);
constexpr VxStatus VX_E_LIVEOBJECTS = VxCode(0x80040003u);  // module still has live objects
constexpr VxStatus VX_E_NOINTERFACE = VxCode(0x80040004u);
constexpr VxStatus VX_E_NOCLASS = VxCode(0x80040005u);           // no such class / not provided
constexpr VxStatus VX_E_INTERFACEMISSING = VxCode(0x80040014u);  // also: not initialised
constexpr VxStatus VX_E_MISMATCH = VxCode(0x80040011u);          // a value of the wrong kind
constexpr VxStatus VX_E_CANCELLED = VxCode(0x80045208u);         // the user cancelled a dialog
constexpr VxStatus VX_E_ENCODER = VxCode(0x800412C3u);  // image encoder failure, not memory
// A palette reader's answer to "can you read this file?" (0 = yes).
constexpr VxStatus VX_S_READER_MAYBE = VxCode(0x000412C2u);
constexpr VxStatus VX_S_READER_UNLIKELY = VxCode(0x000412C3u);

// ---------------------------------------------------------------------------
// Identifiers: the usual 16-byte GUID layout.

struct VxGuid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
};
static_assert(sizeof(VxGuid) == 16, "an identifier is 16 bytes");

// Equal when all four 32-bit words are equal.
inline bool VxGuidEqual(const VxGuid& a, const VxGuid& b) {
  uint32_t wa[4], wb[4];
  std::memcpy(wa, &a, sizeof wa);
  std::memcpy(wb, &b, sizeof wb);
  return wa[0] == wb[0] && wa[1] == wb[1] && wa[2] == wb[2] && wa[3] == wb[3];
}

// COM's class-factory identifier; every class-information array names it.
inline constexpr VxGuid IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr VxGuid IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Classes and interfaces of our plug-ins.
inline constexpr VxGuid CLSID_PalvexGifWriter = {
    0x57FD0AEC, 0x4453, 0x4E1D, {0x9E, 0x5C, 0x58, 0xE8, 0xD3, 0xCC, 0x5F, 0x3C}};
inline constexpr VxGuid CLSID_KinetraGifOptions = {
    0xA82B13AC, 0x5395, 0x42C1, {0x8E, 0x40, 0xA2, 0x79, 0x9F, 0x50, 0x06, 0x57}};
inline constexpr VxGuid IID_VxFileFormat = {
    0x3793F23F, 0x3B26, 0x4B81, {0x9E, 0x64, 0xDD, 0xA1, 0x8B, 0xCD, 0xA9, 0x92}};
inline constexpr VxGuid IID_VxExportOptions = {
    0x07FFD0D0, 0x807E, 0x4CF5, {0x9F, 0xC8, 0xA9, 0x31, 0x30, 0x24, 0xC6, 0x22}};
inline constexpr VxGuid IID_VxPixelReceptor = {
    0x7391D53C, 0x6091, 0x46DC, {0x98, 0x76, 0x9C, 0x80, 0x49, 0x31, 0x8B, 0xE7}};
inline constexpr VxGuid IID_VxPaletteSetter = {
    0x66CDF41F, 0xDCCF, 0x44C0, {0x88, 0x82, 0x91, 0x1B, 0x5D, 0x22, 0xEC, 0x2B}};
inline constexpr VxGuid IID_VxRegistration = {
    0x7031BE9B, 0xC243, 0x41C7, {0x9C, 0xB0, 0x4B, 0x2B, 0x32, 0x04, 0x68, 0xC4}};
inline constexpr VxGuid IID_VxAssetOptions = {
    0x17534BEE, 0xC4F7, 0x419D, {0x99, 0x50, 0x98, 0x76, 0x65, 0x67, 0xF2, 0xA5}};
inline constexpr VxGuid IID_VxOptionsDialog = {
    0x264BC335, 0x6E13, 0x4593, {0x85, 0xDB, 0x36, 0x0F, 0xA8, 0x79, 0xD7, 0xD4}};

// Host services. A plug-in obtains a service by asking the host callback to
// create an object of the service's class with the service's interface.
inline constexpr VxGuid IID_VxInstance = {
    0xC1C875B1, 0x4170, 0x47C1, {0x9A, 0x7F, 0x17, 0x53, 0x8D, 0xE8, 0xCB, 0x5F}};
inline constexpr VxGuid IID_VxAllocator = {
    0x5046848E, 0xA325, 0x47A9, {0xB3, 0x21, 0x0D, 0x3F, 0x9B, 0xEF, 0xAD, 0xBE}};
inline constexpr VxGuid IID_VxHostCallback = {
    0x59705F48, 0x5575, 0x4BF1, {0xB8, 0x42, 0x7E, 0x45, 0xCD, 0xEF, 0xF0, 0x4A}};
inline constexpr VxGuid CLSID_VxDictionaryService = {
    0xAF8E59AC, 0xC5D5, 0x4E40, {0xA5, 0x73, 0x4B, 0xD0, 0x7B, 0x42, 0x60, 0xA0}};
inline constexpr VxGuid IID_VxDictionaryService = {
    0x58FEB025, 0xC471, 0x4FA9, {0xB1, 0xF4, 0x1F, 0x50, 0xF2, 0xEE, 0xC9, 0x26}};
inline constexpr VxGuid IID_VxDictionary = {
    0xD66C0C45, 0xD06B, 0x405B, {0x96, 0x34, 0xDD, 0x92, 0x31, 0xB8, 0xD0, 0xF0}};
inline constexpr VxGuid IID_VxRegistryCache = {
    0x56614E1E, 0xEC90, 0x4488, {0x9A, 0x96, 0x2C, 0xB5, 0x8D, 0x25, 0x43, 0xCC}};
inline constexpr VxGuid CLSID_VxFileService = {
    0xE964F5CD, 0x527C, 0x4DA8, {0xA0, 0x12, 0x5B, 0xBE, 0xA0, 0x95, 0x8B, 0x13}};
inline constexpr VxGuid IID_VxFileService = {
    0x24C60221, 0x3E46, 0x4A5C, {0x92, 0x99, 0x46, 0xC3, 0xBC, 0xF6, 0x0E, 0x0F}};
inline constexpr VxGuid IID_VxStream = {
    0x7BD0ED54, 0x72CD, 0x4991, {0xB3, 0xAA, 0x06, 0x81, 0x8A, 0xB7, 0xB8, 0x09}};
inline constexpr VxGuid IID_VxImageSource = {
    0x00538B58, 0xF00B, 0x44B0, {0xBF, 0xB7, 0x4E, 0xCE, 0x63, 0x0C, 0x44, 0x0B}};
inline constexpr VxGuid CLSID_VxReaderRegistry = {
    0x91893B06, 0x2ED0, 0x44CF, {0xB6, 0xC8, 0x01, 0x0F, 0xC7, 0x3C, 0x25, 0x56}};
inline constexpr VxGuid IID_VxReaderRegistry = {
    0x234C25E7, 0x9760, 0x4BB3, {0x95, 0x3C, 0x5D, 0x2B, 0xF9, 0xD8, 0xE0, 0xED}};
inline constexpr VxGuid IID_VxPaletteReader = {
    0xC20AD91A, 0x6F51, 0x4302, {0xAB, 0x65, 0x4A, 0x13, 0x69, 0x7B, 0x27, 0x6A}};
inline constexpr VxGuid CLSID_VxPathService = {
    0x8206C621, 0x7E7F, 0x4BEA, {0xB2, 0x2A, 0xF0, 0xC4, 0xC5, 0x4F, 0x7F, 0x19}};
inline constexpr VxGuid IID_VxPathService = {
    0xEA195D6A, 0xE618, 0x4ABE, {0xAB, 0x0B, 0xED, 0x3D, 0xA8, 0x2E, 0xD6, 0x5D}};
inline constexpr VxGuid CLSID_ZepDialogBuilder = {
    0x57C9DC4C, 0x6214, 0x4CB2, {0x89, 0x48, 0x67, 0x51, 0x92, 0xDE, 0xB5, 0xC8}};
inline constexpr VxGuid IID_ZepDialogBuilder = {
    0x26CF9292, 0x53FD, 0x458A, {0x92, 0x22, 0xE1, 0x5A, 0xF3, 0x8F, 0xAA, 0x52}};
inline constexpr VxGuid IID_ZepBuilderWindow = {
    0x41D68933, 0x5DB6, 0x41C8, {0x8C, 0x91, 0xFE, 0x7C, 0xAF, 0x75, 0x8A, 0x4E}};
inline constexpr VxGuid CLSID_ZepCommonFile = {
    0x93BFD4A5, 0xA575, 0x4DC1, {0x82, 0x7A, 0xEF, 0x58, 0xC8, 0x27, 0xE0, 0x56}};
inline constexpr VxGuid IID_ZepCommonFile = {
    0x1B09F780, 0x0503, 0x4032, {0xBC, 0xC2, 0x68, 0x07, 0xF7, 0x24, 0x62, 0x7D}};
inline constexpr VxGuid CLSID_VxMediaUtils = {
    0xCF3BBF4B, 0x4F91, 0x4B66, {0xA5, 0xED, 0xB1, 0xBD, 0x30, 0xC3, 0x96, 0x4B}};
inline constexpr VxGuid IID_VxMediaUtils = {
    0x35977D7A, 0xD20E, 0x467E, {0xB4, 0x0C, 0x61, 0x82, 0xF2, 0xCE, 0xA3, 0xAA}};
inline constexpr VxGuid IID_VxMmValue = {
    0x2E8A41C7, 0x93B2, 0x4F0D, {0xA6, 0x15, 0x7C, 0x30, 0xD9, 0x4B, 0x62, 0xE1}};
inline constexpr VxGuid IID_VxMmValueCoercion = {
    0x5D07B3E2, 0x18C4, 0x4A9F, {0x8B, 0x2E, 0x91, 0x6A, 0x0F, 0xC3, 0x57, 0xD8}};
inline constexpr VxGuid IID_VxMmList = {
    0x7A3C9E15, 0x64D8, 0x4B21, {0x9F, 0x40, 0x2B, 0x8E, 0x71, 0xA5, 0x0C, 0x36}};
inline constexpr VxGuid IID_VxMmLinearList = {
    0x0B6F2D94, 0xC75A, 0x4E83, {0xB1, 0x9C, 0x43, 0xE2, 0x8D, 0x16, 0xF0, 0x7B}};
inline constexpr VxGuid CLSID_VxHelpService = {
    0xFC18DA7D, 0x0B8B, 0x442C, {0x96, 0x73, 0xAE, 0xCB, 0xA2, 0x76, 0x1E, 0x6F}};
inline constexpr VxGuid IID_VxHelpService = {
    0x273AAB83, 0x8C01, 0x49A4, {0xA1, 0x36, 0x42, 0x66, 0x90, 0x2C, 0xA1, 0xC2}};
inline constexpr VxGuid CLSID_VxAddressDialog = {
    0x4A0F2B6E, 0x1C3D, 0x4E5F, {0x8A, 0x9B, 0x0C, 0x1D, 0x2E, 0x3F, 0x40, 0x51}};
inline constexpr VxGuid IID_VxAddressDialog = {
    0x5B1E3C7F, 0x2D4E, 0x4F60, {0x9B, 0xAC, 0x1D, 0x2E, 0x3F, 0x40, 0x51, 0x62}};
inline constexpr VxGuid CLSID_VxSpriteView = {
    0x6C2F4D80, 0x3E5F, 0x4071, {0xAC, 0xBD, 0x2E, 0x3F, 0x40, 0x51, 0x62, 0x73}};
inline constexpr VxGuid IID_VxSpriteView = {
    0x7D305E91, 0x4F60, 0x4182, {0xBD, 0xCE, 0x3F, 0x40, 0x51, 0x62, 0x73, 0x84}};
inline constexpr VxGuid CLSID_VxSystemDialogNotices = {
    0xB3D1E5A2, 0x7F40, 0x4C19, {0x8D, 0x62, 0x1A, 0xE7, 0x3C, 0x95, 0x04, 0xF8}};
inline constexpr VxGuid IID_VxSystemDialogNotices = {
    0x2E84C7D9, 0x61AB, 0x4F35, {0xA0, 0x7E, 0xC4, 0x19, 0x5D, 0x8B, 0x32, 0x6F}};
inline constexpr VxGuid IID_VxAsset = {
    0x8E416FA2, 0x5071, 0x4293, {0x8E, 0xDF, 0x40, 0x51, 0x62, 0x73, 0x84, 0x95}};
inline constexpr VxGuid IID_VxPlayer = {
    0x9F5270B3, 0x6182, 0x43A4, {0x9F, 0xE0, 0x51, 0x62, 0x73, 0x84, 0x95, 0xA6}};

// ---------------------------------------------------------------------------
// The three operations every table starts with.

#define VX_UNKNOWN_OPS(Self)                                                   \
  VxStatus(VXAPI* QueryInterface)(Self * self, const VxGuid* iid, void** out); \
  uint32_t(VXAPI* AddRef)(Self * self);                                        \
  uint32_t(VXAPI* Release)(Self * self)

// Any interface, seen only through its three common operations.
struct VxUnknown;
struct VxUnknownOps {
  VX_UNKNOWN_OPS(VxUnknown);
};
struct VxUnknown {
  const VxUnknownOps* ops;
};

// ---------------------------------------------------------------------------
// Allocator (per instance, and the one given to DllGetClassInfo).

struct VxAllocator;
struct VxAllocatorOps {
  VX_UNKNOWN_OPS(VxAllocator);
  void*(VXAPI* Alloc)(VxAllocator* self, uint32_t size);  // null when out of memory
  void(VXAPI* Free)(VxAllocator* self, void* memory);
};
struct VxAllocator {
  const VxAllocatorOps* ops;
};

// ---------------------------------------------------------------------------
// Host callback (per instance).

struct VxHostCallback;
struct VxHostCallbackOps {
  VX_UNKNOWN_OPS(VxHostCallback);
  // A new object of a host class with the given interface, or a failure status.
  VxStatus(VXAPI* CreateObject)(VxHostCallback* self, const VxGuid* clsid, const VxGuid* iid,
                                void** out);
  // Makes a plug-in module's resources reachable: a resource module handle and
  // a token that CloseModuleResources takes back.
  VxStatus(VXAPI* OpenModuleResources)(VxHostCallback* self, void* module, void** resourceModule,
                                       uintptr_t* token);
  VxStatus(VXAPI* CloseModuleResources)(VxHostCallback* self, void* module, uintptr_t token);
};
struct VxHostCallback {
  const VxHostCallbackOps* ops;
};

// ---------------------------------------------------------------------------
// A class instance. The host allocates the instance size the module asks for,
// fills this leading part, and then calls the class's initialiser. The three
// operations answer for the instance as a whole; interface objects add-reference
// and release their owning instance through them.

struct VxInstance;
struct VxInstanceOps {
  VX_UNKNOWN_OPS(VxInstance);
};
struct VxInstance {
  const VxInstanceOps* ops;
  VxAllocator* allocator;    // not owned: the host's, for this instance
  VxHostCallback* callback;  // not owned
};

// ---------------------------------------------------------------------------
// Dictionary service and dictionaries.

enum : uint32_t {
  VX_DICT_INT32 = 3,  // 4 bytes
  VX_DICT_BOOL = 6,   // 1 byte
  VX_DICT_BYTES = 8,  // raw bytes, length given
  VX_DICT_TEXT = 9,   // NUL-terminated, length 0 on put
};

struct VxDictionary;
struct VxDictionaryOps {
  VX_UNKNOWN_OPS(VxDictionary);
  // 0 when the key exists with this type and its value was copied into buffer.
  VxStatus(VXAPI* Get)(VxDictionary* self, uint32_t type, void* buffer, uint32_t size,
                       const char* key);
  VxStatus(VXAPI* Put)(VxDictionary* self, uint32_t type, const void* data, uint32_t size,
                       const char* key);
};
struct VxDictionary {
  const VxDictionaryOps* ops;
};

struct VxDictionaryService;
struct VxDictionaryServiceOps {
  VX_UNKNOWN_OPS(VxDictionaryService);
  VxStatus(VXAPI* CreateDictionary)(VxDictionaryService* self, VxDictionary** out);
};
struct VxDictionaryService {
  const VxDictionaryServiceOps* ops;
};

// The host's registry cache: one dictionary per (class, interface).
struct VxRegistryCache;
struct VxRegistryCacheOps {
  VX_UNKNOWN_OPS(VxRegistryCache);
  VxStatus(VXAPI* GetDictionary)(VxRegistryCache* self, const VxGuid* clsid, const VxGuid* iid,
                                 VxDictionary** out);
};
struct VxRegistryCache {
  const VxRegistryCacheOps* ops;
};

// ---------------------------------------------------------------------------
// File service and streams.

enum : uint32_t {
  VX_EXPORT_TARGET_FILE = 2,  // first word of an export target naming a file
};

// Where an export goes. The host keeps the details; the file service turns a
// file target into its path.
struct VxExportTarget {
  uint32_t kind;
  void* host;  // the host's own data
};

enum : uint32_t {
  VX_STREAM_OPEN_UPDATE = 1,  // open for writing, create if missing, keep the contents
  VX_STREAM_OPEN_CREATE = 2,  // create, or truncate an existing file
};

constexpr uint32_t VX_STREAM_BUFFER_SIZE = 4096;
constexpr uint32_t VX_MAX_PATH_CHARS = 255;

struct VxStream;
struct VxStreamOps {
  VX_UNKNOWN_OPS(VxStream);
  VxStatus(VXAPI* Open)(VxStream* self, uint32_t mode);
  VxStatus(VXAPI* GetSize)(VxStream* self, uint32_t* size);
  VxStatus(VXAPI* Seek)(VxStream* self, uint32_t position);                 // from the start
  int32_t(VXAPI* Write)(VxStream* self, const void* data, uint32_t count);  // bytes written
  VxStatus(VXAPI* Flush)(VxStream* self);
  VxStatus(VXAPI* Close)(VxStream* self);
};
struct VxStream {
  const VxStreamOps* ops;
};

struct VxFileService;
struct VxFileServiceOps {
  VX_UNKNOWN_OPS(VxFileService);
  // The path of a file target, at most VX_MAX_PATH_CHARS characters plus NUL.
  VxStatus(VXAPI* GetExportPath)(VxFileService* self, const VxExportTarget* target, char* path,
                                 uint32_t size);
  // A stream on a path, buffered by bufferSize bytes; not yet open.
  VxStatus(VXAPI* CreateStream)(VxFileService* self, const char* path, uint32_t bufferSize,
                                VxStream** out);
};
struct VxFileService {
  const VxFileServiceOps* ops;
};

// ---------------------------------------------------------------------------
// Images pushed to a receptor.

enum : uint32_t {
  VX_PIXEL_RGB24 = 0,   // 3 bytes per pixel: R, G, B
  VX_PIXEL_RGBA32 = 1,  // 4 bytes per pixel: R, G, B, A
  VX_PIXEL_INDEX8 = 2,  // 1 byte per pixel, an index into the description's palette
};

// One colour entry as the host and PaletteSpec store it: an 8-bit component c
// is stored as c * 257, so its high byte is c.
struct VxColorEntry {
  uint16_t value;
  uint16_t red;
  uint16_t green;
  uint16_t blue;
};
static_assert(sizeof(VxColorEntry) == 8, "a colour entry is 8 bytes");

enum : uint32_t {
  VX_IMAGE_HAS_TRANSPARENT_INDEX = 1,  // transparentIndex is given
};

struct VxImageDesc {
  uint32_t width;   // pixels
  uint32_t height;  // rows
  uint32_t kind;    // VX_PIXEL_*
  uint32_t flags;   // VX_IMAGE_*
  int16_t transparentIndex;
  uint16_t reserved;
  VxColorEntry palette[256];  // VX_PIXEL_INDEX8 only
};

struct VxImageSource;
struct VxImageSourceOps {
  VX_UNKNOWN_OPS(VxImageSource);
  // Pushes the image to the receptor (an interface object answering
  // receptorIid) through negotiate, begin, rows and end before returning.
  VxStatus(VXAPI* SendImage)(VxImageSource* self, void* receptor, const VxGuid* receptorIid);
};
struct VxImageSource {
  const VxImageSourceOps* ops;
};

// ---------------------------------------------------------------------------
// Palette readers and the path service.

enum : uint32_t {
  VX_READER_CATEGORY_PALETTE = 1,
};

struct VxPaletteReader;
struct VxPaletteReaderOps {
  VX_UNKNOWN_OPS(VxPaletteReader);
  // 0 = yes, else VX_S_READER_MAYBE or VX_S_READER_UNLIKELY.
  VxStatus(VXAPI* CanReadFile)(VxPaletteReader* self, const char* path);
  VxStatus(VXAPI* GetDescription)(VxPaletteReader* self, char* buffer, uint32_t size);
  // Extension list such as "*.act;*.pal".
  VxStatus(VXAPI* GetExtensions)(VxPaletteReader* self, char* buffer, uint32_t size);
  VxStatus(VXAPI* ReadFile)(VxPaletteReader* self, const char* path, VxImageSource** out);
};
struct VxPaletteReader {
  const VxPaletteReaderOps* ops;
};

struct VxReaderRegistry;
struct VxReaderRegistryOps {
  VX_UNKNOWN_OPS(VxReaderRegistry);
  VxStatus(VXAPI* GetReaderCount)(VxReaderRegistry* self, uint32_t category, uint32_t* count);
  VxStatus(VXAPI* GetReader)(VxReaderRegistry* self, uint32_t category, uint32_t index,
                             VxPaletteReader** out);
};
struct VxReaderRegistry {
  const VxReaderRegistryOps* ops;
};

struct VxPathService;
struct VxPathServiceOps {
  VX_UNKNOWN_OPS(VxPathService);
  // A path whose last component the palette folder replaces; fails when the
  // host has none.
  VxStatus(VXAPI* GetPath)(VxPathService* self, char* buffer, uint32_t size);
};
struct VxPathService {
  const VxPathServiceOps* ops;
};

// ---------------------------------------------------------------------------
// Tesk32: the host library's user-interface language, imported by ordinal.

constexpr unsigned VX_TESK32_LANGUAGE_ORDINAL = 1262;
enum : int32_t {
  VX_LANGUAGE_JAPANESE = 1,
  VX_LANGUAGE_FRENCH = 2,
  VX_LANGUAGE_GERMAN = 3,  // anything else is English
};
typedef int32_t(VXAPI* VxGetUiLanguageFn)(void);

// ---------------------------------------------------------------------------
// Media utilities: symbols, values and lists.

typedef uint32_t VxSymbol;

// A host value; its contents are the host's. Values a service hands out are
// given back through VxMmValue::Release.
struct VxValue {
  uint32_t type;
  uint32_t reserved;
  uint64_t data;
};
static_assert(sizeof(VxValue) == 16, "a host value is 16 bytes");

struct VxMmList;

// The media-utilities service (CLSID_VxMediaUtils). The same object answers
// IID_VxMmValue and IID_VxMmValueCoercion.
struct VxMediaUtils;
struct VxMediaUtilsOps {
  VX_UNKNOWN_OPS(VxMediaUtils);
  // The symbol named by a text ("String", "getPos"); the same text always
  // gives the same symbol, compared without regard to case.
  VxStatus(VXAPI* SymbolFromText)(VxMediaUtils* self, const char* text, VxSymbol* out);
  // The symbol's name, NUL-terminated, cut to size.
  VxStatus(VXAPI* TextFromSymbol)(VxMediaUtils* self, VxSymbol symbol, char* buffer, uint32_t size);
  // An empty list, reference-counted like every interface.
  VxStatus(VXAPI* CreateList)(VxMediaUtils* self, VxMmList** out);
  // Shows a message to the user (used for untyped exceptions).
  VxStatus(VXAPI* ShowMessage)(VxMediaUtils* self, const char* text);
};
struct VxMediaUtils {
  const VxMediaUtilsOps* ops;
};

// Making and reading values.
struct VxMmValue;
struct VxMmValueOps {
  VX_UNKNOWN_OPS(VxMmValue);
  VxStatus(VXAPI* FromInteger)(VxMmValue* self, int32_t number, VxValue* out);
  // VX_E_MISMATCH when the value is not an integer.
  VxStatus(VXAPI* ToInteger)(VxMmValue* self, const VxValue* value, int32_t* out);
  VxStatus(VXAPI* FromFloat)(VxMmValue* self, double number, VxValue* out);
  VxStatus(VXAPI* ToFloat)(VxMmValue* self, const VxValue* value, double* out);
  // The text is copied into the value.
  VxStatus(VXAPI* FromText)(VxMmValue* self, const char* text, VxValue* out);
  // NUL-terminated, cut to size; VX_E_MISMATCH when the value is not a text.
  VxStatus(VXAPI* ToText)(VxMmValue* self, const VxValue* value, char* buffer, uint32_t size);
  VxStatus(VXAPI* FromSymbol)(VxMmValue* self, VxSymbol symbol, VxValue* out);
  VxStatus(VXAPI* ToSymbol)(VxMmValue* self, const VxValue* value, VxSymbol* out);
  // Gives back what the value holds and leaves it void.
  VxStatus(VXAPI* ReleaseValue)(VxMmValue* self, VxValue* value);
};
struct VxMmValue {
  const VxMmValueOps* ops;
};

// Converting a value to the kind a symbol names: "Integer", "Float",
// "String" or "Value" (the value as it is). VX_E_MISMATCH when the value
// does not convert (the text "abc" as an integer).
struct VxMmValueCoercion;
struct VxMmValueCoercionOps {
  VX_UNKNOWN_OPS(VxMmValueCoercion);
  VxStatus(VXAPI* Coerce)(VxMmValueCoercion* self, const VxValue* value, VxSymbol kind,
                          VxValue* out);
};
struct VxMmValueCoercion {
  const VxMmValueCoercionOps* ops;
};

// A host list, driven by operations named by symbol: "deleteAt" (1-based
// position), "getPos" (a value: its 1-based position, 0 when absent),
// "append" (a value), "getAt" (position), "count". The result is a new
// value (void for operations without an answer).
struct VxMmList;
struct VxMmListOps {
  VX_UNKNOWN_OPS(VxMmList);
  VxStatus(VXAPI* Call)(VxMmList* self, VxSymbol operation, const VxValue* arguments,
                        uint32_t argumentCount, VxValue* result);
};
struct VxMmList {
  const VxMmListOps* ops;
};

// The same list seen as a plain sequence (query-interface IID_VxMmLinearList
// on a VxMmList).
struct VxMmLinearList;
struct VxMmLinearListOps {
  VX_UNKNOWN_OPS(VxMmLinearList);
  VxStatus(VXAPI* Count)(VxMmLinearList* self, int32_t* count);
  // A copy of the entry at the 1-based position.
  VxStatus(VXAPI* GetAt)(VxMmLinearList* self, int32_t position, VxValue* out);
  VxStatus(VXAPI* Append)(VxMmLinearList* self, const VxValue* value);
};
struct VxMmLinearList {
  const VxMmLinearListOps* ops;
};

// ---------------------------------------------------------------------------
// Help, address input, sprite view.

struct VxHelpService;
struct VxHelpServiceOps {
  VX_UNKNOWN_OPS(VxHelpService);
  VxStatus(VXAPI* ShowTopic)(VxHelpService* self, int32_t topic);
};
struct VxHelpService {
  const VxHelpServiceOps* ops;
};

constexpr uint32_t VX_ADDRESS_MAX_CHARS = 1024;

struct VxAddressDialog;
struct VxAddressDialogOps {
  VX_UNKNOWN_OPS(VxAddressDialog);
  // Shows the address-input dialog starting with buffer's text; the answer
  // replaces it. VX_E_CANCELLED when the user cancels.
  VxStatus(VXAPI* AskAddress)(VxAddressDialog* self, void* parentWindow, char* buffer,
                              uint32_t size);
};
struct VxAddressDialog {
  const VxAddressDialogOps* ops;
};

struct VxAsset;
struct VxAssetOptions;

// A drawing context the host hands to a plug-in's painting operations.
enum : uint32_t {
  VX_DRAWING_WIN32 = 1,  // `handle` is a Win32 device context (HDC)
};
struct VxDrawingContext {
  uint32_t kind;  // VX_DRAWING_*
  void* handle;
};

// The preview of an asset's media in a dialog. The view draws the media's
// current frame; the asset's player moves it on. A client, when given, places
// the picture in the view (its fit-preview operation) and paints the view's
// background (its paint-background operation).
struct VxSpriteView;
struct VxSpriteViewOps {
  VX_UNKNOWN_OPS(VxSpriteView);
  // Shows the asset's media in a view of width x height pixels.
  VxStatus(VXAPI* ShowMedia)(VxSpriteView* self, VxAsset* asset, int32_t width, int32_t height);
  // Draws again, after the asset's media or frame changed.
  VxStatus(VXAPI* Refresh)(VxSpriteView* self);
  // Client may be null (then the picture is centred, scaled down to fit, on
  // white). Not add-referenced: the client outlives the view's dialog.
  VxStatus(VXAPI* SetClient)(VxSpriteView* self, VxAssetOptions* client);
  // The dialog builder hands the view the window it placed for the preview:
  // the view draws in it from then on (until the window is destroyed).
  VxStatus(VXAPI* AttachWindow)(VxSpriteView* self, void* window);
};
struct VxSpriteView {
  const VxSpriteViewOps* ops;
};

// The host is told before and after a plug-in shows a system dialog (such as
// the open-file dialog), so that it can keep its own windows out of the way.
struct VxSystemDialogNotices;
struct VxSystemDialogNoticesOps {
  VX_UNKNOWN_OPS(VxSystemDialogNotices);
  VxStatus(VXAPI* BeforeSystemDialog)(VxSystemDialogNotices* self);
  VxStatus(VXAPI* AfterSystemDialog)(VxSystemDialogNotices* self);
};
struct VxSystemDialogNotices {
  const VxSystemDialogNoticesOps* ops;
};

// ---------------------------------------------------------------------------
// The calling asset and its player.

struct VxPlayer;
struct VxPlayerOps {
  VX_UNKNOWN_OPS(VxPlayer);
  VxStatus(VXAPI* Play)(VxPlayer* self);
  VxStatus(VXAPI* Stop)(VxPlayer* self);
  VxStatus(VXAPI* Reset)(VxPlayer* self);
};
struct VxPlayer {
  const VxPlayerOps* ops;
};

// Roles of the asset properties; the asset turns a role into its own
// property identifier.
enum : uint32_t {
  VX_ASSET_PROP_FILE_NAME = 1,        // text
  VX_ASSET_PROP_LINKED = 2,           // integer 0/1
  VX_ASSET_PROP_DIRECT_TO_STAGE = 3,  // integer 0/1
  VX_ASSET_PROP_PLAYBACK_MODE = 4,    // symbol: normal, fixed, lock-step
  VX_ASSET_PROP_FIXED_TEMPO = 5,      // integer frames per second
};

constexpr uint32_t VX_ASSET_INFO_SIZE = 1068;
constexpr uint32_t VX_ASSET_NAME_CHARS = 1024;  // a file name or address, with its NUL

// The asset's information block: what an asset is made of when a dialog
// starts, so that Cancel can put it back.
struct VxAssetInfo {
  uint32_t version;        // VX_ASSET_INFO_VERSION
  uint32_t linked;         // 0/1
  uint32_t directToStage;  // 0/1
  VxSymbol playbackMode;
  int32_t fixedTempo;
  int32_t width;  // of the media, 0 when it could not be read
  int32_t height;
  int32_t frameCount;
  uint32_t reserved[3];
  char fileName[VX_ASSET_NAME_CHARS];  // file name or address, NUL-terminated
};
constexpr uint32_t VX_ASSET_INFO_VERSION = 1;
static_assert(sizeof(VxAssetInfo) == VX_ASSET_INFO_SIZE, "the information block is 1068 bytes");
static_assert(offsetof(VxAssetInfo, fileName) == 44, "the name follows eleven words");

struct VxAssetOps {
  VX_UNKNOWN_OPS(VxAsset);
  VxStatus(VXAPI* GetPropertyId)(VxAsset* self, uint32_t role, VxSymbol* out);
  VxStatus(VXAPI* GetProperty)(VxAsset* self, VxSymbol id, VxValue* out);
  VxStatus(VXAPI* SetProperty)(VxAsset* self, VxSymbol id, const VxValue* value);
  VxStatus(VXAPI* GetMediaSize)(VxAsset* self, int32_t* width, int32_t* height);
  VxStatus(VXAPI* GetFrameCount)(VxAsset* self, int32_t* count);
  VxStatus(VXAPI* GetPlayer)(VxAsset* self, VxPlayer** out);
  VxStatus(VXAPI* GetInfo)(VxAsset* self, void* block);        // VX_ASSET_INFO_SIZE bytes
  VxStatus(VXAPI* SetInfo)(VxAsset* self, const void* block);  // VX_ASSET_INFO_SIZE bytes
};
struct VxAsset {
  const VxAssetOps* ops;
};

// ---------------------------------------------------------------------------
// Dialog builder (prefix Zep).

// Window record handed over with the item list.
struct ZepWindowRecord {
  const char* title;
  int32_t width;    // 400
  int32_t height;   // 400
  int32_t margin;   // 40
  int32_t spacing;  // 2
  int32_t flags;    // 0
  int32_t modal;    // 1
};

// Widget codes of the builder's property records.
enum : int32_t {
  ZEP_WIDGET_VDIVIDER = 1,
  ZEP_WIDGET_HDIVIDER = 3,
  ZEP_WIDGET_PREVIEW = 6,
  ZEP_WIDGET_CHECKBOX = 10,
  ZEP_WIDGET_POPUP = 20,
  ZEP_WIDGET_EDIT = 40,
  ZEP_WIDGET_WINDOW_BEGIN = 50,
  ZEP_WIDGET_WINDOW_END = 51,
  ZEP_WIDGET_HGROUP_BEGIN = 52,
  ZEP_WIDGET_HGROUP_END = 53,
  ZEP_WIDGET_VGROUP_BEGIN = 54,
  ZEP_WIDGET_VGROUP_END = 55,
  ZEP_WIDGET_LABEL = 70,
  ZEP_WIDGET_DEFAULT_BUTTON = 130,
  ZEP_WIDGET_BUTTON = 131,
  ZEP_WIDGET_CANCEL_BUTTON = 132,
  ZEP_WIDGET_TOGGLE_BUTTON = 133,
};

// Text styles of a property record.
enum : int32_t {
  ZEP_TEXT_SMALL = 9,  // second style: the smaller type of information lines
  ZEP_TEXT_LEFT = 15,
  ZEP_TEXT_RIGHT = 16,
  ZEP_TEXT_CENTRED = 17,
};

enum : uint32_t {
  ZEP_PROP_ENABLED = 1,
};

// One item's properties as the builder reads them. The plug-in owns the
// records and every text they point at for as long as the window lives; the
// builder reads them when the dialog starts and when an item is refreshed.
// Sizes are dialog units.
struct ZepPropertyRecord {
  int32_t widget;          // ZEP_WIDGET_*
  const char* titleField;  // "title": the field the text is shown from
  const char* tipField;    // "tip"
  const char* title;       // the text, in the code page of the host's language; may be null
  const char* tip;         // may be null
  int32_t width;           // 0: the builder's own size
  int32_t height;
  uint32_t flags;      // ZEP_PROP_*
  int32_t textStyle;   // ZEP_TEXT_LEFT, _RIGHT, _CENTRED; 0: the widget's own
  int32_t textStyle2;  // ZEP_TEXT_SMALL or 0
  VxMmList* list;      // a pop-up's entries (text values); not owned by the builder
  // A preview view's sprite view (ZEP_WIDGET_PREVIEW): the builder hands it
  // the preview's window (VxSpriteView::AttachWindow). Not owned by the
  // builder.
  VxSpriteView* view;
  int32_t reserved;
};

enum : int32_t {
  ZEP_EVENT_ITEM_CHANGED = 1,
  ZEP_EVENT_ITEM_CLICKED = 2,
};

// What the builder passes to a callback's notify operation, with the source
// CLSID_ZepDialogBuilder and the builder window as data.
struct ZepEvent {
  int32_t type;  // ZEP_EVENT_*
  int32_t item;  // item index
};

struct ZepBuilderWindow;
struct ZepBuilderWindowOps {
  VX_UNKNOWN_OPS(ZepBuilderWindow);
  // callback: an interface object answering IID_VxOptionsDialog, add-referenced
  // for as long as the window lives; properties: one ZepPropertyRecord per item.
  VxStatus(VXAPI* Attach)(ZepBuilderWindow* self, VxUnknown* callback, void* properties);
  // Lays out and shows the dialog over the first itemCount records and runs
  // it until EndModal or until the user closes it (then the cancel button's
  // item, or -1 when there is none). The item that ended it goes in
  // *resultItem.
  VxStatus(VXAPI* RunModal)(ZepBuilderWindow* self, int32_t itemCount, int32_t* resultItem);
  // Reads the item's record again (text, enabled flag, size) and shows its
  // value as last set.
  VxStatus(VXAPI* RefreshItem)(ZepBuilderWindow* self, int32_t item);
  // The dialog's window (an HWND), null while it is not running.
  VxStatus(VXAPI* GetWindowHandle)(ZepBuilderWindow* self, void** window);
  // The item's current value as the kind a symbol names ("String",
  // "Integer", "Float", "Value"): an edit's text, a check box's state (0/1),
  // a pop-up's chosen text. VX_E_MISMATCH when it does not convert.
  VxStatus(VXAPI* GetItemValue)(ZepBuilderWindow* self, int32_t item, VxSymbol kind, VxValue* out);
  // Sets the value the item shows at its next refresh (a pop-up takes a
  // 1-based position as an integer, or one of its texts).
  VxStatus(VXAPI* SetItemValue)(ZepBuilderWindow* self, int32_t item, VxSymbol kind,
                                const VxValue* value);
  // Ends the modal run with this item as its result.
  VxStatus(VXAPI* EndModal)(ZepBuilderWindow* self, int32_t item);
  // The window of one item (an HWND): the preview view's child window.
  VxStatus(VXAPI* GetItemWindow)(ZepBuilderWindow* self, int32_t item, void** window);
};
struct ZepBuilderWindow {
  const ZepBuilderWindowOps* ops;
};

struct ZepDialogBuilder;
struct ZepDialogBuilderOps {
  VX_UNKNOWN_OPS(ZepDialogBuilder);
  VxStatus(VXAPI* CreateWindow)(ZepDialogBuilder* self, const ZepWindowRecord* record,
                                ZepBuilderWindow** out);
};
struct ZepDialogBuilder {
  const ZepDialogBuilderOps* ops;
};

// The builder's shared resource file: the module whose resources the
// builder's texts come from (the host opens it like a plug-in's).
struct ZepCommonFile;
struct ZepCommonFileOps {
  VX_UNKNOWN_OPS(ZepCommonFile);
  VxStatus(VXAPI* GetModule)(ZepCommonFile* self, void** module);
};
struct ZepCommonFile {
  const ZepCommonFileOps* ops;
};

// ---------------------------------------------------------------------------
// Interfaces our plug-ins hand out, as the host calls them. The host sees
// only the operation table; every interface object starts with the three
// words of VxInterfaceObject, and Palvex's objects are no more than that.

struct VxInterfaceObject {
  const void* ops;
  VxInstance* owner;  // not owned: add-referenced and released per reference
  uint32_t refCount;
};

namespace gif {
struct PaletteSpec;  // plugin/gifwriter/encoder/PaletteSpec.h: 2068 bytes
}

// Palvex, interface 1: the file-format description. Only the three common
// operations.
struct VxFileFormat;
struct VxFileFormatOps {
  VX_UNKNOWN_OPS(VxFileFormat);
};
struct VxFileFormat {
  const VxFileFormatOps* ops;
};

// Palvex, interface 2: export options.
struct VxExportOptions;
struct VxExportOptionsOps {
  VX_UNKNOWN_OPS(VxExportOptions);
  VxStatus(VXAPI* GetOptionsSupport)(VxExportOptions* self, int32_t* out);           // 1
  VxStatus(VXAPI* GetReceptorId)(VxExportOptions* self, int32_t flag, VxGuid* out);  // 2
  VxStatus(VXAPI* SetImageSource)(VxExportOptions* self, VxImageSource* source);     // 3
  VxStatus(VXAPI* ReadOptions)(VxExportOptions* self, VxDictionary* dictionary);     // 4
  VxStatus(VXAPI* WriteOptions)(VxExportOptions* self, VxDictionary** dictionary);   // 5
  VxStatus(VXAPI* WriteDefaults)(VxExportOptions* self, VxDictionary** dictionary);  // 6
  VxStatus(VXAPI* RunOptionsDialog)(VxExportOptions* self, void* parentWindow,       // 7
                                    VxDictionary** dictionary);
  VxStatus(VXAPI* GetReserved)(VxExportOptions* self, int32_t* out);                   // 8
  VxStatus(VXAPI* ExportToFile)(VxExportOptions* self, const VxExportTarget* target);  // 9
  VxStatus(VXAPI* ExportToStream)(VxExportOptions* self, VxStream* stream);            // 10
};
struct VxExportOptions {
  const VxExportOptionsOps* ops;
};

// Palvex, interface 3: receives an image from a host image source.
struct VxPixelReceptor;
struct VxPixelReceptorOps {
  VX_UNKNOWN_OPS(VxPixelReceptor);
  VxStatus(VXAPI* Reserved1)(VxPixelReceptor* self, void* anything);  // returns 0
  VxStatus(VXAPI* Reserved2)(VxPixelReceptor* self, void* anything);  // returns 0
  // Chooses a pixel kind from `kinds` (writes it into kinds[0]); `second`
  // must hold a 0 and gets 0 in its first element.
  VxStatus(VXAPI* Negotiate)(VxPixelReceptor* self, int32_t* kinds, uint32_t kindCount,
                             int32_t* second, uint32_t secondCount);
  VxStatus(VXAPI* BeginImage)(VxPixelReceptor* self, const VxImageDesc* desc);
  VxStatus(VXAPI* ReceiveRow)(VxPixelReceptor* self, uint32_t row, const uint8_t* pixels);
  VxStatus(VXAPI* EndImage)(VxPixelReceptor* self);
};
struct VxPixelReceptor {
  const VxPixelReceptorOps* ops;
};

// Palvex, interface 4: sets the module's current palette.
struct VxPaletteSetter;
struct VxPaletteSetterOps {
  VX_UNKNOWN_OPS(VxPaletteSetter);
  VxStatus(VXAPI* Reserved1)(VxPaletteSetter* self, void* anything);  // returns 0
  VxStatus(VXAPI* SetPalette)(VxPaletteSetter* self, const gif::PaletteSpec* palette);
  VxStatus(VXAPI* Reserved2)(VxPaletteSetter* self, void* anything);  // returns 0
};
struct VxPaletteSetter {
  const VxPaletteSetterOps* ops;
};

// Palvex, interface 5: registration of the file format with the host.
struct VxRegistration;
struct VxRegistrationOps {
  VX_UNKNOWN_OPS(VxRegistration);
  VxStatus(VXAPI* Register)(VxRegistration* self, VxRegistryCache* cache, void* context);
};
struct VxRegistration {
  const VxRegistrationOps* ops;
};

// Kinetra, interface 1: asset options.
struct VxAssetOptions;
struct VxAssetOptionsOps {
  VX_UNKNOWN_OPS(VxAssetOptions);
  VxStatus(VXAPI* Attach)(VxAssetOptions* self, VxAsset* asset);                    // 1
  VxStatus(VXAPI* ShowDialog)(VxAssetOptions* self, void* hostInfo);                // 2
  VxStatus(VXAPI* Finish)(VxAssetOptions* self, int32_t closing, int32_t* result);  // 3
  VxStatus(VXAPI* FitPreview)(VxAssetOptions* self, int32_t width, int32_t height,  // 4
                              const int32_t* bounds, int32_t* rect);  // left, top, right, bottom
  VxStatus(VXAPI* PaintBackground)(VxAssetOptions* self, int32_t top, int32_t left,  // 5
                                   int32_t bottom, int32_t right, void* drawingContext);
  VxStatus(VXAPI* SetPlaybackMode)(VxAssetOptions* self, int32_t mode);             // 6
  VxStatus(VXAPI* FillItems)(VxAssetOptions* self);                                 // 7
  VxStatus(VXAPI* Reserved8)(VxAssetOptions* self);                                 // 8
  VxStatus(VXAPI* SetItemSize)(VxAssetOptions* self, void* wrapper, int32_t width,  // 9
                               int32_t height);
  VxStatus(VXAPI* SetRecordSize)(VxAssetOptions* self, void* record, int32_t width,  // 10
                                 int32_t height);
  VxStatus(VXAPI* UpdateInfoLines)(VxAssetOptions* self);  // 11
  VxStatus(VXAPI* Revert)(VxAssetOptions* self);           // 12
};
struct VxAssetOptions {
  const VxAssetOptionsOps* ops;
};

// Kinetra, interface 2: the options dialog's callback.
struct VxOptionsDialog;
struct VxOptionsDialogOps {
  VX_UNKNOWN_OPS(VxOptionsDialog);
  VxStatus(VXAPI* Notify)(VxOptionsDialog* self, const VxGuid* source, const ZepEvent* event,
                          void* data);                                  // 1
  VxStatus(VXAPI* Attach)(VxOptionsDialog* self, VxHostCallback* host,  // 2
                          VxAssetOptions* assetOptions);
  VxStatus(VXAPI* ItemChanged)(VxOptionsDialog* self, int32_t item);  // 3
  VxStatus(VXAPI* ItemClicked)(VxOptionsDialog* self, int32_t item);  // 4
  VxStatus(VXAPI* Browse)(VxOptionsDialog* self);                     // 5
  VxStatus(VXAPI* InternetAddress)(VxOptionsDialog* self);            // 6
  VxStatus(VXAPI* ReloadFile)(VxOptionsDialog* self);                 // 7
  VxStatus(VXAPI* StopPreview)(VxOptionsDialog* self);                // 8
  VxStatus(VXAPI* StopPlayer)(VxOptionsDialog* self);                 // 9
  VxStatus(VXAPI* StartPlayer)(VxOptionsDialog* self);                // 10
};
struct VxOptionsDialog {
  const VxOptionsDialogOps* ops;
};

// ---------------------------------------------------------------------------
// The five module exports.

// 40 bytes, little-endian, in memory the host supplies.
struct VxClassInfoRecord {
  VxGuid clsid;
  uint32_t classVersion;
  VxGuid iid;
  uint32_t interfaceVersion;
};
static_assert(sizeof(VxClassInfoRecord) == 40, "a class information record is 40 bytes");

typedef VxStatus(VXAPI* VxInitializer)(VxInstance* instance);
typedef VxStatus(VXAPI* VxFinalizer)(VxInstance* instance);

typedef VxStatus(VXAPI* DllGetClassObjectFn)(const VxGuid* clsid, const VxGuid* iid, void** out);
typedef VxStatus(VXAPI* DllCanUnloadNowFn)(void);
typedef VxStatus(VXAPI* DllGetClassFormFn)(const VxGuid* clsid, uint32_t* instanceSize,
                                           VxInitializer* initializer, VxFinalizer* finalizer);
typedef VxStatus(VXAPI* DllGetInterfaceFn)(VxInstance* instance, const VxGuid* clsid,
                                           const VxGuid* iid, void** out);
typedef VxStatus(VXAPI* DllGetClassInfoFn)(VxAllocator* allocator, VxClassInfoRecord** out);

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(void*) == 4, "32-bit build");
static_assert(sizeof(VxInterfaceObject) == 12, "an interface object header is three words");
static_assert(sizeof(VxInstance) == 12, "the host's part of an instance is three words");
static_assert(sizeof(ZepWindowRecord) == 28, "a builder window record is seven words");
static_assert(sizeof(ZepPropertyRecord) == 52, "a builder property record is 52 bytes");
static_assert(offsetof(ZepPropertyRecord, list) == 40, "property record layout");
static_assert(offsetof(ZepPropertyRecord, view) == 44, "property record layout");
static_assert(sizeof(ZepEvent) == 8, "a builder event is two words");
#endif
