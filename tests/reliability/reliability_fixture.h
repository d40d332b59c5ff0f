// Shared pieces of the reliability tests: a small but complete 3.0 data folder, the conversion
// run the way the conversion core runs it (stores in order, log deleted when clean), and the
// checks behind the promise: every message, folder, contact and canned text exists afterwards in
// its complete old file or in its complete new file.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "foundation/types.h"
#include "support/old_data_writer.h"
#include "support/scratch_dir.h"

namespace tvtest {
class FileOpWatch;
}  // namespace tvtest

namespace reliability {

using Tree = std::map<std::string, std::string>;  // relative path -> contents

inline constexpr const char* kLogName = "Conversion3.0-3.1.Log.Txt";

// Under Wine every file operation is a round trip to the Wine server: there the sweeps take every
// third point (each run still starts from scratch, so no point depends on another).
#ifdef _WIN32
inline constexpr uint64_t kSweepStride = 3;
#else
inline constexpr uint64_t kSweepStride = 1;
#endif

// Relative path from parts joined with the platform's separator.
std::string Rel(const std::string& a, const std::string& b = std::string());

// One unit the promise is about: its 3.0 file and the 3.1 file it becomes (relative paths).
struct Item {
  std::string oldFile;
  std::string newFile;
  bool inUserFolder = false;  // a message in a folder known only from the folders file
};

// Which stores a run converts.
enum Stores : uint32_t {
  kDatabase = 1,
  kContacts = 2,
  kFastReplies = 4,
  kAutoAnswers = 8,
  kAllStores = 15,
};

// A scratch layout: the data folder, the staging folder for attachments and a canary folder
// beside the data folder, all inside one scratch folder.
struct Layout {
  explicit Layout(const std::string& scratch);
  std::string root;     // scratch + "run" + separator
  std::string data;     // root + "Zorvane" + separator
  std::string staging;  // root + "tmp" + separator + "Zorvane Conversion 3.0-3.1" + separator
  std::string canary;   // root + "canary" + separator
  void Reset() const;   // removes and recreates the three folders
};

// A scratch test whose layout is made afresh before each test.
class LayoutTest : public tvtest::ScratchTest {
 protected:
  void SetUp() override { layout.Reset(); }
  Layout layout{scratch.Path()};
};

struct RunResult {
  uint32_t errorLines = 0;
  size_t boxes = 0;
};

// Runs the selected stores' conversions in the core's order; the log file goes when no Error
// line was written. Message boxes are recorded, not shown.
RunResult RunConversion(const Layout& layout, TvBool deleteOld, uint32_t stores = kAllStores);

// The small data folder of the sweeps: the standard folders, a user folder, a names index,
// messages with recipients and attachments in three folders, old folder indexes, a contact list
// and both canned-reply lists. Returns the items it made.
std::vector<Item> WriteSmallDataFolder(const std::string& dataFolder, int messages = 4);

// The contents of a data folder, without the log.
Tree DataTree(const std::string& dataFolder);

// What the promise demands of a data folder after a run that may have failed anywhere (where):
// every item is in its old file, byte for byte as it was, or in its new file, byte for byte as
// an uninterrupted run writes it; no file holds what neither the original folder nor a clean run
// holds (temporary files aside when temporariesAllowed); the names index keeps its records. Each
// broken rule fails the test. Returns the items whose new file is missing.
std::vector<Item> ExpectPromiseKept(const std::string& where, const Tree& now, const Tree& original,
                                    const Tree& reference, const std::vector<Item>& items,
                                    bool temporariesAllowed);

// An old file goes only once its new file is on stable storage: for each item whose old file the
// watched run deleted, its new file's contents and name were flushed before.
void ExpectDeletedOnlyAfterDurable(const std::string& where, const tvtest::FileOpWatch& watch,
                                   const std::string& dataFolder, const std::vector<Item>& items);

// Lines of the log file in the data folder (level text and message).
std::vector<std::string> LogEntries(const Layout& layout);

// True when any entry is an Error line that mentions text.
bool LogHasError(const std::vector<std::string>& entries, const std::string& text);

}  // namespace reliability
