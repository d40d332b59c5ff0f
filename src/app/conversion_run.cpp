#include "app/conversion_run.h"

#include <csignal>

#include "app/conversion_core.h"
#include "app/progress_display.h"
#include "foundation/utilities.h"
#include "platform/interrupt.h"
#include "platform/progress_view.h"
#include "platform/ui.h"

namespace {

std::string Count(uint32_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

void RunConversion(ConversionCore& core, TvBool deleteOld, bool windowed) {
  // From here (a silent run: from start-up) to the end of the conversion; the dialog's prompts
  // before it stay interruptible as usual, since nothing is half done there.
  platform::InstallStopHandlers();
  {
    std::unique_ptr<platform::ProgressView> view;
    if (!platform::UI().IsQuiet()) view = platform::OpenProgressView(windowed);
    if (view == nullptr) {
      core.Convert(deleteOld);
    } else {
      TvProgressDisplay display(std::move(view));
      TvProgress* previous = SetProgress(&display);
      core.Convert(deleteOld);
      SetProgress(previous);
    }
  }
  // The dialog's prompts after this are interruptible as usual. A silent run keeps the handlers
  // it installed at start-up to its end: a signal that comes after the last message has nothing
  // left to stop, and must not kill the run while it records the version and writes its report.
  if (windowed) platform::RemoveStopHandlers();
}

std::string SummaryText(const TvRunOutcome& outcome, const std::string& keptLog) {
  std::string text;
  if (outcome.interrupted) text += "Interrupted, run the conversion again to finish it: ";
  text += Count(outcome.messagesConverted, "message", "messages") + " converted, ";
  text += std::to_string(outcome.messagesNotConverted) + " not converted, ";
  text += Count(outcome.listFilesConverted, "list file", "list files") + " converted, ";
  text += Count(outcome.failures, "error", "errors");
  if (!keptLog.empty()) text += ", log: " + keptLog;
  return text;
}

std::string KeptLog(ConversionCore& core) {
  std::string log = core.m_log.FilePath();
  if (core.m_log.m_dwordErrorCount == 0 || !FileExists(log)) log.clear();
  return log;
}

std::string RunSummary(ConversionCore& core) { return SummaryText(RunOutcome(), KeptLog(core)); }

std::string DoneBoxText(TvBool launch) {
  std::string text =
      launch != 0 ? "Done [ hit 'OK' ] to exit and launch Zorvane" : "Done [ hit 'OK' ] to exit ";
  if (g_pConversionCore != nullptr) text += "\n" + RunSummary(*g_pConversionCore);
  return text;
}

int InterruptedExitStatus() {
  const int signal = platform::StopSignal();
  return 128 + (signal != 0 ? signal : SIGINT);
}
