#include "foundation/list_plan.h"

#include "foundation/byte_source.h"
#include "foundation/run_outcome.h"
#include "foundation/tv_file.h"
#include "foundation/utilities.h"

const char* VerdictKey(TvListVerdict verdict) {
  static const char* const kKeys[] = {"nothing-to-convert", "already-converted", "converts",
                                      "keeps-new-list", "not-converted"};
  return KeyOf(verdict, kKeys);
}

bool TvListPlan::Failure() const {
  for (const TvPlannedLine& line : lines) {
    if (line.level == kLogError) return true;
  }
  return false;
}

namespace {

// The list at path holds exactly bytes (read back with one call).
bool ReadsBackAs(const std::string& path, const std::string& bytes) {
  TvFile file(0, 1);
  if (!file.Open(path, kModeReadShared) || file.GetLength() != bytes.size()) return false;
  std::string back(bytes.size(), '\0');
  return bytes.empty() || (file.Read(back.data(), static_cast<uint32_t>(back.size())) != 0 &&
                           back == bytes);
}

}  // namespace

bool ApplyListPlan(const TvListPlan& plan, TvBool deleteOld, TvLog& log) {
  if (plan.createsOldFile) {
    TvFile created(0, 1);
    if (!created.Open(plan.oldPath, kModeReadOpenOrCreate)) return false;
  }
  for (const TvPlannedLine& line : plan.lines) log.Add(line.text, line.level, kLogNoCategory);
  bool written = false;
  if (plan.verdict == TvListVerdict::kConverts) {
    written = WriteListFile(plan.newPath, plan.newBytes) != 0;
    if (!written) return false;
    ++RunOutcome().listFilesConverted;
  }
  if (!deleteOld) return true;
  const bool mayGo = plan.oldFileMayGo && (plan.verdict == TvListVerdict::kConverts ||
                                           plan.verdict == TvListVerdict::kKeepsNewList);
  if (!mayGo) {
    if (!plan.keptOldLine.empty() && written) log.Add(plan.keptOldLine, kLogInfo, kLogNoCategory);
    return true;
  }
  // The old file may go only when its replacement is complete on disk, byte for byte.
  if ((!written || ReadsBackAs(plan.newPath, plan.newBytes)) && DeleteFileIfExists(plan.oldPath)) {
    log.Add(plan.deletedWord + ": " + plan.oldPath + " , Deleted", kLogInfo, kLogNoCategory);
    return true;
  }
  log.Add(plan.notDeletedWord + ": " + plan.oldPath + " , NOT deleted", kLogError, kLogNoCategory);
  return false;
}
