#include "support/e2e_runner.h"

#include "support/test_helpers.h"

#ifndef _WIN32

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

extern char** environ;

namespace tvtest::e2e {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int MillisLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& changes) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    size_t eq = entry.find('=');
    if (eq != std::string::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const std::string& change : changes) {
    size_t eq = change.find('=');
    if (eq == std::string::npos) {
      vars.erase(change);
    } else {
      vars[change.substr(0, eq)] = change.substr(eq + 1);
    }
  }
  std::vector<std::string> out;
  for (const auto& [name, value] : vars) out.push_back(name + "=" + value);
  return out;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  return static_cast<bool>(out);
}

const char kCompanyKey[] = "HKEY_CURRENT_USER\\software\\Tarvo software";
std::string SectionKey(const std::string& section) {
  return std::string(kCompanyKey) + "\\Zorvane\\" + section;
}

}  // namespace

// ---- Processes -----------------------------------------------------------------------------

std::unique_ptr<Child> Start(const std::vector<std::string>& argv,
                             const std::vector<std::string>& env) {
  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) return nullptr;
  std::vector<std::string> envStrings = MergedEnvironment(env);
  std::vector<char*> envp;
  for (std::string& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (std::string& a : args) argp.push_back(a.data());
  argp.push_back(nullptr);

  pid_t pid = ::fork();
  if (pid < 0) return nullptr;
  if (pid == 0) {
    ::setpgid(0, 0);  // its own group, so a kill reaches what it started
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    ::execvpe(argp[0], argp.data(), envp.data());
    std::fprintf(stderr, "cannot start %s: %s\n", argp[0], std::strerror(errno));
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  ::signal(SIGPIPE, SIG_IGN);
  std::unique_ptr<Child> child(new Child());
  child->m_pid = pid;
  child->m_in = in[1];
  child->m_out = out[0];
  child->m_err = err[0];
  ::fcntl(child->m_out, F_SETFL, O_NONBLOCK);
  ::fcntl(child->m_err, F_SETFL, O_NONBLOCK);
  return child;
}

Child::~Child() {
  if (!m_exited && m_pid > 0) Kill();
  for (int fd : {m_in, m_out, m_err}) {
    if (fd >= 0) ::close(fd);
  }
}

void Child::WriteInput(const std::string& text) {
  size_t done = 0;
  while (m_in >= 0 && done < text.size()) {
    ssize_t n = ::write(m_in, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
}

void Child::CloseInput() {
  if (m_in >= 0) ::close(m_in);
  m_in = -1;
}

void Child::Pump(int timeoutMs) {
  pollfd fds[2] = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
  int n = ::poll(fds, 2, timeoutMs);
  if (n > 0) {
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      ssize_t got;
      while ((got = ::read(fds[i].fd, buffer, sizeof(buffer))) > 0) {
        (i == 0 ? m_outText : m_errText).append(buffer, static_cast<size_t>(got));
      }
    }
  }
  if (!m_exited) {
    int status;
    pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid) {
      m_exited = true;
      m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
  }
}

bool Child::Running() {
  Pump(0);
  return !m_exited;
}

bool Child::WaitForError(const std::string& text, int timeoutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (m_errText.find(text) == std::string::npos) {
    if (m_exited || Clock::now() >= deadline) return false;
    Pump(std::min(50, MillisLeft(deadline)));
  }
  return true;
}

Result Child::Wait(int timeoutMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  Result result;
  while (!m_exited && Clock::now() < deadline) Pump(std::min(50, MillisLeft(deadline)));
  if (!m_exited) {
    result.timedOut = true;
    Kill();
  }
  // What is still in the pipes.
  for (int i = 0; i < 3; ++i) Pump(10);
  result.exitStatus = m_status;
  result.out = m_outText;
  result.err = m_errText;
  return result;
}

void Child::Kill() {
  if (m_exited || m_pid <= 0) return;
  ::kill(-m_pid, SIGKILL);
  ::kill(m_pid, SIGKILL);
  int status;
  ::waitpid(m_pid, &status, 0);
  m_exited = true;
  m_status = -1;
}

Result RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                  const std::string& input, int timeoutMs) {
  std::unique_ptr<Child> child = Start(argv, env);
  if (!child) return Result();
  child->WriteInput(input);
  child->CloseInput();
  return child->Wait(timeoutMs);
}

bool HaveProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (!dir.empty() && ::access((dir + "/" + name).c_str(), X_OK) == 0) return true;
  }
  return false;
}

