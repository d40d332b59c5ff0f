#include "tools/tool_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "contacts/tv_contact_list.h"
#include "database/tv_database.h"
#include "foundation/data_paths.h"
#include "foundation/tv_log.h"
#include "platform/file_system.h"
#include "replies/tv_text_messages.h"
#include "support/scratch_dir.h"

namespace tooltest {

namespace fs = std::filesystem;

const std::string kSep(1, platform::kPathSeparator);

std::string Binary(const std::string& name) {
  std::string dir = platform::ProgramPath();
  size_t cut = dir.find_last_of("\\/");
  dir = cut == std::string::npos ? std::string() : dir.substr(0, cut + 1);
#ifdef _WIN32
  return dir + (name == "zv30to31" ? std::string("ZV30TO31") : name) + ".exe";
#else
  return dir + name;
#endif
}

namespace {

std::string Quoted(const std::string& text) {
#ifdef _WIN32
  // The Windows rules: backslashes are literal unless they come before a quote, where each
  // one must be doubled (a path ending in a separator would otherwise escape the closing quote).
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
#else
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out.push_back(c);
    }
  }
  return out + "'";
#endif
}

}  // namespace

RunResult Run(const std::string& program, const std::vector<std::string>& arguments,
              const std::string& scratch, const std::vector<std::string>& environment) {
  static int counter = 0;
  const std::string outPath = scratch + "run-" + std::to_string(++counter) + ".out";
  const std::string errPath = scratch + "run-" + std::to_string(counter) + ".err";
  std::string command;
#ifdef _WIN32
  (void)environment;
  const std::string nullDevice = "NUL";
#else
  const std::string nullDevice = "/dev/null";
  if (!environment.empty()) {
    command = "env";
    for (const std::string& pair : environment) command += " " + Quoted(pair);
    command += " ";
  }
#endif
  command += Quoted(program);
  for (const std::string& argument : arguments) command += " " + Quoted(argument);
  command += " < " + Quoted(nullDevice) + " > " + Quoted(outPath) + " 2> " + Quoted(errPath);
#ifdef _WIN32
  // cmd /c drops the outermost quotes of its command line: give it a pair to drop.
  command = "\"" + command + "\"";
#endif
  RunResult result;
  int status = std::system(command.c_str());
#ifdef _WIN32
  result.exitCode = status;
#else
  result.exitCode = (status >> 8) & 0xFF;  // the exit status of a normal end
#endif
  result.out = tvtest::ReadWholeFile(outPath);
  result.err = tvtest::ReadWholeFile(errPath);
  return result;
}

void ConvertInProcess(const std::string& dataFolder, const std::string& stagingFolder,
                      bool deleteOld) {
  TvFixedDataPaths paths(dataFolder);
  TvLog log(paths);
  for (int id = 0; id < 6; ++id) platform::CreateDirectory(paths.StandardFolderDirectory(id));
  {
    TvDatabase database(log, paths);
    database.SetStagingFolder(stagingFolder);
    database.CreateStandardFolders();
    database.ConvertDatabase(deleteOld ? 1 : 0);
  }
  {
    TvContactList contacts(log, paths);
    contacts.Convert(deleteOld ? 1 : 0);
  }
  {
    TvFastReplysService fast(log, paths);
    fast.Convert(deleteOld ? 1 : 0);
    TvAutoAnswersService answers(log, paths);
    answers.Convert(deleteOld ? 1 : 0);
  }
  if (log.m_dwordErrorCount == 0) log.DeleteLogFile();
}

std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(root))) {
    const std::string relative = fs::relative(entry.path(), fs::path(root)).generic_string();
    files[relative] =
        entry.is_directory() ? std::string("<dir>") : tvtest::ReadWholeFile(entry.path().string());
  }
  return files;
}

bool CopyTree(const std::string& from, const std::string& to) {
  std::string source = from;
  while (source.size() > 1 && platform::IsPathSeparator(source.back())) source.pop_back();
  std::error_code error;
  fs::copy(fs::path(source), fs::path(to), fs::copy_options::recursive, error);
  return !error;
}

bool Truncate(const std::string& path, uint64_t length) {
  std::error_code error;
  fs::resize_file(fs::path(path), length, error);
  return !error;
}

bool FlipByte(const std::string& path, uint64_t offset) {
  std::fstream file(fs::path(path), std::ios::in | std::ios::out | std::ios::binary);
  file.seekg(static_cast<std::streamoff>(offset));
  char c = 0;
  if (!file.get(c)) return false;
  file.seekp(static_cast<std::streamoff>(offset));
  file.put(static_cast<char>(c ^ 0x5A));
  return static_cast<bool>(file);
}

}  // namespace tooltest
