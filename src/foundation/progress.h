// How far the conversion has come, told to whoever shows it (the progress window, the terminal's
// progress line). The walk calls it between messages; the default sink does nothing, so a silent
// run and the tests pay nothing for it.
#pragma once

#include <cstdint>
#include <string>

class TvProgress {
 public:
  virtual ~TvProgress() = default;
  // The number of old message files the walk will visit, known before the first is converted.
  virtual void Begin(uint64_t /*totalMessages*/) {}
  // The walk entered the folder of that name.
  virtual void Folder(const std::string& /*name*/) {}
  // done of the total have been visited (converted or not).
  virtual void Messages(uint64_t /*done*/) {}
  // The walk is over (finished or stopped).
  virtual void End() {}
};

// The sink in force; never null.
TvProgress& Progress();
// Installs a sink (not owned) and returns the previous one; null restores the silent default.
TvProgress* SetProgress(TvProgress* progress);
