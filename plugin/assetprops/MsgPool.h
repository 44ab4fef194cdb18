// Numbered strings in language sets, and one loaded string.
#pragma once

#include <cstdint>

// Text given when a string is not found.
constexpr const char kStringNotAvailable[] = "** String Not Available! **";
constexpr uint32_t kMsgPoolOwnBufferSize = 257;

class MsgPool {
 public:
  // Sets type 256, then chooses the set from the map (the module's own
  // resources, then the builder's shared ones) and the host's language.
  explicit MsgPool(void* module);
  virtual ~MsgPool();
  MsgPool(const MsgPool&) = delete;
  MsgPool& operator=(const MsgPool&) = delete;

  // The string prefix + number into *buffer (length bytes, zeroed first).
  // Returns 1 when found. Not found: the placeholder text, cut to the
  // buffer, and 0. With grow, a text longer than the buffer replaces
  // *buffer (which must come from new[]) by a new[] block of text length +
  // 1 bytes. Length 0, no buffer, or a prefix of 250 characters or more:
  // 0. A null prefix throws CTavInvalidArgument (0x80040001).
  virtual int GetString(const char* prefix, int number, char** buffer, uint32_t length, bool grow);
  // The same into a fresh own buffer of 257 bytes (length 256), which the
  // pool owns and which the next call replaces.
  virtual char* GetString(const char* prefix, int number, bool grow);

  uint16_t setType() const { return static_cast<uint16_t>(type_); }

 private:
  char* own_ = nullptr;
  void* module_;
  uint32_t type_ = 256;
};

// One string with its length byte: the length for texts up to 253
// characters, 255 for anything longer.
class MMString {
 public:
  // Loaded through a temporary MsgPool of the module's resources, growing
  // allowed.
  MMString(const char* prefix, int number);
  explicit MMString(const char* text);
  ~MMString();
  MMString(const MMString&) = delete;
  MMString& operator=(const MMString&) = delete;

  const char* c_str() const { return data_ + 1; }
  uint8_t lengthByte() const { return static_cast<uint8_t>(data_[0]); }

 private:
  void Store(const char* text);
  char* data_ = nullptr;  // length byte, text, NUL
};

// The prefix of Kinetra's own strings.
constexpr const char kKinetraStrings[] = "CKinetraStrings";
