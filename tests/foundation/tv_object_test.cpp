#include <gtest/gtest.h>

#include "foundation/coding.h"
#include "foundation/tv_file.h"
#include "foundation/tv_object.h"
#include "platform/fault_injection.h"
#include "platform/system_error.h"
#include "support/fault_sweep.h"
#include "support/scratch_dir.h"

namespace {

// A derived class that keeps a type code and a data word, as the contact items do.
class TypedItem : public TvObject {
 public:
  uint32_t GetType() override { return 2; }
  uint32_t GetData() override { return m_data; }
  void SetData(uint32_t value) override { m_data = value; }
  void SetStatus(uint32_t value) override { m_statusCalls++; TvObject::SetStatus(value); }
  uint32_t m_data = 0;
  int m_statusCalls = 0;
};

std::string Record(uint32_t type, uint32_t data, const std::string& name, const std::string& text,
                   uint32_t status) {
  std::string bytes;
  PutFixed32(&bytes, type);
  PutFixed32(&bytes, data);
  PutCountedString(&bytes, name);
  PutCountedString(&bytes, text);
  PutFixed32(&bytes, status);
  return bytes;
}

class ObjectRecord : public tvtest::ScratchTest {
 protected:
  // Writes bytes as the record file and opens it for reading in `file`.
  void OpenRecord(const std::string& bytes) {
    ASSERT_TRUE(tvtest::WriteWholeFile(path, bytes));
    ASSERT_TRUE(file.Open(path, kModeReadShared));
  }
  std::string path = scratch.File("rec");
  TvFile file{0, 1};
};

TEST_F(ObjectRecord, SavesTheFiveFieldsInOrder) {
  TypedItem item;
  item.m_data = 0x01020304;
  item.m_csName = "Alice";
  item.m_csText = "";
  item.m_dwordStatus = 0xAABBCCDD;
  item.m_dwordImage = 9;  // not saved
  ASSERT_TRUE(file.Open(path, kModeReadWriteCreate));
  EXPECT_TRUE(item.SaveObject(file));
  file.Close();
  EXPECT_EQ(tvtest::ReadWholeFile(path), Record(2, 0x01020304, "Alice", "", 0xAABBCCDD));
}

TEST_F(ObjectRecord, LoadKeepsTheClassTypeAndStoresStatusDirectly) {
  OpenRecord(Record(77, 5, "Bob", "x\\y", 3));
  TypedItem item;
  EXPECT_TRUE(item.LoadObject(file));
  EXPECT_EQ(item.GetType(), 2u);
  EXPECT_EQ(item.m_data, 5u);
  EXPECT_EQ(item.m_csName, "Bob");
  EXPECT_EQ(item.m_csText, "x\\y");
  EXPECT_EQ(item.m_dwordStatus, 3u);
  EXPECT_EQ(item.m_statusCalls, 0);
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ObjectRecord, TruncatedRecordFailsAndKeepsWhatWasRead) {
  std::string bytes = Record(0, 1, "Name", "Second", 4);
  OpenRecord(bytes.substr(0, bytes.size() - 6));  // cut inside the second text
  TvObject object;
  EXPECT_FALSE(object.LoadObject(file));
  EXPECT_EQ(object.m_csName, "Name");
  EXPECT_EQ(object.m_dwordStatus, 0u);
  EXPECT_EQ(ui.boxes.size(), 1u);  // the file reported the short read
}

TEST_F(ObjectRecord, SaveStopsAtTheFirstFailingWrite) {
  TvObject object;
  object.m_csName = "n";
  ASSERT_TRUE(file.Open(path, kModeReadWriteCreate));
  {
    tvtest::ScopedFault fault(platform::FileOp::kWrite, platform::SysError::kDiskFull, 2, true);
    EXPECT_FALSE(object.SaveObject(file));
    EXPECT_EQ(platform::FaultInjector::Count(), 2u);  // no write attempted after the failure
  }
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST(ObjectBase, DefaultsAndVirtuals) {
  TvObject object;
  EXPECT_EQ(object.m_dwordStatus, 0u);
  EXPECT_TRUE(object.m_csName.empty());
  EXPECT_EQ(object.GetType(), 0u);
  EXPECT_EQ(object.GetData(), 0u);
  object.SetData(7);
  EXPECT_EQ(object.GetData(), 0u);
  object.SetImage(3);
  EXPECT_EQ(object.GetImage(), 3u);
  object.SetStatus(12);
  EXPECT_EQ(object.m_dwordStatus, 12u);
}

TEST(ObjectBase, HasNameIgnoresCaseOnly) {
  TvObject object;
  object.m_csName = "Sent Items";
  EXPECT_TRUE(object.HasName("sent items"));
  EXPECT_TRUE(object.HasName("SENT ITEMS"));
  EXPECT_FALSE(object.HasName("Sent Item"));
  EXPECT_FALSE(object.HasName("Sent_Items"));
  object.m_csName = "";
  EXPECT_TRUE(object.HasName(""));
}

}  // namespace
