// zvtool reports: one table of the reports the converter wrote on many machines (/REPORT:<path>,
// e.g. one file per computer on a share), so an administrator sees at a glance which machines
// are done and which need another look. Every "*.json" file of the folder gets a row; a file
// that does not parse or is no converter report is listed as such, never left out.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "zvtool/commands.h"
#include "zvtool/tool_common.h"

namespace zvtool {

namespace {

constexpr const char* kReportKind = "ZV30TO31 run";

struct ReportRow {
  std::string file;
  std::string problem;  // empty for a report that was read
  std::string computer, user, outcome, firstError;
  int64_t exitStatus = 0;
  uint64_t converted = 0, notConverted = 0, listFiles = 0, errors = 0;
};

bool EndsWithJson(const std::string& name) {
  if (name.size() < 5) return false;
  std::string tail = name.substr(name.size() - 5);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return tail == ".json";
}

// The row of one file: the report's fields, or what is wrong with the file.
ReportRow ReadRow(const std::filesystem::path& path) {
  ReportRow row;
  row.file = path.filename().string();
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  if (!in) {
    row.problem = "cannot be read";
    return row;
  }
  Json doc = Json::parse(bytes.str(), nullptr, false);
  if (doc.is_discarded()) {
    row.problem = "damaged: not JSON";
    return row;
  }
  if (!doc.is_object() || doc.value("report", std::string()) != kReportKind) {
    row.problem = "foreign: not a converter report";
    return row;
  }
  try {
    row.computer = doc.at("computer").get<std::string>();
    row.user = doc.at("user").get<std::string>();
    row.exitStatus = doc.at("exitStatus").get<int64_t>();
    row.outcome = doc.at("outcome").get<std::string>();
    row.converted = doc.at("messagesConverted").get<uint64_t>();
    row.notConverted = doc.at("messagesNotConverted").get<uint64_t>();
    row.listFiles = doc.at("listFilesConverted").get<uint64_t>();
    row.errors = doc.at("errors").get<uint64_t>();
    const Json& firstErrors = doc.at("firstErrors");
    if (!firstErrors.is_array()) throw std::runtime_error("firstErrors");
    if (!firstErrors.empty()) row.firstError = firstErrors.front().get<std::string>();
  } catch (const std::exception&) {
    ReportRow damaged;
    damaged.file = row.file;
    damaged.problem = "damaged: a field is missing or of the wrong kind";
    return damaged;
  }
  return row;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos &&
      (text.empty() || (text.front() != ' ' && text.back() != ' '))) {
    return text;
  }
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

void PrintTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
  std::vector<size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  for (const auto& row : rows) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line += std::string(widths[i] - row[i].size() + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << '\n';
  }
}

}  // namespace

int RunReports(const std::string& dir, bool csv, std::ostream& out, std::ostream& err) {
  std::error_code error;
  std::vector<std::filesystem::path> files;
  std::filesystem::directory_iterator it(dir, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    if (EndsWithJson(it->path().filename().string()) && !it->is_directory()) {
      files.push_back(it->path());
    }
  }
  if (error) {
    err << "zvtool reports: the folder '" << dir << "' cannot be read: " << error.message() << "\n";
    return kExitError;
  }
  std::sort(files.begin(), files.end());

  std::vector<ReportRow> rows;
  for (const auto& file : files) rows.push_back(ReadRow(file));

  size_t read = 0, unreadable = 0;
  ReportRow total;
  std::map<std::pair<int64_t, std::string>, size_t> outcomes;  // by exit status, then word
  for (const ReportRow& row : rows) {
    if (!row.problem.empty()) {
      ++unreadable;
      continue;
    }
    ++read;
    ++outcomes[{row.exitStatus, row.outcome}];
    total.converted += row.converted;
    total.notConverted += row.notConverted;
    total.listFiles += row.listFiles;
    total.errors += row.errors;
  }

  if (csv) {
    out << "file,computer,user,exitStatus,outcome,messagesConverted,messagesNotConverted,"
           "listFilesConverted,errors,firstError,problem\r\n";
    for (const ReportRow& r : rows) {
      const bool ok = r.problem.empty();
      out << CsvField(r.file) << ',' << CsvField(r.computer) << ',' << CsvField(r.user) << ','
          << (ok ? std::to_string(r.exitStatus) : "") << ',' << CsvField(r.outcome) << ','
          << (ok ? std::to_string(r.converted) : "") << ','
          << (ok ? std::to_string(r.notConverted) : "") << ','
          << (ok ? std::to_string(r.listFiles) : "") << ',' << (ok ? std::to_string(r.errors) : "")
          << ',' << CsvField(r.firstError) << ',' << CsvField(r.problem) << "\r\n";
    }
  } else {
    std::vector<std::vector<std::string>> table = {{"COMPUTER", "USER", "STATUS", "CONVERTED",
                                                    "NOT CONVERTED", "LIST FILES", "ERRORS",
                                                    "FIRST ERROR OR PROBLEM"}};
    for (const ReportRow& r : rows) {
      if (!r.problem.empty()) {
        table.push_back({r.file, "-", "-", "", "", "", "", r.problem});
        continue;
      }
      table.push_back({r.computer, r.user, std::to_string(r.exitStatus) + " " + r.outcome,
                       std::to_string(r.converted), std::to_string(r.notConverted),
                       std::to_string(r.listFiles), std::to_string(r.errors),
                       OneLine(r.firstError)});
    }
    PrintTable(out, table);
    out << "\nTotal: " << files.size() << " files, " << read << " reports (";
    const char* separator = "";
    for (const auto& [outcome, count] : outcomes) {
      out << separator << count << " " << outcome.second;
      separator = ", ";
    }
    out << "), " << unreadable << " damaged or foreign\n";
    out << "Messages converted " << total.converted << ", not converted " << total.notConverted
        << ", list files converted " << total.listFiles << ", errors " << total.errors << "\n";
  }

  if (files.empty()) {
    err << "zvtool reports: no *.json files in '" << dir << "'\n";
    return kExitNo;
  }
  const bool allDone = unreadable == 0 && std::all_of(rows.begin(), rows.end(), [](const auto& r) {
                         return r.exitStatus == 0;
                       });
  return allDone ? kExitOk : kExitNo;
}

}  // namespace zvtool
