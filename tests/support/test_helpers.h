// Small helpers shared by the tests: text suffixes, differences between two file trees, whole
// files and the message files of a folder. Standard library only: the Wine end-to-end driver,
// built for the build machine, compiles this file too.
#pragma once

#include <cstddef>
#include <map>
#include <string>

namespace tvtest {

bool EndsWith(const std::string& text, const std::string& suffix);

// " extra:<path>", " differs:<path>" and " missing:<path>" for every path (relative path ->
// contents) that is only in a, in both with other contents, or only in b.
std::string DescribeTreeDifference(const std::map<std::string, std::string>& a,
                                   const std::map<std::string, std::string>& b);

// The whole content of path, or an empty text when it cannot be read.
std::string ReadAll(const std::string& path);

// The ".Message" files of a folder directory, counted by name length: 40 for old files, 24 for
// new ones.
std::map<size_t, int> MessageNames(const std::string& directory);

}  // namespace tvtest
