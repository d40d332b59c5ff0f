#include "app/progress_display.h"

#include <chrono>

namespace {

uint64_t SteadyMilliseconds() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

}  // namespace

TvProgressDisplay::TvProgressDisplay(std::unique_ptr<platform::ProgressView> view, Clock clock)
    : m_view(std::move(view)), m_clock(clock != nullptr ? clock : &SteadyMilliseconds) {}

void TvProgressDisplay::Begin(uint64_t totalMessages) {
  m_total = totalMessages;
  m_done = 0;
  Show(true);
}

void TvProgressDisplay::Folder(const std::string& name) {
  m_folder = name;
  Show(false);
}

void TvProgressDisplay::Messages(uint64_t done) {
  m_done = done;
  Show(false);
}

void TvProgressDisplay::End() { Show(true); }

std::string TvProgressDisplay::CountsText(uint64_t done, uint64_t total) {
  return std::to_string(done) + " of " + std::to_string(total) + " messages";
}

void TvProgressDisplay::Show(bool force) {
  if (m_view == nullptr) return;
  const uint64_t now = m_clock();
  if (!force && m_shown && now - m_lastShownMs < kIntervalMs) return;
  m_shown = true;
  m_lastShownMs = now;
  m_view->Show(m_done, m_total, CountsText(m_done, m_total), m_folder);
}
