#include "support/new_contacts_reader.h"

#include <utility>

namespace contacts_support {

namespace {

// A cursor over a byte string that fails, instead of reading past the end.
class ByteReader {
 public:
  explicit ByteReader(const std::string& bytes) : m_bytes(bytes) {}

  bool U32(uint32_t* value, const char* what) {
    if (m_bytes.size() - m_pos < 4) return Fail(what);
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(m_bytes[m_pos + i]);
    m_pos += 4;
    *value = v;
    return true;
  }
  bool Text(std::string* text, const char* what) {
    uint32_t n = 0;
    if (!U32(&n, what)) return false;
    if (m_bytes.size() - m_pos < n) return Fail(what);
    text->assign(m_bytes, m_pos, n);
    m_pos += n;
    return true;
  }
  bool Zeros(size_t count, const char* what) {
    if (m_bytes.size() - m_pos < count) return Fail(what);
    for (size_t i = 0; i < count; ++i) {
      if (m_bytes[m_pos + i] != 0) return Fail(what, "is not zero");
    }
    m_pos += count;
    return true;
  }
  bool AtEnd() {
    if (m_pos == m_bytes.size()) return true;
    m_error = std::to_string(m_bytes.size() - m_pos) + " bytes left after the last record";
    return false;
  }
  bool Fail(const char* what, const char* why = "is cut short") {
    m_error = std::string(what) + " at offset " + std::to_string(m_pos) + " " + why;
    return false;
  }
  const std::string& Error() const { return m_error; }

 private:
  const std::string& m_bytes;
  size_t m_pos = 0;
  std::string m_error;
};

bool ParseItemPart(ByteReader& in, NewContactItem* item) {
  return in.U32(&item->type, "type code") && in.U32(&item->data, "data word") &&
         in.Text(&item->name, "name") && in.Text(&item->text, "second text") &&
         in.U32(&item->status, "status") && in.U32(&item->flags, "flags") &&
         in.Text(&item->itemText, "item text") && in.Zeros(8, "item reserved block");
}

bool ParseItem(ByteReader& in, NewContactItem* item, int depth) {
  if (depth > 1000) return in.Fail("group", "nests too deep");
  if (!ParseItemPart(in, item)) return false;
  if (item->type == 1) {
    uint32_t count = 0;
    if (!in.U32(&count, "child count") || !in.Zeros(32, "group reserved block")) return false;
    for (uint32_t i = 0; i < count; ++i) {
      NewContactItem child;
      if (!in.U32(&child.precedingType, "child type code") ||
          !in.Text(&child.pathText, "child path text")) {
        return false;
      }
      if (!ParseItem(in, &child, depth + 1)) return false;
      if (child.type != child.precedingType) return in.Fail("child type code", "differs");
      item->children.push_back(std::move(child));
    }
    return true;
  }
  if (item->type == 2) {
    return in.Zeros(32, "user reserved block") && in.U32(&item->value1, "value1") &&
           in.U32(&item->value2, "value2") && in.Text(&item->textValue1, "text value1") &&
           in.Text(&item->textValue2, "text value2");
  }
  return in.Fail("type code", "is neither 1 nor 2");
}

}  // namespace

bool ParseContactsList(const std::string& bytes, NewContactsFile* out, std::string* error) {
  ByteReader in(bytes);
  bool ok = in.U32(&out->version, "version") && in.U32(&out->reserved, "reserved word") &&
            ParseItem(in, &out->root, 0) && in.AtEnd();
  if (!ok) *error = in.Error();
  return ok;
}

bool ParseTextMessages(const std::string& bytes, TvTextMessagesImage* out, std::string* error) {
  ByteReader in(bytes);
  uint32_t count = 0;
  bool ok = in.U32(&out->headerWord, "header word") &&
            in.U32(&out->headerValue, "header value") && in.U32(&count, "item count");
  out->count = count;
  for (uint32_t i = 0; ok && i < count; ++i) {
    TvTextMessageImage item;
    ok = in.U32(&item.type, "type code") && in.U32(&item.data, "data word") &&
         in.Text(&item.name, "name") && in.Text(&item.text, "second text") &&
         in.U32(&item.status, "status") && in.U32(&item.trailing, "trailing value");
    if (ok) out->items.push_back(std::move(item));
  }
  ok = ok && in.AtEnd();
  if (!ok) *error = in.Error();
  return ok;
}

}  // namespace contacts_support