// ---- Wine prefix ---------------------------------------------------------------------------

namespace {

struct WinePrefix {
  std::string path;
  ~WinePrefix() {
    if (path.empty()) return;
    RunCommand({"wineserver", "-k"}, {"WINEPREFIX=" + path}, "", 30000);
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

std::string WineUserFolder(const std::string& prefix) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(prefix + "/drive_c/users", ec)) {
    std::string name = entry.path().filename().string();
    if (name != "Public" && entry.is_directory()) return entry.path().string();
  }
  return prefix + "/drive_c/users/" + (std::getenv("USER") ? std::getenv("USER") : "root");
}

// The wine prefix shared by the harnesses of this process (made on first use).
const std::string& SharedWinePrefix() {
  static WinePrefix prefix;
  if (prefix.path.empty()) {
    char pattern[] = "/tmp/tv-e2e-wine-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return prefix.path;
    prefix.path = pattern;
    Result boot = RunCommand(
        {"wineboot", "-u"}, {"WINEPREFIX=" + prefix.path, "WINEDEBUG=-all", "DISPLAY"}, "", 600000);
    if (boot.exitStatus != 0) std::fprintf(stderr, "wineboot failed: %s\n", boot.err.c_str());
    RunCommand({"wineserver", "-w"}, {"WINEPREFIX=" + prefix.path}, "", 120000);
  }
  return prefix.path;
}

}  // namespace

// ---- Harness -------------------------------------------------------------------------------

Harness::Harness(Mode mode, std::string program) : m_mode(mode), m_program(std::move(program)) {
  char pattern[] = "/tmp/tv-e2e-XXXXXX";
  if (::mkdtemp(pattern) != nullptr) m_root = pattern;
  for (const char* sub : {"home", "config", "data", "run", "tmp", "scratch"}) {
    ::mkdir((m_root + "/" + sub).c_str(), 0700);
  }
  m_scratch = m_root + "/scratch";
  if (m_mode == Mode::kWine) {
    // A clean messenger for every harness in the shared prefix.
    RunInEnvironment({"wine", "reg", "delete", kCompanyKey, "/f"});
    std::error_code ec;
    fs::remove_all(fs::path(DefaultDataFolder()).parent_path(), ec);
  }
}

Harness::~Harness() {
  std::error_code ec;
  if (!m_root.empty()) fs::remove_all(m_root, ec);
}

std::vector<std::string> Harness::Environment() const {
  std::vector<std::string> env;
  if (m_mode == Mode::kNative) {
    env = {"HOME=" + m_root + "/home", "XDG_CONFIG_HOME=" + m_root + "/config",
           "XDG_DATA_HOME=" + m_root + "/data", "XDG_RUNTIME_DIR=" + m_root + "/run",
           "TMPDIR=" + m_root + "/tmp"};
  } else {
    env = {"WINEPREFIX=" + SharedWinePrefix(), "WINEDEBUG=-all"};
  }
  env.push_back(m_display.empty() ? std::string("DISPLAY") : "DISPLAY=" + m_display);
  return env;
}

