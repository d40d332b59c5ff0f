#include "support/scratch_dir.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

#include "platform/fault_injection.h"
#include "platform/file_system.h"

namespace tvtest {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  std::string base = platform::TempDirectory();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "tvtest-" + std::to_string(random()) + "-" +
                       std::to_string(counter.fetch_add(1)) + "-" +
                       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string candidate = base + name;
    if (platform::CreateDirectory(candidate)) {
      m_path = candidate + platform::kPathSeparator;
      return;
    }
  }
  ADD_FAILURE() << "cannot create a scratch folder in " << base;
}

ScratchDir::~ScratchDir() {
  if (!m_path.empty()) RemoveTree(m_path);
}

std::string ScratchDir::MakeDir(const std::string& name) const {
  std::string path = m_path + name;
  std::error_code ec;
  fs::create_directory(fs::path(path), ec);
  EXPECT_FALSE(ec) << "cannot create " << path << ": " << ec.message();
  return path;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  std::ifstream in(fs::path(path), std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) bytes.clear();
  return bytes;
}

bool PathExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(fs::path(path), ec));
}

bool RemoveTree(const std::string& path) {
  std::error_code ec;
  fs::remove_all(fs::path(path), ec);
  return !PathExists(path);
}

namespace {

void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value != nullptr ? value : "");
#else
  if (value != nullptr) {
    setenv(name, value, 1);
  } else {
    unsetenv(name);
  }
#endif
}

}  // namespace

ScopedEnvironment::ScopedEnvironment(const char* name) : m_name(name) {
  const char* old = std::getenv(name);
  m_had = old != nullptr;
  if (m_had) m_old = old;
}

ScopedEnvironment::ScopedEnvironment(const char* name, const char* value)
    : ScopedEnvironment(name) {
  SetEnvironment(name, value);
}

ScopedEnvironment::~ScopedEnvironment() {
  SetEnvironment(m_name.c_str(), m_had ? m_old.c_str() : nullptr);
}

ScratchTest::ScratchTest() { platform::FaultInjector::Disarm(); }

ScratchTest::~ScratchTest() {
  platform::FaultInjector::Disarm();
  platform::FaultInjector::SetObserver(nullptr);
}

}  // namespace tvtest
