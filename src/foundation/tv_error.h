// Error reports: the system's text for the last error, shown in a message box when asked.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/types.h"

class TvError {
 public:
  // Captures the system's last error and its text; shows it when show is nonzero.
  explicit TvError(TvBool show);
  // Puts the system's last-error value back as it was at construction.
  virtual ~TvError();
  // Shows m_csMessage in an OK message box with the error icon.
  virtual void Show();

  TvBool m_boolFormatted = 0;
  std::string m_csMessage;
  uint32_t m_dwordErrorCode = 0;
  uint32_t m_dwordSavedError = 0;

 protected:
  struct NoShow {};
  explicit TvError(NoShow);
};

// "Operation with file '%s' has failed, because: %s"; a null name reads "Unnamed".
class TvFileError : public TvError {
 public:
  TvFileError(const char* fileName, TvBool show);
  ~TvFileError() override;
};

// The system's text for its last error, without the line end and the closing full stop, to be
// put inside a sentence ("..., because: <text>.").
std::string LastErrorReason();
// The same for a given system error code.
std::string ErrorReason(uint32_t code);
