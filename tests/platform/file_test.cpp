#include <gtest/gtest.h>

#include <map>

#include "platform/fault_injection.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/flush_method.h"
#include "platform/system_error.h"
#include "support/scratch_dir.h"

namespace {

using namespace platform;

// Closes a handle at the end of a test, whatever happens.
class Handle {
 public:
  explicit Handle(FileHandle h) : m_h(h) {}
  ~Handle() {
    if (m_h != kInvalidFile) CloseFile(m_h);
  }
  FileHandle get() const { return m_h; }
  bool valid() const { return m_h != kInvalidFile; }

 private:
  FileHandle m_h;
};

class OpenModes : public tvtest::ScratchTest {
 protected:
  std::string path = scratch.File("shared.bin");
  void SetUp() override { ASSERT_TRUE(tvtest::WriteWholeFile(path, "contents")); }
  bool Refused(uint32_t mode) {
    Handle h(OpenFile(path, mode));
    if (h.valid()) return false;
    EXPECT_EQ(LastError(), ErrorCode(SysError::kSharingViolation)) << std::hex << mode;
    return true;
  }
};

TEST_F(OpenModes, NoSharingRefusesEveryOtherOpen) {
  for (uint32_t held :
       {kOpenReadWrite | kOpenCreate | kOpenKeepContents,
        kOpenReadWrite | kOpenExclusive | kOpenCreate | kOpenKeepContents, kOpenReadWrite,
        kOpenReadWrite | 0x50u, kOpenReadWrite | 0x60u, kOpenReadWrite | 0x70u}) {
    Handle first(OpenFile(path, held));
    ASSERT_TRUE(first.valid()) << std::hex << held;
    EXPECT_TRUE(Refused(kOpenRead)) << std::hex << held;  // read
    EXPECT_TRUE(Refused(kOpenWrite | kOpenShareReadWrite))
        << std::hex << held;  // write, sharing everything
    EXPECT_TRUE(Refused(kOpenRead | kOpenShareRead | kOpenKeepContents)) << std::hex << held;
  }
}

TEST_F(OpenModes, ReadSharingAdmitsReadersOnly) {
  Handle first(
      OpenFile(path, kOpenRead | kOpenShareRead | kOpenKeepContents));  // read, others may read
  ASSERT_TRUE(first.valid());
  Handle second(OpenFile(path, kOpenRead | kOpenShareRead | kOpenKeepContents));
  EXPECT_TRUE(second.valid());
  EXPECT_TRUE(Refused(kOpenReadWrite | kOpenShareReadWrite));  // read-write
  EXPECT_TRUE(Refused(kOpenWrite | kOpenShareReadWrite));      // write only
  EXPECT_TRUE(Refused(kOpenRead));  // a reader that does not share reading back
}

TEST_F(OpenModes, RefusedCreateDoesNotTruncate) {
  Handle first(OpenFile(path, kOpenRead | kOpenShareRead | kOpenKeepContents));
  ASSERT_TRUE(first.valid());
  EXPECT_TRUE(Refused(kOpenReadWrite | kOpenCreate));
  EXPECT_EQ(tvtest::ReadWholeFile(path), "contents");
}

TEST_F(OpenModes, WriteSharingAndFullSharing) {
  Handle writer(OpenFile(path, kOpenWrite | kOpenShareWrite));  // write, others may write
  ASSERT_TRUE(writer.valid());
  Handle other(OpenFile(path, kOpenWrite | kOpenShareWrite));
  EXPECT_TRUE(other.valid());
  EXPECT_TRUE(
      Refused(kOpenRead | kOpenShareReadWrite));  // a reader is refused: reading is not shared
  Handle all1(OpenFile(scratch.File("other"), kOpenReadWrite | kOpenShareReadWrite | kOpenCreate));
  ASSERT_TRUE(all1.valid());
  Handle all2(OpenFile(scratch.File("other"), kOpenReadWrite | kOpenShareReadWrite));
  EXPECT_TRUE(all2.valid());
}

TEST_F(OpenModes, NoAccessRequestedTakesNoPartInSharing) {
  Handle exclusive(OpenFile(path, kOpenReadWrite));
  ASSERT_TRUE(exclusive.valid());
  Handle query(OpenFile(path, kOpenNoAccess));
  EXPECT_TRUE(query.valid());
  uint32_t done = 0;
  char c;
  EXPECT_FALSE(ReadFile(query.get(), &c, 1, &done));  // and it cannot read
}

TEST_F(OpenModes, ClosingReleasesTheSharingLock) {
  {
    Handle first(OpenFile(path, kOpenReadWrite | kOpenCreate | kOpenKeepContents));
    ASSERT_TRUE(first.valid());
  }
  Handle second(OpenFile(path, kOpenReadWrite | kOpenCreate | kOpenKeepContents));
  EXPECT_TRUE(second.valid());
}

TEST_F(OpenModes, DirectoryIsNoFile) {
  Handle h(OpenFile(scratch.MakeDir("d"), kOpenRead));
  EXPECT_FALSE(h.valid());
  EXPECT_NE(LastError(), 0u);
}

TEST_F(OpenModes, MissingFileWithoutCreate) {
  Handle h(OpenFile(scratch.File("missing"), kOpenReadWrite | kOpenKeepContents));
  EXPECT_FALSE(h.valid());
  EXPECT_EQ(LastError(), ErrorCode(SysError::kFileNotFound));
  Handle parent(
      OpenFile(scratch.File("missing") + kPathSeparator + "x", kOpenReadWrite | kOpenCreate));
  EXPECT_FALSE(parent.valid());
}

TEST_F(OpenModes, ReadWriteSeekSizeFlush) {
  Handle h(OpenFile(scratch.File("rw"), kOpenReadWrite | kOpenCreate));
  ASSERT_TRUE(h.valid());
  uint32_t done = 0;
  EXPECT_TRUE(WriteFile(h.get(), "0123456789", 10, &done));
  EXPECT_EQ(done, 10u);
  uint64_t size = 0;
  EXPECT_TRUE(FileSize(h.get(), &size));
  EXPECT_EQ(size, 10u);
  uint64_t where = 0;
  EXPECT_TRUE(SeekFile(h.get(), -4, kFromEnd, &where));
  EXPECT_EQ(where, 6u);
  char buffer[8] = {};
  EXPECT_TRUE(ReadFile(h.get(), buffer, 8, &done));
  EXPECT_EQ(done, 4u);  // a short count at the end is no error
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_TRUE(ReadFile(h.get(), buffer, 8, &done));
  EXPECT_EQ(done, 0u);
  EXPECT_FALSE(SeekFile(h.get(), -11, kFromEnd, &where));
  EXPECT_NE(LastError(), 0u);
  EXPECT_TRUE(SeekFile(h.get(), 0, kFromCurrent, &where));
  EXPECT_EQ(where, 10u);  // the refused move left the position alone
  EXPECT_TRUE(SeekFile(h.get(), 5, kFromEnd, &where));  // past the end is allowed
  EXPECT_EQ(where, 15u);
  EXPECT_TRUE(FlushFile(h.get()));
}

TEST_F(OpenModes, OperationsOnAnInvalidHandleFail) {
  uint32_t done = 7;
  char c;
  uint64_t size;
  EXPECT_FALSE(ReadFile(kInvalidFile, &c, 1, &done));
  EXPECT_EQ(done, 0u);
  EXPECT_FALSE(WriteFile(kInvalidFile, "x", 1, &done));
  EXPECT_FALSE(FileSize(kInvalidFile, &size));
  EXPECT_FALSE(CloseFile(kInvalidFile));
  EXPECT_NE(LastError(), 0u);
}

// syncfs only where it is known to write back our files and report their errors: a local disk
// file system we name, on Linux 5.8 or later. Anything else, or a release that cannot be read,
// flushes each file.
TEST(FlushMethodChoice, SyncfsOnlyOnNamedLocalFileSystemsOfLinux58OrLater) {
  constexpr FlushMethod kEach = FlushMethod::kEachFile;
  constexpr FlushMethod kWhole = FlushMethod::kWholeFileSystem;
  struct Row {
    uint64_t type;
    const char* release;
    FlushMethod method;
  };
  const Row rows[] = {
      {kExt4Type, "6.1.0-13-amd64", kWhole}, {kXfsType, "5.8.0", kWhole},
      {kBtrfsType, "5.15.0-91-generic", kWhole}, {kTmpfsType, "6.18.44-fc-v1300", kWhole},
      {kExt4Type, "5.7.19", kEach},          {kXfsType, "4.19.0-26-amd64", kEach},
      {kExt4Type, "", kEach},                {kExt4Type, "6", kEach},
      {kExt4Type, "v6.1", kEach},            {kFuseType, "6.1.0", kEach},
      {kNfsType, "6.1.0", kEach},            {kCifsType, "6.1.0", kEach},
      {kSmb2Type, "6.1.0", kEach},           {kOverlayType, "6.1.0", kEach},
      {0x4d44 /* vfat */, "6.1.0", kEach},   {0, "6.1.0", kEach},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ChooseFlushMethod(row.type, row.release), row.method)
        << std::hex << row.type << " " << row.release;
  }
}

