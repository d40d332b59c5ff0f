// End-to-end runner: starts the real program in a private environment and looks at what it left.
//
// Native: the Linux program with a private HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_RUNTIME_DIR
// and TMPDIR. Wine: the Windows program in a private Wine prefix (made once per test process),
// its registry read with `wine reg query` and written with `wine reg add`. Either way the
// settings are the messenger's, under HKEY_CURRENT_USER\software\Tarvo software\Zorvane.
//
// Built for the machine that runs the tests only (it starts processes with fork and exec).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tvtest::e2e {

struct Result {
  int exitStatus = -1;  // the process's exit status; -1 when it did not exit normally
  bool timedOut = false;
  std::string out;
  std::string err;
};

// Runs a host program (never through a shell) with extra environment entries ("NAME=value", or
// "NAME" alone to remove one), writes input to it and closes its input.
Result RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                  const std::string& input = std::string(), int timeoutMs = 60000);

// True when a program of that name is found in PATH.
bool HaveProgram(const std::string& name);

// A started program whose input stays open until closed.
class Child {
 public:
  ~Child();  // kills the program when it still runs
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  void WriteInput(const std::string& text);
  void CloseInput();
  // Collects output until stderr holds text; false at the timeout or when the program ended.
  bool WaitForError(const std::string& text, int timeoutMs);
  bool Running();
  Result Wait(int timeoutMs);
  void Kill();
  int Pid() const { return m_pid; }

 private:
  friend std::unique_ptr<Child> Start(const std::vector<std::string>&,
                                      const std::vector<std::string>&);
  Child() = default;
  void Pump(int timeoutMs);
  int m_pid = -1;
  int m_in = -1, m_out = -1, m_err = -1;
  bool m_exited = false;
  int m_status = -1;
  std::string m_outText, m_errText;
};

std::unique_ptr<Child> Start(const std::vector<std::string>& argv,
                             const std::vector<std::string>& env);

class Harness {
 public:
  enum class Mode { kNative, kWine };

  // program: the host path of the binary. Wine mode also needs a working `wine`.
  Harness(Mode mode, std::string program);
  ~Harness();
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  Mode mode() const { return m_mode; }
  // A folder of this harness for the test's own files (host path, no trailing separator).
  const std::string& Scratch() const { return m_scratch; }

  // The program with these arguments, in the private environment.
  Result Run(const std::vector<std::string>& args, const std::string& input = std::string(),
             int timeoutMs = 120000);
  std::unique_ptr<Child> StartProgram(const std::vector<std::string>& args);
  // Any command in the same environment (for Wine helpers, `wine <exe>` is the caller's to add).
  Result RunInEnvironment(const std::vector<std::string>& argv, int timeoutMs = 120000);
  std::unique_ptr<Child> StartInEnvironment(const std::vector<std::string>& argv);

  // An X display for the program (empty: none, so Wine's windows and boxes return at once).
  void SetDisplay(const std::string& display) { m_display = display; }

  // Settings of a section, as the program sees them.
  bool SetText(const std::string& section, const std::string& name, const std::string& value);
  bool SetDword(const std::string& section, const std::string& name, uint32_t value);
  std::optional<std::string> QueryText(const std::string& section, const std::string& name);
  std::optional<uint32_t> QueryDword(const std::string& section, const std::string& name);

  // The host path of the folder the program stored in "m_csUserDataFolder", if any.
  std::optional<std::string> StoredDataFolder();
  // The default data folder the program makes (host path, no trailing separator).
  std::string DefaultDataFolder() const;
  // A host path as the program names it, and back.
  std::string ProgramPathOf(const std::string& hostPath) const;
  std::string HostPathOf(const std::string& programPath) const;

 private:
  std::vector<std::string> Environment() const;
  std::string RegFile() const;
  std::vector<std::string> ProgramCommand(const std::vector<std::string>& args) const;
  bool SetValue(const std::string& section, const std::string& name, const std::string& fileValue,
                const std::string& wineType, const std::string& wineValue);
  std::optional<std::string> WineQuery(const std::string& section, const std::string& name,
                                       const std::string& type);

  Mode m_mode;
  std::string m_program;
  std::string m_root;  // private folder of this harness
  std::string m_scratch;
  std::string m_display;
  // Native mode: the registry file as the test last wrote it is read back from the disk.
};

// A private X server (Xvfb) for GUI tests.
class VirtualScreen {
 public:
  static bool Available();
  VirtualScreen() = default;
  ~VirtualScreen();
  bool Start();
  const std::string& Display() const { return m_display; }
  // A PNG of one X window (an id as xdotool prints it) or of the whole screen ("root"), taken
  // with ImageMagick `import`, or with `xwd` and `convert`.
  bool Screenshot(const std::string& path, const std::string& window = "root");

 private:
  std::unique_ptr<Child> m_server;
  std::string m_display;
};

}  // namespace tvtest::e2e