std::vector<std::string> Harness::ProgramCommand(const std::vector<std::string>& args) const {
  std::vector<std::string> argv;
  if (m_mode == Mode::kWine) argv.push_back("wine");
  argv.push_back(m_program);
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

Result Harness::Run(const std::vector<std::string>& args, const std::string& input, int timeoutMs) {
  return RunCommand(ProgramCommand(args), Environment(), input, timeoutMs);
}

std::unique_ptr<Child> Harness::StartProgram(const std::vector<std::string>& args) {
  return Start(ProgramCommand(args), Environment());
}

Result Harness::RunInEnvironment(const std::vector<std::string>& argv, int timeoutMs) {
  return RunCommand(argv, Environment(), "", timeoutMs);
}

std::unique_ptr<Child> Harness::StartInEnvironment(const std::vector<std::string>& argv) {
  return Start(argv, Environment());
}

std::string Harness::RegFile() const { return m_root + "/config/Tarvo software/Zorvane.reg"; }

namespace {

// Native registry file editing: the value line put into (or replaced in) its section.
std::string WithValue(const std::string& content, const std::string& section,
                      const std::string& name, const std::string& line) {
  std::vector<std::string> lines;
  std::stringstream in(content.empty() ? std::string("REGEDIT4\n") : content);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  std::string header = Lower("[" + SectionKey(section) + "]");
  std::string prefix = Lower("\"" + name + "\"=");
  size_t at = lines.size();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (Lower(lines[i]) == header) at = i;
  }
  if (at == lines.size()) {
    lines.push_back("");
    lines.push_back("[" + SectionKey(section) + "]");
    lines.push_back(line);
  } else {
    size_t i = at + 1;
    for (; i < lines.size() && (lines[i].empty() || lines[i][0] != '['); ++i) {
      if (Lower(lines[i]).rfind(prefix, 0) == 0) {
        lines[i] = line;
        break;
      }
    }
    if (i >= lines.size() || lines[i] != line)
      lines.insert(lines.begin() + static_cast<long>(at) + 1, line);
  }
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

std::optional<std::string> RawValue(const std::string& content, const std::string& section,
                                    const std::string& name) {
  std::stringstream in(content);
  std::string header = Lower("[" + SectionKey(section) + "]");
  std::string prefix = Lower("\"" + name + "\"=");
  bool inSection = false;
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    if (!l.empty() && l[0] == '[') {
      inSection = Lower(l) == header;
      continue;
    }
    if (inSection && Lower(l).rfind(prefix, 0) == 0) return l.substr(prefix.size());
  }
  return std::nullopt;
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out + "\"";
}

// The type and value columns of `wine reg query` for one value: "    <name>    <type>    <value>".
std::optional<std::pair<std::string, std::string>> WineValue(const std::string& output,
                                                             const std::string& name) {
  std::stringstream in(output);
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    std::istringstream columns(l);
    std::string found, type, value;
    if (!(columns >> found >> type) || Lower(found) != Lower(name)) continue;
    std::getline(columns >> std::ws, value);
    return std::make_pair(type, value);
  }
  return std::nullopt;
}

}  // namespace

// A value written as the registry file's line holds it (native) or as `wine reg add` takes it.
bool Harness::SetValue(const std::string& section, const std::string& name,
                       const std::string& fileValue, const std::string& wineType,
                       const std::string& wineValue) {
  if (m_mode == Mode::kNative) {
    ::mkdir((m_root + "/config/Tarvo software").c_str(), 0700);
    return WriteFile(RegFile(),
                     WithValue(ReadAll(RegFile()), section, name, Quote(name) + "=" + fileValue));
  }
  return RunInEnvironment({"wine", "reg", "add", SectionKey(section), "/v", name, "/t", wineType,
                           "/d", wineValue, "/f"})
             .exitStatus == 0;
}

bool Harness::SetText(const std::string& section, const std::string& name,
                      const std::string& value) {
  return SetValue(section, name, Quote(value), "REG_SZ", value);
}

bool Harness::SetDword(const std::string& section, const std::string& name, uint32_t value) {
  char line[32];
  std::snprintf(line, sizeof(line), "dword:%08x", value);
  return SetValue(section, name, line, "REG_DWORD", std::to_string(value));
}

// The value as `wine reg query` prints it, when it has that type.
std::optional<std::string> Harness::WineQuery(const std::string& section, const std::string& name,
                                              const std::string& type) {
  Result r = RunInEnvironment({"wine", "reg", "query", SectionKey(section), "/v", name});
  auto value = WineValue(r.out, name);
  if (r.exitStatus != 0 || !value || value->first != type) return std::nullopt;
  return value->second;
}

