// The real program, run silently over whole data folders written by programs built for the same
// target as the program (so under Wine they run under Wine too): the benchmark's generated folder
// of a few hundred messages in five folders (some with attachments), and a folder that holds every
// kind of 3.0 file (folders file, names index, folder indexes, message files, contact list, fast
// replies, auto answers). Everything is converted and no log is left.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "e2e/complete_data_folder.h"
#include "e2e/e2e_fixture.h"
#include "support/new_contacts_reader.h"
#include "support/test_helpers.h"

#ifndef TV_E2E_GENERATOR
#define TV_E2E_GENERATOR ""
#endif
#ifndef TV_E2E_COMPLETE_FOLDER
#define TV_E2E_COMPLETE_FOLDER ""
#endif

namespace tvtest::e2e {
namespace {

TEST_F(E2eTest, SilentConvertsEveryMessageOfAGeneratedDataFolder) {
  if (std::string(TV_E2E_GENERATOR).empty()) GTEST_SKIP() << "no data folder generator";
  const int kMessages = 300;
  ASSERT_NO_FATAL_FAILURE(WriteDefaultFolder(TV_E2E_GENERATOR, {std::to_string(kMessages), "7"}));
  const std::string folder = harness->DefaultDataFolder() + "/";
  const char* folders[] = {"Inbox", "Sent", "Drafts", "Projects", "Archive"};
  for (const char* f : folders) {
    ASSERT_EQ(MessageNames(folder + f)[40], kMessages / 5) << f;
  }

  ASSERT_NO_FATAL_FAILURE(ExpectCleanSilentRun(folder));
  // Every folder's share is converted (five shares of kMessages / 5: every message).
  for (const char* f : folders) {
    std::map<size_t, int> names = MessageNames(folder + f);
    EXPECT_EQ(names[40], 0) << "old files left in " << f;
    EXPECT_EQ(names[24], kMessages / 5) << "new files in " << f;
    EXPECT_FALSE(Exists(folder + f + "/Messages.Index"));
  }
  EXPECT_TRUE(Exists(folder + "Folders.List"));
  EXPECT_TRUE(Exists(folder + "Names.Index"));
  EXPECT_FALSE(Exists(folder + "Database.Folders"));
}

TEST_F(E2eTest, SilentConvertsACompleteDataFolderAndLeavesNoLog) {
  if (std::string(TV_E2E_COMPLETE_FOLDER).empty()) GTEST_SKIP() << "no data folder writer";
  ASSERT_NO_FATAL_FAILURE(WriteDefaultFolder(TV_E2E_COMPLETE_FOLDER, {}));
  const std::string folder = harness->DefaultDataFolder() + "/";
  const std::string projects = std::string(complete::kProjectFolder);
  for (const std::string& f : {std::string("Inbox"), projects}) {
    ASSERT_EQ(MessageNames(folder + f)[40], 1) << f;
  }

  ASSERT_NO_FATAL_FAILURE(ExpectCleanSilentRun(folder));
  EXPECT_EQ(harness->QueryDword("System Settings", "m_dwordDatabaseVersion"), 0x301u);

  // Every old file is gone and its new file is there.
  for (const char* gone :
       {"Database.Folders", "ContactList.Users", "FastReplys.Array", "AutoAnswers.Array",
        "Inbox/Messages.Index", "Projects/Messages.Index"}) {
    EXPECT_FALSE(Exists(folder + gone)) << gone;
  }
  for (const char* made :
       {"Folders.List", "Names.Index", "Contacts.List", "FastReplys.List", "AutoAnswers.List"}) {
    EXPECT_TRUE(Exists(folder + made)) << made;
  }
  for (const std::string& f : {std::string("Inbox"), projects}) {
    std::map<size_t, int> names = MessageNames(folder + f);
    EXPECT_EQ(names[40], 0) << "old message left in " << f;
    EXPECT_EQ(names[24], 1) << "new message in " << f;
  }

  // The new lists are well formed; what they hold is the stores' own tests' business.
  std::string error;
  contacts_support::NewContactsFile list;
  EXPECT_TRUE(contacts_support::ParseContactsList(ReadAll(folder + "Contacts.List"), &list, &error))
      << error;
  EXPECT_EQ(list.root.children.size(), 2u) << "Friends and friends merged, Work";
  for (const char* replies : {"FastReplys.List", "AutoAnswers.List"}) {
    TvTextMessagesImage parsed;
    EXPECT_TRUE(contacts_support::ParseTextMessages(ReadAll(folder + replies), &parsed, &error))
        << replies << ": " << error;
  }
}

}  // namespace
}  // namespace tvtest::e2e
