#include "messages/plain_names.h"

#include <cctype>

namespace {

bool IsReservedDeviceName(const std::string& name) {
  // The device name is the part before the first dot, compared without regard to case.
  std::string base = FoldCase(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
      base[3] >= '1' && base[3] <= '9') {
    return true;
  }
  return false;
}

}  // namespace

bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32) return false;
    switch (c) {
      case '\\':
      case '/':
      case ':':
      case '*':
      case '?':
      case '"':
      case '<':
      case '>':
      case '|':
        return false;
      default:
        break;
    }
  }
  if (name.back() == '.' || name.back() == ' ') return false;
  return !IsReservedDeviceName(name);
}

std::string FoldCase(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && FoldCase(a) == FoldCase(b);
}

std::string FallbackAttachmentName(const std::string& storedName, uint32_t index,
                                   uint32_t maxLength) {
  std::string name = "Attachment " + std::to_string(static_cast<uint64_t>(index) + 1);
  size_t dot = storedName.rfind('.');
  if (dot != std::string::npos && dot + 1 < storedName.size()) {
    std::string extension = storedName.substr(dot);
    bool usable = extension.size() <= 9;
    for (size_t i = 1; i < extension.size() && usable; ++i) {
      usable = std::isalnum(static_cast<unsigned char>(extension[i])) != 0;
    }
    if (usable && name.size() + extension.size() <= maxLength) name += extension;
  }
  if (name.size() > maxLength) name.resize(maxLength);
  return name;
}
