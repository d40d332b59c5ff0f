// Names taken from stored data (folder names, attachment names) are text, not trusted paths.
// Whether such a text can be one directory entry name, and how two names compare, is decided by
// the code-page aware name helpers of the foundation (IsPlainName, EqualNoCase, FoldCase); this
// header adds the safe, unique file name for an attachment whose stored name cannot be used.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/utilities.h"

// A file name for the attachment at index (0-based) of a message whose stored name is not plain,
// too long, or already used: "Attachment <index+1>" with the stored name's extension when that
// extension is short and plain. At most maxLength bytes (maxLength of 16 or more).
std::string FallbackAttachmentName(const std::string& storedName, uint32_t index,
                                   uint32_t maxLength);
