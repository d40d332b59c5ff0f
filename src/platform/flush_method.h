// How new files are made durable on the file system that holds them.
//
// syncfs puts every file of a file system on stable storage in one call, but it is sound only
// where the file system writes our files back on it and the kernel reports their write-back
// errors through it (Linux 5.8 and later): on a local disk file system we name. A FUSE server
// may never hear of it, a network file system may keep data it has not committed to the server,
// and an older kernel returns success after a failed write-back. Everywhere else each file is
// flushed on its own (fdatasync; FlushFileBuffers on Windows, which always flushes per file).
#pragma once

#include <cstdint>
#include <string>

namespace platform {

enum class FlushMethod {
  kEachFile,         // one flush per file
  kWholeFileSystem,  // one syncfs for all the files on the file system
};

// statfs f_type values this choice knows by name.
inline constexpr uint64_t kExt4Type = 0xEF53;  // also ext2 and ext3
inline constexpr uint64_t kXfsType = 0x58465342;
inline constexpr uint64_t kBtrfsType = 0x9123683E;
inline constexpr uint64_t kTmpfsType = 0x01021994;
inline constexpr uint64_t kFuseType = 0x65735546;
inline constexpr uint64_t kNfsType = 0x6969;
inline constexpr uint64_t kCifsType = 0xFF534D42;
inline constexpr uint64_t kSmb2Type = 0xFE534D42;
inline constexpr uint64_t kOverlayType = 0x794C7630;

// The method for a file system of this statfs type on a kernel of this release (uname's
// "6.1.0-13-amd64"). Pure: it looks at nothing else. A release it cannot read counts as old.
FlushMethod ChooseFlushMethod(uint64_t fileSystemType, const std::string& kernelRelease);

// The running kernel's release as uname gives it; empty on Windows.
std::string KernelRelease();

// Test seam: from now on FlushFiles takes every file system for one of this statfs type (0: the
// real types again). Nothing in the shipped program calls it.
void OverrideFileSystemType(uint64_t fileSystemType);
uint64_t FileSystemTypeOverride();  // for the backends: 0 when not overridden

// What FlushFiles did so far in this process, for tests and measurements.
struct FlushCounts {
  uint64_t filesFlushed = 0;       // files flushed one by one
  uint64_t fileSystemsSynced = 0;  // syncfs calls
};
FlushCounts FlushCountsSoFar();
void NoteFlushes(FlushMethod method, uint64_t calls);  // for the backends

}  // namespace platform
