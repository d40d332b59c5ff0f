// What the conversion's walk decides, told as it decides it. The converter itself listens to
// nothing (its log lines say it all); zvtool check runs the same walk dry and listens, so its
// verdicts are the converter's own.
#pragma once

#include <cstddef>
#include <string>

#include "messages/message_batch.h"

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
  // An old message file the walk reached.
  virtual void MessageFound(const std::string& /*oldPath*/) {}
  // The old file could not be read; message.LoadProblem() says why.
  virtual void NotLoaded(const std::string& /*oldPath*/, TvMessage& /*message*/) {}
  // The old file was read into message and its new file is being written.
  virtual void Loaded(const std::string& /*oldPath*/, TvMessage& /*message*/) {}
  // The new file's fate: committed, or refused and why.
  virtual void Decided(const TvMessageBatch::Outcome& /*outcome*/) {}
};
