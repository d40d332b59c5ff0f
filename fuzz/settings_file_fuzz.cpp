// The settings file ("Zorvane.reg", REGEDIT4 text) of any content, through the POSIX store's
// parser. No crash; a problem names a line; and a file that parses is written back by the
// formatter as a file that parses to the same keys and values, so the store never changes a value
// it did not set when it rewrites the file.
#include <string>

#include "fuzz/fuzz_common.h"
#include "platform/posix/reg_file_format.h"

namespace {

using platform::regfile::Document;

std::string Describe(const Document& document) {
  std::string text;
  for (const auto& key : document.keys) {
    text += "[" + key.path + "]";
    for (const auto& value : key.values) {
      text += " \"" + value.name + "\":" + std::to_string(value.type) + "=" + value.data;
    }
    text += "\n";
  }
  return text;
}

bool SameValues(const Document& a, const Document& b) {
  if (a.keys.size() != b.keys.size()) return false;
  for (size_t k = 0; k < a.keys.size(); ++k) {
    const auto& first = a.keys[k];
    const auto& second = b.keys[k];
    if (first.path != second.path || first.values.size() != second.values.size()) return false;
    for (size_t v = 0; v < first.values.size(); ++v) {
      if (first.values[v].name != second.values[v].name ||
          first.values[v].type != second.values[v].type ||
          first.values[v].data != second.values[v].data) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const platform::regfile::Parsed parsed = platform::regfile::Parse(bytes);
  if (!parsed.Ok()) {
    if (parsed.problem.find("line ") != 0 && parsed.problem != "no REGEDIT4 header") {
      tvfuzz::Fail("a problem that names no line: " + parsed.problem);
    }
    return 0;
  }
  const std::string written = platform::regfile::Format(parsed.document);
  const platform::regfile::Parsed again = platform::regfile::Parse(written);
  if (!again.Ok()) tvfuzz::Fail("the written file does not parse: " + again.problem);
  if (!SameValues(parsed.document, again.document)) {
    tvfuzz::Fail("the written file reads differently:\n" + Describe(parsed.document) + "---\n" +
                 Describe(again.document));
  }
  return 0;
}
