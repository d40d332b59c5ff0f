// Base of every storable item: a name, a second text, a status, an image number, and the object
// record that begins every item record in a file.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/types.h"

class TvFile;

class TvObject {
 public:
  TvObject() = default;
  virtual ~TvObject() = default;
  TvObject(const TvObject&) = delete;
  TvObject& operator=(const TvObject&) = delete;

  virtual void SetStatus(uint32_t value) { m_dwordStatus = value; }
  virtual uint32_t GetImage() { return m_dwordImage; }
  virtual void SetImage(uint32_t value) { m_dwordImage = value; }
  virtual uint32_t GetType() { return 0; }
  virtual uint32_t GetData() { return 0; }
  virtual void SetData(uint32_t /*value*/) {}

  // The object record: type code, data word, name, second text, status. Each stops at the first
  // failing write or read; fields read before a failure keep their new values. LoadObject drops
  // the type code (the object keeps its class's type) after handing it to typeCode when given.
  TvBool SaveObject(TvFile& file);
  TvBool LoadObject(TvFile& file, uint32_t* typeCode = nullptr);

  // Case-insensitive comparison of m_csName with text.
  bool HasName(const std::string& text) const;

  uint32_t m_dwordStatus = 0;
  std::string m_csName;
  std::string m_csText;
  uint32_t m_dwordImage = 0;
};
