// A scratch folder for tests: a unique empty folder in the system temporary directory, removed
// with everything in it when the object dies, plus whole-file helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/recording_ui.h"

namespace tvtest {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The folder, ending in the platform's separator.
  const std::string& Path() const { return m_path; }
  // Path() + name (name may hold separators of the platform).
  std::string File(const std::string& name) const { return m_path + name; }
  // Creates a subfolder (one level) and returns its path without a trailing separator.
  std::string MakeDir(const std::string& name) const;

 private:
  std::string m_path;
};

// Writes bytes as the whole content of path (created or truncated). False when it cannot.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
// The whole content of path; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* bytes);
// The whole content of path, or an empty text when it cannot be read.
std::string ReadWholeFile(const std::string& path);
bool PathExists(const std::string& path);
// Removes a file or a folder tree; true when nothing is left.
bool RemoveTree(const std::string& path);

// Sets an environment variable (removes it when value is null) for the life of the object, then
// puts back what was there; without a value it only keeps what is there now for the restore.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const char* name);
  ScopedEnvironment(const char* name, const char* value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string m_name, m_old;
  bool m_had = false;
};

// Fixture base: a fresh scratch folder and a recording user interface for every test, so no test
// ever blocks on a message box. The fault injector is disarmed before and after each test.
class ScratchTest : public ::testing::Test {
 protected:
  ScratchTest();
  ~ScratchTest() override;

  ScratchDir scratch;
  platform::ScopedRecordingUI recording;
  platform::RecordingUserInterface& ui = recording.ui;
};

}  // namespace tvtest
