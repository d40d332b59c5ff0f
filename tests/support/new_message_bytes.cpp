#include "support/new_message_bytes.h"

namespace tvtest {

void NewMessageBytes::Put(uint64_t offset, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

NewMessageBytes BuildNewMessage(const std::vector<std::string>& recipients, const std::string& body,
                                const std::vector<std::string>& contents) {
  NewMessageBytes m;
  m.attachmentsAt = 512 + 46 * recipients.size();
  m.bodyAt = m.attachmentsAt + 281 * contents.size();
  m.extraAt = m.bodyAt + body.size();
  m.contentsAt = m.extraAt;
  uint64_t total = 0;
  for (const std::string& c : contents) total += c.size();
  m.bytes.assign(m.contentsAt + total, '\0');

  m.bytes.replace(0, 4, "ZV31");
  m.Put(4, 0x00020004, 4);
  m.Put(8, m.bytes.size(), 8);
  m.Put(16, body.size(), 4);
  m.Put(20, total, 8);
  m.Put(28, contents.size(), 4);
  m.Put(32, 281, 2);
  m.Put(34, recipients.size(), 4);
  m.Put(38, 46, 2);
  m.Put(76, 0x00010000, 4);
  for (size_t i = 0; i < recipients.size(); ++i) {
    const uint64_t at = 512 + 46 * i;
    m.bytes[at + 12] = 1;
    m.bytes.replace(at + 13, recipients[i].size(), recipients[i]);
  }
  uint64_t contentsOffset = m.contentsAt;
  for (size_t i = 0; i < contents.size(); ++i) {
    const uint64_t at = m.attachmentsAt + 281 * i;
    const std::string name = "file" + std::to_string(i + 1) + ".txt";
    m.Put(at + 4, contents[i].size(), 8);
    m.Put(at + 12, contentsOffset, 8);
    m.bytes.replace(at + 20, name.size(), name);
    m.bytes.replace(contentsOffset, contents[i].size(), contents[i]);
    contentsOffset += contents[i].size();
  }
  m.bytes.replace(m.bodyAt, body.size(), body);
  return m;
}

}  // namespace tvtest
