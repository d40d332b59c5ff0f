#include "platform/flush_method.h"

#include <atomic>
#include <cstdlib>

namespace platform {

namespace {

std::atomic<uint64_t> g_typeOverride{0};
std::atomic<uint64_t> g_filesFlushed{0};
std::atomic<uint64_t> g_fileSystemsSynced{0};

// Local disk file systems whose syncfs writes back every dirty file and, from Linux 5.8 on,
// returns the write-back errors it met. tmpfs has nothing to write back: one call costs least.
// Overlay is not among them: fdatasync of a file reaches the upper layer's file on every kernel,
// while syncfs passes that layer's errors up only on newer ones.
bool SyncfsIsSound(uint64_t type) {
  switch (type) {
    case kExt4Type:
    case kXfsType:
    case kBtrfsType:
    case kTmpfsType:
      return true;
    default:
      return false;
  }
}

// Major and minor of a release such as "5.8.0" or "6.1.0-13-amd64"; false when it does not start
// with two numbers.
bool ParseRelease(const std::string& release, unsigned long* major, unsigned long* minor) {
  const char* p = release.c_str();
  char* end = nullptr;
  if (*p < '0' || *p > '9') return false;
  *major = std::strtoul(p, &end, 10);
  if (*end != '.' || end[1] < '0' || end[1] > '9') return false;
  *minor = std::strtoul(end + 1, &end, 10);
  return true;
}

}  // namespace

FlushMethod ChooseFlushMethod(uint64_t fileSystemType, const std::string& kernelRelease) {
  unsigned long major = 0;
  unsigned long minor = 0;
  if (!SyncfsIsSound(fileSystemType) || !ParseRelease(kernelRelease, &major, &minor)) {
    return FlushMethod::kEachFile;
  }
  const bool reportsErrors = major > 5 || (major == 5 && minor >= 8);
  return reportsErrors ? FlushMethod::kWholeFileSystem : FlushMethod::kEachFile;
}

void OverrideFileSystemType(uint64_t fileSystemType) { g_typeOverride = fileSystemType; }
uint64_t FileSystemTypeOverride() { return g_typeOverride; }

FlushCounts FlushCountsSoFar() { return FlushCounts{g_filesFlushed, g_fileSystemsSynced}; }

void NoteFlushes(FlushMethod method, uint64_t calls) {
  (method == FlushMethod::kEachFile ? g_filesFlushed : g_fileSystemsSynced) += calls;
}

}  // namespace platform
