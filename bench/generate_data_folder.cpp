// Writes a 3.0 data folder for the conversion benchmark and the end-to-end runs.
//
//   bench_generate_data_folder <data folder> <messages> [seed] [--no-attachments]
//     messages spread over Inbox, Sent, Drafts and two user folders; bodies of about 2 KiB,
//     1 to 10 recipients, one message in ten with 1 to 3 attachments of 10 KiB to 2 MiB (none with
//     --no-attachments).
//   bench_generate_data_folder <data folder> --one-attachment <MiB>
//     one Inbox message with one attachment of that size (streamed, never held in memory).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "support/old_data_writer.h"

namespace {

int Usage() {
  std::fprintf(
      stderr,
      "usage: bench_generate_data_folder <data folder> <messages> [seed] [--no-attachments]\n"
      "       bench_generate_data_folder <data folder> --one-attachment <MiB>\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  std::string folder = argv[1];
  if (folder.back() != '/' && folder.back() != '\\') folder += '/';
  tvtest::OldDataFolder data(folder);
  data.Folders({tvtest::Folder("Inbox", 0, 5), tvtest::Folder("Sent items", 2, 5),
                tvtest::Folder("Projects", 7, 1), tvtest::Folder("Archive", 8, 1)})
      .NamesIndex({tvtest::NamesIndexRecord(1), tvtest::NamesIndexRecord(2)});

  if (std::string(argv[2]) == "--one-attachment") {
    if (argc < 4) return Usage();
    tvtest::OldMessage m;
    m.hexName = tvtest::HexName(1);
    m.body = "one big attachment";
    m.recipients = {{"receiver", 1, 0, 0}};
    tvtest::OldAttachment a;
    a.name = "big.bin";
    a.generated = true;
    a.generatedSize = std::strtoull(argv[3], nullptr, 10) << 20;
    m.attachments.push_back(a);
    data.Message("Inbox", m);
    return 0;
  }

  const uint64_t count = std::strtoull(argv[2], nullptr, 10);
  const bool attachments = !(argc > 4 && std::string(argv[4]) == "--no-attachments");
  std::mt19937_64 random(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 30);
  auto between = [&random](uint64_t low, uint64_t high) {
    return low + random() % (high - low + 1);
  };
  const char* folders[] = {"Inbox", "Sent", "Drafts", "Projects", "Archive"};
  for (uint64_t i = 0; i < count; ++i) {
    tvtest::OldMessage m;
    m.hexName = tvtest::HexName(i + 1);
    m.kind = 3;
    for (uint64_t r = between(1, 10); r > 0; --r) {
      m.recipients.push_back({"user" + std::to_string(between(1, 500)), 1,
                              static_cast<uint32_t>(random()), static_cast<uint32_t>(random())});
    }
    m.body = tvtest::PatternBytes(i, between(1536, 2560), 3);
    m.texts[0] = "sender" + std::to_string(i % 97);
    m.texts[1] = "Subject " + std::to_string(i);
    m.values[0] = static_cast<uint32_t>(i);
    if (between(1, 10) == 1 && attachments) {
      for (uint64_t k = between(1, 3); k > 0; --k) {
        tvtest::OldAttachment a;
        a.name = "file" + std::to_string(k) + ".dat";
        a.generated = true;
        a.generatedSize = between(10 << 10, 2 << 20);
        a.seed = static_cast<uint32_t>(i);
        m.attachments.push_back(a);
      }
    }
    data.Message(folders[i % 5], m);
  }
  return 0;
}
