#include "app/information.h"

#include <sstream>

#include "app/tv_version.h"
#include "platform/terminal.h"

namespace {

#ifdef _WIN32
constexpr const char* kProgram = "ZV30TO31.exe";
#else
constexpr const char* kProgram = "zv30to31";
#endif

}  // namespace

TvInformation FindInformationRequest(const std::string& commandLine) {
  std::istringstream words(commandLine);
  for (std::string word; words >> word;) {
    if (word == "/?" || word == "-h" || word == "--help") return TvInformation::kUsage;
    if (word == "--version") return TvInformation::kVersion;
  }
  return TvInformation::kNone;
}

std::string UsageText() {
  const std::string program = kProgram;
  return "Usage: " + program + " [/SILENT] [/QUIET] [/REPORT:<path>]\n" +
         "Converts the Zorvane user data folder from the 3.0 to the 3.1 formats.\n"
         "\n"
         "  (nothing)        the dialog: back up, restore, convert\n"
         "  /SILENT          convert at once without the dialog, deleting each old file\n"
         "                   once its new file is safely written\n"
         "  /QUIET           as /SILENT, and show nothing at all: every message is written to\n"
         "                   the log instead, and a question takes the answer No\n"
         "  /REPORT:<path>   write a report of the run (JSON) to that file at the end of the\n"
         "                   run, whatever its outcome\n"
         "  /?, -h, --help   this text\n"
         "  --version        the version\n"
         "\n"
         "Exit status: 0 done, 1 errors were reported (see Conversion3.0-3.1.Log.Txt in the\n"
         "data folder), 2 could not start, 3 another copy is running, 130 or 143 stopped by\n"
         "SIGINT or SIGTERM (run it again to finish).\n";
}

std::string ToolVersion() { return TV_VERSION; }
std::string ToolRevision() { return TV_REVISION; }

std::string VersionText() {
  std::string text = std::string("ZV30TO31 ") + TV_VERSION;
  const std::string revision = TV_REVISION;
  if (!revision.empty()) text += " (revision " + revision + ")";
  return text;
}

bool ShowInformationRequest(const std::string& commandLine) {
  switch (FindInformationRequest(commandLine)) {
    case TvInformation::kUsage:
      platform::ShowInformation(UsageText());
      return true;
    case TvInformation::kVersion:
      platform::ShowInformation(VersionText());
      return true;
    case TvInformation::kNone:
      break;
  }
  return false;
}
