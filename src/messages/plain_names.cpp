#include "messages/plain_names.h"

#include <cctype>

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
