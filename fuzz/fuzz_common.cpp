#include "fuzz/fuzz_common.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "platform/file_system.h"
#include "platform/recording_ui.h"

namespace tvfuzz {

namespace fs = std::filesystem;

namespace {

std::string MakeRoot() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string root = platform::TempDirectory() + "tvfuzz-" + std::to_string(random()) +
                       platform::kPathSeparator;
    std::error_code error;
    if (fs::create_directory(root, error)) return root;
  }
  Fail("cannot make a scratch folder");
}

// No message box ever waits: boxes are recorded and dropped.
platform::ScopedRecordingUI& Recording() {
  static platform::ScopedRecordingUI recording;
  return recording;
}

}  // namespace

Scratch::Scratch()
    : m_root(MakeRoot()),
      m_data(m_root + "Zorvane" + platform::kPathSeparator),
      m_staging(m_root + "staging" + platform::kPathSeparator),
      m_paths(m_data),
      m_log(m_paths) {
  Recording();
  std::error_code error;
  fs::create_directories(m_data, error);
  fs::create_directories(m_staging, error);
}

Scratch::~Scratch() {
  std::error_code error;
  fs::remove_all(m_root, error);
}

void Scratch::Clean() {
  std::error_code error;
  for (const std::string& folder : {m_data, m_staging}) {
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
      if (it->is_regular_file(error)) fs::remove(it->path(), error);
    }
    error.clear();
  }
  Recording().ui.boxes.clear();
}

Scratch& TheScratch() {
  static Scratch scratch;
  return scratch;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) Fail("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace tvfuzz
