// Test seam: makes the Nth file operation fail with a chosen system error.
//
// Every operation of file.h and file_system.h of the kinds in FileOp asks ShouldFail() before it
// touches the system (directory searches and the folder queries are not counted).
// Nothing arms the injector in the shipped program; tests arm it through this interface only
// (never from the environment).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file.h"

namespace platform {

enum class FileOp : uint32_t {
  kOpen = 1u << 0,
  kRead = 1u << 1,
  kWrite = 1u << 2,
  kSeek = 1u << 3,
  kFlush = 1u << 4,
  kClose = 1u << 5,
  kDelete = 1u << 6,
  kMove = 1u << 7,
  kCreateDirectory = 1u << 8,
  kSize = 1u << 9,
  kFlushDirectory = 1u << 10,  // the path is the directory, ending in a separator
};
inline constexpr uint32_t kAllFileOps = 0x7FF;

struct FaultPlan {
  uint32_t ops = kAllFileOps;  // which kinds of operation are counted (FileOp bits)
  uint64_t failAt = 0;         // 1-based index of the first counted operation that fails; 0 never
  uint32_t errorCode = 0;      // the system error the failing operation reports
  bool persistent = false;     // false: only operation failAt fails; true: every one from it on
};

class FaultInjector {
 public:
  static void Arm(const FaultPlan& plan);  // also resets the counters
  static void Disarm();
  // Counted operations seen since Arm (or since the start when never armed).
  static uint64_t Count();
  // Operations that were made to fail since Arm.
  static uint64_t Failures();

  // Called for every operation (counted or not) before it runs: the kind, the path when the
  // operation has one (the file's path for handle operations), and the handle (kInvalidFile for
  // path operations). Lets a test model a power cut or watch what was touched. Empty to remove.
  using Observer = std::function<void(FileOp op, const std::string& path, FileHandle file)>;
  static void SetObserver(Observer observer);
  // For an observer: true while it is told of an operation that the injector makes fail (the
  // operation then changes nothing on disk).
  static bool ObservedOperationFails();
};

// For the backends: true when this operation must fail; then the plan's error is already set as
// the last error.
bool ShouldFail(FileOp op, const std::string& path, FileHandle file);
// For the backends: remember and forget the path of a handle, for the observer.
void NoteOpened(FileHandle file, const std::string& path);
void NoteClosed(FileHandle file);

}  // namespace platform
