// What the conversion's walk decides, told as it decides it. The converter itself listens to
// nothing (its log lines say it all); zvtool check plans the same walk and listens, so its
// verdicts are the converter's own.
#pragma once

#include <cstddef>
#include <string>

#include "database/message_outcome.h"

class TvMessage;

class TvWalkListener {
 public:
  virtual ~TvWalkListener() = default;
  // A folder the walk does not convert, with the Error line that says why.
  virtual void FolderSkipped(const std::string& /*line*/) {}
  // A folder (its directory ends in a separator) whose oldFiles old message files the walk is
  // about to convert.
  virtual void FolderEntered(const std::string& /*name*/, const std::string& /*directory*/,
                             size_t /*oldFiles*/) {}
  // The old file at oldPath was read into message; its outcome follows.
  virtual void Loaded(const std::string& /*oldPath*/, TvMessage& /*message*/) {}
  // The one outcome of an old message file the walk reached.
  virtual void Outcome(const TvMessageOutcome& /*outcome*/) {}
};