// FlushFiles takes the method of the file system it sees (forced here through the seam): on
// FUSE each file gets a flush of its own, on a local disk one syncfs serves all (Windows always
// flushes each file). Either way every file passes the injector as a flush.
TEST_F(OpenModes, FlushFilesFollowsTheFileSystemsMethod) {
  std::vector<Handle> files;
  files.reserve(3);  // a Handle closes its file when it goes: none may be moved
  std::vector<FileHandle> handles;
  for (const char* name : {"a", "b", "c"}) {
    files.emplace_back(OpenFile(scratch.File(name), kOpenReadWrite | kOpenCreate));
    ASSERT_TRUE(files.back().valid());
    uint32_t done = 0;
    ASSERT_TRUE(WriteFile(files.back().get(), name, 1, &done));
    handles.push_back(files.back().get());
  }
  struct Restore {
    ~Restore() {
      OverrideFileSystemType(0);
      FaultInjector::SetObserver(nullptr);
    }
  } restore;
  for (uint64_t type : {kFuseType, kExt4Type}) {
    SCOPED_TRACE(type);
    std::map<std::string, int> flushes;
    FaultInjector::SetObserver([&](FileOp op, const std::string& file, FileHandle) {
      if (op == FileOp::kFlush) ++flushes[file];
    });
    OverrideFileSystemType(type);
    const FlushCounts before = FlushCountsSoFar();
    uint32_t errors[3] = {1, 1, 1};
    EXPECT_TRUE(FlushFiles(handles.data(), handles.size(), errors));
    EXPECT_EQ(errors[0] + errors[1] + errors[2], 0u);
    const FlushCounts after = FlushCountsSoFar();
#ifdef _WIN32
    const bool eachFile = true;
#else
    const bool eachFile = ChooseFlushMethod(type, KernelRelease()) == FlushMethod::kEachFile;
#endif
    EXPECT_EQ(after.filesFlushed - before.filesFlushed, eachFile ? 3u : 0u);
    EXPECT_EQ(after.fileSystemsSynced - before.fileSystemsSynced, eachFile ? 0u : 1u);
    EXPECT_EQ(flushes, (std::map<std::string, int>{
                           {scratch.File("a"), 1}, {scratch.File("b"), 1}, {scratch.File("c"), 1}}));
  }
}

}  // namespace
