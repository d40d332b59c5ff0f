// POSIX backend only: the process's table of open files with their access and sharing, which
// gives the Windows sharing rules within the process.
#pragma once

#include <string>

namespace platform::posix {

// True when an open handle of this process that takes part in sharing (one opened for reading or
// writing) refers to the file at path. Windows refuses to delete or rename such a file.
bool IsFileOpen(const std::string& path);

// Sets the last error from errno.
void FailWithErrno();

}  // namespace platform::posix
