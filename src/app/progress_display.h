// TvProgressDisplay: the progress sink of a conversion run with a watcher. It keeps the walk's
// counts and passes them to the platform's view (the progress window, the terminal's progress
// line) at most five times a second, so showing progress costs the walk one clock read per
// message.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "foundation/progress.h"
#include "platform/progress_view.h"

class TvProgressDisplay : public TvProgress {
 public:
  // Milliseconds from any fixed start; the steady clock's unless a test gives its own.
  using Clock = uint64_t (*)();
  static constexpr uint64_t kIntervalMs = 200;

  explicit TvProgressDisplay(std::unique_ptr<platform::ProgressView> view, Clock clock = nullptr);

  void Begin(uint64_t totalMessages) override;
  void Folder(const std::string& name) override;
  void Messages(uint64_t done) override;
  void End() override;

  // "N of M messages".
  static std::string CountsText(uint64_t done, uint64_t total);

 private:
  // Shows the counts now (force) or when the last showing is kIntervalMs old.
  void Show(bool force);

  std::unique_ptr<platform::ProgressView> m_view;
  Clock m_clock;
  uint64_t m_total = 0;
  uint64_t m_done = 0;
  std::string m_folder;
  uint64_t m_lastShownMs = 0;
  bool m_shown = false;
};
