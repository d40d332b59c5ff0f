#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace platform {

void ShellOpen(const std::string& path) {
  ::ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

namespace {

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

bool MakeFolder(const std::string& path) {
  if (::CreateDirectoryA(path.c_str(), nullptr)) return true;
  DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CopyContents(const std::string& source, const std::string& target, int depth,
                  DWORD* firstError) {
  auto fail = [firstError]() {
    if (*firstError == 0) *firstError = ::GetLastError() ? ::GetLastError() : ERROR_GEN_FAILURE;
    return false;
  };
  if (depth > 64) return fail();
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((source + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return fail();
  std::vector<WIN32_FIND_DATAA> entries;
  do {
    std::string name = data.cFileName;
    if (name != "." && name != "..") entries.push_back(data);
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  bool ok = true;
  for (const WIN32_FIND_DATAA& entry : entries) {
    std::string from = source + "\\" + entry.cFileName;
    std::string to = target + "\\" + entry.cFileName;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!MakeFolder(to)) {
        ok = fail();
        continue;
      }
      if (!CopyContents(from, to, depth + 1, firstError)) ok = false;
    } else if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
      ok = fail();
    }
  }
  return ok;
}

}  // namespace

bool CopyFolderTree(const std::string& sourceFolder, const std::string& targetFolder) {
  std::string source = WithoutTrailingSeparator(sourceFolder);
  std::string target = WithoutTrailingSeparator(targetFolder);
  char realSource[MAX_PATH * 4];
  char realTarget[MAX_PATH * 4];
  if (::GetFullPathNameA(source.c_str(), sizeof(realSource), realSource, nullptr) == 0 ||
      ::GetFullPathNameA(target.c_str(), sizeof(realTarget), realTarget, nullptr) == 0) {
    return false;
  }
  std::string s = WithoutTrailingSeparator(realSource);
  std::string t = WithoutTrailingSeparator(realTarget);
  if (::lstrcmpiA(s.c_str(), t.c_str()) == 0 ||
      (t.size() > s.size() && ::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, s.c_str(),
                                               static_cast<int>(s.size()), t.c_str(),
                                               static_cast<int>(s.size())) == CSTR_EQUAL &&
       (t[s.size()] == '\\' || s.back() == '\\'))) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  for (size_t i = 1; i <= target.size(); ++i) {
    if (i != target.size() && target[i] != '\\' && target[i] != '/') continue;
    std::string level = target.substr(0, i);
    if (level.size() <= 3 && level.find(':') != std::string::npos) continue;  // the drive
    if (!MakeFolder(level) && i == target.size()) return false;
  }
  DWORD firstError = 0;
  bool ok = CopyContents(source, target, 0, &firstError);
  if (!ok) ::SetLastError(firstError);
  return ok;
}

}  // namespace platform
