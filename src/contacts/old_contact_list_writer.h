// Builds a 3.0 "ContactList.Users" image from a description. The converter never writes this
// format; the companion tool's sample data and the tests do.
//
// Layout (32-bit little-endian integers, counted strings):
//   version; one more value when version > 1; group count; the groups.
//   group: object record (type, data word, name, second text, status), value, value, counted
//          string, user count, the users.
//   user:  object record, value, flags, counted string, status time, value, value1, value2,
//          text value1, text value2.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TvOldContactUserImage {
  uint32_t type = 2;
  uint32_t data = 0;
  std::string name;
  std::string text;
  uint32_t status = 0;
  uint32_t unused1 = 0;
  uint32_t flags = 0;
  std::string unusedText;
  uint32_t statusTime = 0;
  uint32_t unused2 = 0;
  uint32_t value1 = 0;
  uint32_t value2 = 0;
  std::string textValue1;
  std::string textValue2;
};

struct TvOldContactGroupImage {
  uint32_t type = 1;
  uint32_t data = 0;
  std::string name;
  std::string text;
  uint32_t status = 0;
  uint32_t unused1 = 0;
  uint32_t unused2 = 0;
  std::string unusedText;
  std::optional<uint32_t> userCount;  // written instead of users.size() when set
  std::vector<TvOldContactUserImage> users;
};

struct TvOldContactListImage {
  uint32_t version = 2;
  uint32_t afterVersion = 0;  // written only when version > 1
  std::optional<uint32_t> groupCount;  // written instead of groups.size() when set
  std::vector<TvOldContactGroupImage> groups;
};

std::string EncodeOldContactUser(const TvOldContactUserImage& user);
std::string EncodeOldContactGroup(const TvOldContactGroupImage& group);
std::string EncodeOldContactList(const TvOldContactListImage& list);