std::optional<std::string> Harness::QueryText(const std::string& section, const std::string& name) {
  if (m_mode == Mode::kNative) {
    std::optional<std::string> raw = RawValue(ReadAll(RegFile()), section, name);
    if (!raw || raw->size() < 2 || raw->front() != '"' || raw->back() != '"') return std::nullopt;
    std::string out;
    for (size_t i = 1; i + 1 < raw->size(); ++i) {
      if ((*raw)[i] == '\\' && i + 2 < raw->size()) ++i;
      out.push_back((*raw)[i]);
    }
    return out;
  }
  return WineQuery(section, name, "REG_SZ");
}

std::optional<uint32_t> Harness::QueryDword(const std::string& section, const std::string& name) {
  if (m_mode == Mode::kNative) {
    std::optional<std::string> raw = RawValue(ReadAll(RegFile()), section, name);
    if (!raw || raw->rfind("dword:", 0) != 0) return std::nullopt;
    return static_cast<uint32_t>(std::strtoul(raw->c_str() + 6, nullptr, 16));
  }
  std::optional<std::string> value = WineQuery(section, name, "REG_DWORD");
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(std::strtoul(value->c_str(), nullptr, 0));
}

std::optional<std::string> Harness::StoredDataFolder() {
  std::optional<std::string> stored = QueryText("RunTime Settings", "m_csUserDataFolder");
  if (!stored) return std::nullopt;
  return HostPathOf(*stored);
}

std::string Harness::DefaultDataFolder() const {
  if (m_mode == Mode::kNative) return m_root + "/data/Tarvo software/Zorvane";
  return WineUserFolder(SharedWinePrefix()) + "/AppData/Roaming/Tarvo software/Zorvane";
}

std::string Harness::ProgramPathOf(const std::string& hostPath) const {
  if (m_mode == Mode::kNative) return hostPath;
  std::string out = "Z:" + hostPath;
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}

std::string Harness::HostPathOf(const std::string& programPath) const {
  if (m_mode == Mode::kNative) return programPath;
  if (programPath.size() < 2 || programPath[1] != ':') return programPath;
  char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(programPath[0])));
  std::string rest = programPath.substr(2);
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  if (drive == 'z') return rest;
  return SharedWinePrefix() + "/drive_" + std::string(1, drive) + rest;
}

// ---- Virtual screen ------------------------------------------------------------------------

bool VirtualScreen::Available() { return HaveProgram("Xvfb"); }

VirtualScreen::~VirtualScreen() {
  if (m_server) m_server->Kill();
}

bool VirtualScreen::Start() {
  for (int n = 90 + static_cast<int>(::getpid() % 50); n < 200; ++n) {
    std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
    std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
    if (::access(socket.c_str(), F_OK) == 0 || ::access(lock.c_str(), F_OK) == 0) continue;
    m_server = tvtest::e2e::Start(
        {"Xvfb", ":" + std::to_string(n), "-screen", "0", "800x600x24", "-nolisten", "tcp"}, {});
    if (!m_server) return false;
    auto deadline = Clock::now() + std::chrono::seconds(15);
    while (Clock::now() < deadline && m_server->Running()) {
      if (::access(socket.c_str(), F_OK) == 0) {
        m_display = ":" + std::to_string(n);
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    m_server->Kill();
    m_server.reset();
  }
  return false;
}

bool VirtualScreen::Screenshot(const std::string& path, const std::string& window) {
  if (m_display.empty()) return false;
  if (HaveProgram("import") &&
      RunCommand({"import", "-display", m_display, "-window", window, path}, {}, "", 60000)
              .exitStatus == 0) {
    return true;
  }
  std::string dump = path + ".xwd";
  std::vector<std::string> xwd = {"xwd", "-silent", "-display", m_display, "-out", dump};
  if (window == "root") {
    xwd.push_back("-root");
  } else {
    xwd.insert(xwd.end(), {"-id", window});
  }
  if (RunCommand(xwd, {}, "", 60000).exitStatus != 0) {
    return false;
  }
  bool ok = RunCommand({"convert", dump, path}, {}, "", 60000).exitStatus == 0;
  ::unlink(dump.c_str());
  return ok;
}

}  // namespace tvtest::e2e

#endif  // !_WIN32
