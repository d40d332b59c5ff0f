// A complete 3.0 data folder for the end-to-end tests: what complete_data_folder.cpp writes, for
// the checks of the test that converts it. The writer is built for the program's own target (so
// under Wine it runs under Wine); the test only needs these names.
#pragma once

namespace tvtest::e2e::complete {

// Old message files (32 hexadecimal digits) and the folder directories that hold them.
inline constexpr const char* kInboxMessage = "00000000000000000000000000001234";
inline constexpr const char* kProjectMessage = "00000000000000000000000000005678";
inline constexpr const char* kProjectFolder = "Projects";

// Contacts: "Friends" (ann, a hidden user) and "friends" (ben) merge; "Work" holds cid.

}  // namespace tvtest::e2e::complete
