#include "messages/message_fixture.h"

#include "platform/file_system.h"
#include "support/conversion_log_reader.h"

namespace tvtest {

MessageTest::MessageTest()
    : paths(scratch.Path()),
      log(paths),
      inbox(scratch.MakeDir("Inbox") + platform::kPathSeparator),
      staging(scratch.Path() + "staging" + platform::kPathSeparator),
      folders(inbox),
      message(log, folders) {
  message.SetStagingFolder(staging);
}

std::string MessageTest::WriteOld(const OldMessage& old) {
  std::string path = inbox + old.FileName();
  EXPECT_TRUE(WriteOldMessage(path, old));
  return path;
}

std::string MessageTest::Convert(const std::string& oldPath) {
  if (!message.LoadOld(oldPath)) return "";
  if (!message.Save(oldPath)) return "";
  std::string name;
  FileNameFromPath(name, oldPath);
  return inbox + NewMessageName(name.substr(0, 32));
}

std::string MessageTest::NewPath(const OldMessage& old) const {
  return inbox + NewMessageName(old.hexName);
}

std::vector<std::string> MessageTest::LogEntries() const {
  return ConversionLogEntries(scratch.Path() + TvLog::kFileName);
}

OldMessage FullMessage() {
  OldMessage m;
  m.kind = 3;
  m.recipients = {{"alice", 1, 0xC0A80102, 0x00000010}, {"bob", 2, 7, 8}};
  m.body = "Hello, this is the body.";
  m.texts[0] = "From";
  m.texts[1] = "Subject";
  m.texts[2] = "B";
  m.texts[3] = "D text";
  for (uint32_t i = 0; i < 4; ++i) m.values[i] = i + 1;
  m.attachments = {{"first.txt", "contents one"}, {"second.bin", std::string(1000, 'x')}};
  return m;
}

}  // namespace tvtest
