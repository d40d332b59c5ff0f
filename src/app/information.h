// The arguments that only ask for information: "/?", "-h" and "--help" for the usage, "--version"
// for the version. Either one ends the program at once with exit status 0, before anything is
// read or written (no settings, no data folder, no files). Any other argument is the start-up's.
#pragma once

#include <string>

enum class TvInformation { kNone, kUsage, kVersion };

// The first information argument among the whitespace-separated words of the command line.
TvInformation FindInformationRequest(const std::string& commandLine);

std::string UsageText();
// "ZV30TO31 1.0.0.137" and the build's revision when it is known.
std::string VersionText();
// The version alone ("1.0.0.137") and the source revision (empty when unknown).
std::string ToolVersion();
std::string ToolRevision();

// Shows the text asked for (stdout on POSIX; on Windows the standard output when redirected,
// else a box). False when the command line asks for none.
bool ShowInformationRequest(const std::string& commandLine);
