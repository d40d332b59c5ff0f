#include "foundation/tv_object.h"

#include "foundation/tv_file.h"
#include "platform/text.h"

TvBool TvObject::SaveObject(TvFile& file) {
  if (!file.WriteUInt32(GetType())) return 0;
  if (!file.WriteUInt32(GetData())) return 0;
  if (!file.WriteString(m_csName)) return 0;
  if (!file.WriteString(m_csText)) return 0;
  return file.WriteUInt32(m_dwordStatus);
}

TvBool TvObject::LoadObject(TvFile& file, uint32_t* typeCode) {
  uint32_t type = 0;
  if (!file.ReadUInt32(type)) return 0;
  if (typeCode != nullptr) *typeCode = type;
  uint32_t data = 0;
  if (!file.ReadUInt32(data)) return 0;
  SetData(data);
  if (!file.ReadString(m_csName)) return 0;
  if (!file.ReadString(m_csText)) return 0;
  return file.ReadUInt32(m_dwordStatus);
}

bool TvObject::HasName(const std::string& text) const {
  return platform::EqualNoCase(m_csName, text);
}
