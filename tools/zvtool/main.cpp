// zvtool: the companion tool of the 3.0 to 3.1 conversion, for the people who run it.
//   zvtool sample DIR      write a realistic 3.0 data folder
//   zvtool dump FILE       print any 3.0 or 3.1 file of a data folder
//   zvtool check DIR       dry run: what the conversion would convert and what would fail
//   zvtool verify OLD NEW  prove that a conversion lost nothing
//   zvtool reports DIR     one table of the converter's run reports from many machines
#include <iostream>

#include <CLI/CLI.hpp>

#include "platform/recording_ui.h"
#include "zvtool/commands.h"

int main(int argc, char** argv) {
  // The stores report file errors through message boxes; here they are collected and turned
  // into report lines, never shown (a box would stop a script on Windows).
  platform::ScopedRecordingUI quiet;

  CLI::App app{"zvtool - companion tool of the Zorvane 3.0 -> 3.1 database conversion.\n"
               "It never changes a data folder it reads."};
  app.require_subcommand(1);
  app.set_version_flag("--version", "zvtool 1.0");

  std::string sampleDir;
  zvtool::SampleOptions sample;
  CLI::App* sampleCmd = app.add_subcommand(
      "sample", "Write a realistic 3.0 data folder into DIR (new or empty), the same for a seed.");
  sampleCmd->add_option("DIR", sampleDir, "folder to write")->required();
  sampleCmd->add_option("--messages", sample.messages, "number of messages")
      ->capture_default_str();
  sampleCmd->add_option("--folders", sample.userFolders, "number of user folders")
      ->capture_default_str();
  sampleCmd->add_option("--seed", sample.seed, "seed of the contents")->capture_default_str();

  std::string dumpFile;
  bool dumpJson = false;
  CLI::App* dumpCmd = app.add_subcommand(
      "dump", "Print a 3.0 or 3.1 file of a data folder field by field (exit 1 when damaged).");
  dumpCmd->add_option("FILE", dumpFile, "file to print")->required();
  dumpCmd->add_flag("--json", dumpJson, "print one JSON document");

  std::string checkDir;
  bool checkJson = false;
  CLI::App* checkCmd = app.add_subcommand(
      "check", "Dry run over a 3.0 data folder: what would convert and what would fail "
               "(exit 0 when everything converts, 1 otherwise). Changes nothing.");
  checkCmd->add_option("DIR", checkDir, "the 3.0 data folder")->required();
  checkCmd->add_flag("--json", checkJson, "print one JSON document");

  std::string verifyOld, verifyNew;
  bool verifyJson = false;
  CLI::App* verifyCmd = app.add_subcommand(
      "verify", "Compare a copy of the 3.0 data folder (OLD, e.g. \"Zorvane BackUp\") with the "
                "converted folder (NEW) store by store (exit 0 when nothing was lost).");
  verifyCmd->add_option("OLD", verifyOld, "copy of the data folder before the conversion")
      ->required();
  verifyCmd->add_option("NEW", verifyNew, "the data folder after the conversion")->required();
  verifyCmd->add_flag("--json", verifyJson, "print one JSON document");

  std::string reportsDir;
  bool reportsCsv = false;
  CLI::App* reportsCmd = app.add_subcommand(
      "reports", "One row per run report (*.json written by /REPORT:) in DIR, then totals "
                 "(exit 0 when every report says 0, 1 when one does not or a file is damaged or "
                 "foreign, 2 when DIR cannot be read).");
  reportsCmd->add_option("DIR", reportsDir, "the folder of reports")->required();
  reportsCmd->add_flag("--csv", reportsCsv, "comma-separated, for spreadsheets");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? 0 : zvtool::kExitError;
  }

  if (*sampleCmd) return zvtool::RunSample(sampleDir, sample, std::cout, std::cerr);
  if (*dumpCmd) return zvtool::RunDump(dumpFile, dumpJson, std::cout, std::cerr);
  if (*checkCmd) return zvtool::RunCheck(checkDir, checkJson, std::cout, std::cerr);
  if (*reportsCmd) return zvtool::RunReports(reportsDir, reportsCsv, std::cout, std::cerr);
  if (*verifyCmd) {
    return zvtool::RunVerify(verifyOld, verifyNew, verifyJson, std::cout, std::cerr);
  }
  return zvtool::kExitError;
}
