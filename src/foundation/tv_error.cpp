#include "foundation/tv_error.h"

#include "platform/system_error.h"
#include "platform/ui.h"

TvError::TvError(NoShow) {
  m_dwordSavedError = platform::LastError();
  m_dwordErrorCode = m_dwordSavedError;
  m_csMessage = platform::ErrorText(m_dwordErrorCode);
  m_boolFormatted = 1;
}

TvError::TvError(TvBool show) : TvError(NoShow{}) {
  if (show) Show();
}

TvError::~TvError() { platform::SetLastError(m_dwordSavedError); }

// The error box is counted as a reported failure by the user interface itself.
void TvError::Show() {
  platform::UI().MessageBox(m_csMessage, platform::BoxButtons::kOk, platform::BoxIcon::kError);
}

TvFileError::TvFileError(const char* fileName, TvBool show) : TvError(NoShow{}) {
  std::string systemText = m_csMessage;
  m_csMessage = "Operation with file '";
  m_csMessage += fileName != nullptr ? fileName : "Unnamed";
  m_csMessage += "' has failed, because: ";
  m_csMessage += systemText;
  if (show) Show();
}

TvFileError::~TvFileError() = default;

std::string LastErrorReason() { return ErrorReason(platform::LastError()); }

std::string ErrorReason(uint32_t code) {
  std::string reason = platform::ErrorText(code);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.')) {
    reason.pop_back();
  }
  return reason;
}
