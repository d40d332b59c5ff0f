// The settings sections. Each section is one key of the settings store; a member's name is its
// value name (with the exceptions noted at the member), and its prefix gives its kind:
// m_bool/m_dword/m_int/m_word/m_cr numbers, m_cs texts, m_dword64 and m_st binary blocks.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "foundation/data_paths.h"
#include "foundation/types.h"
#include "platform/system_info.h"

class SettingsStore;

class TvSettings {
 public:
  explicit TvSettings(std::string sectionName);
  virtual ~TvSettings();
  TvSettings(const TvSettings&) = delete;
  TvSettings& operator=(const TvSettings&) = delete;

  // Writes the section's values to the store; 1 on success.
  virtual TvBool Save() = 0;
  // Reads them; 1 on success.
  virtual TvBool Load() = 0;

  const std::string m_csSectionName;

 protected:
  // The store in force, or one on which every read gives its default (no store selected).
  SettingsStore& Store() const;

  TvBool ReadBool(const char* name, TvBool def) const;
  uint32_t ReadDword(const char* name, uint32_t def) const;
  int32_t ReadSigned(const char* name, int32_t def) const;
  uint16_t ReadWord(const char* name, uint16_t def) const;
  std::string ReadText(const char* name, const std::string& def) const;
  // A 64-bit number kept as an 8-byte block; def when the block cannot be read. A shorter
  // stored block replaces only the low bytes of what the member held.
  uint64_t ReadDword64(const char* name, uint64_t current, uint64_t def) const;
  TvBool ReadRecord(const char* name, uint8_t* record, uint32_t size) const;

  // 0 when the store refused the value (LastError() tells why where the system gives a reason).
  TvBool WriteDword(const char* name, uint32_t value) const;
  void WriteText(const char* name, const std::string& text) const;
  void WriteDword64(const char* name, uint64_t value) const;
  void WriteRecord(const char* name, const uint8_t* record, uint32_t size) const;
};

// "RunTime Settings": works out the user data folder and its six standard folder directories, the
// one source of truth for every path of the conversion. Only m_csUserDataFolder is stored.
class TvSettingsRunTime : public TvSettings, public TvDataPaths {
 public:
  TvSettingsRunTime();
  ~TvSettingsRunTime() override;

  // 1 when the default user data folder (the application-data folder, then "Tarvo software",
  // then "Zorvane") could be established, else 0, even when the store names a usable folder.
  // Also 0 when the store names a folder that cannot be used: m_csDataFolderProblem then says
  // why, m_csUserDataFolder holds the stored name, and nothing is written or made.
  TvBool Load() override;
  // Nothing of this section is written: returns 1.
  TvBool Save() override;

  const std::string& UserDataFolder() const override { return m_csUserDataFolder; }
  const std::string& StandardFolderDirectory(int folderId) const override;

  platform::OsVersionInfo m_osVersion;
  TvBool m_boolWindowsNT = 0;
  std::string m_csCurrentFolder;
  std::string m_csComputerName;
  std::string m_csLogonUserName;
  std::string m_csUserDataFolder;
  std::string m_csTempFolder;
  std::string m_csInboxFolder;
  std::string m_csOutboxFolder;
  std::string m_csDeletedFolder;
  std::string m_csSentFolder;
  std::string m_csDraftsFolder;
  std::string m_csWorkgroup;
  void* m_hTrayWnd = nullptr;
  void* m_hUser32 = nullptr;
  void* m_pfnGetLastInputInfo = nullptr;
  // Why the folder the store names cannot be used (missing and not creatable, or no folder);
  // empty when it can, or when the store names none.
  std::string m_csDataFolderProblem;

 private:
  // Makes the folder's last level when missing; empty when it is then a usable folder, else the
  // reason in the system's words (or "it is not a folder").
  static std::string WhyNotUsable(const std::string& folder);
  // The application-data candidate: sets m_csUserDataFolder and returns 1, or leaves it empty.
  TvBool LoadApplicationDataFolder();
  std::string m_none;
};

// "Contact List Settings".
class TvSettingsContactList : public TvSettings {
 public:
  TvSettingsContactList();
  TvBool Load() override;
  TvBool Save() override;

  TvBool m_boolDoNotRegisterNewContacts = 0;
  TvBool m_boolAllowMessagesFromContactsOnly = 0;
  TvBool m_boolTemporaryContactsByDefault = 0;
  TvBool m_boolSendToOfflineByDefault = 0;
  TvBool m_boolTakeContactListFomrExternalLocation = 0;
  std::string m_csExternalContactListPath;  // where the contact list may keep its file instead
  uint32_t m_dwordRequestStatusTime = 0;
  uint32_t m_dwordSendYourStatusTime = 0;
  uint32_t m_dwordOfflineAfterRequests = 0;
  uint32_t m_dwordSetAWAYstatusAfter = 0;
  uint32_t m_dwordSetNAstatusAfter = 0;
  TvBool m_boolAutomaticlyChangeStatus = 0;
};

// "Interface Settings". The key code is read from "m_wordKeyCod" and written to "m_wordVirtKey".
class TvSettingsInterface : public TvSettings {
 public:
  static constexpr uint32_t kFontRecordSize = 60;

  // The start-up entry that Save updates runs the messenger from the run-time section's
  // current folder.
  explicit TvSettingsInterface(const TvSettingsRunTime* runTime);
  TvBool Load() override;
  // Writes every value, then sets or removes the machine's start-up entry "Zorvane".
  TvBool Save() override;

  std::string m_csLanguage;
  std::string m_csSkin;
  TvBool m_boolListCtrlGrid = 0;
  TvBool m_boolRunMinimised = 0;
  TvBool m_boolAskForExit = 0;
  TvBool m_boolStartUp = 0;
  TvBool m_boolSystemTray = 0;
  TvBool m_boolHotKey = 0;
  TvBool m_boolCloseOnlyFromTray = 0;
  TvBool m_boolClearDeletedItemsAtExit = 0;
  TvBool m_boolClearAllItemsAtExit = 0;
  TvBool m_boolIMComposer = 0;
  uint32_t m_dwordIMPreviewMessagesCount = 0;
  TvBool m_boolAlwaysOnTop = 0;
  TvBool m_boolMinimizeOnLastDelete = 0;
  uint16_t m_wordKeyCod = 0;
  uint16_t m_wordKeyMod = 0;
  uint32_t m_crTextBackgroundColor = 0;
  uint32_t m_crTextForegroundColor = 0;
  std::string m_csNewNormalPriorityMessageSound;
  std::string m_csNewHighPriorityMessageSound;
  std::string m_csNewLowPriorityMessageSound;
  TvBool m_boolNewNormalPriorityMessagePopup = 0;
  TvBool m_boolNewHighPriorityMessagePopup = 0;
  TvBool m_boolNewLowPriorityMessagePopup = 0;
  TvBool m_boolUseSystemBeeper = 0;
  std::array<uint8_t, kFontRecordSize> m_stFontStyleText{};
  TvBool m_boolFlatButtons = 0;
  TvBool m_boolUseLongDateFormat = 0;
  uint32_t m_dwordMessageDisplayFlags = 0;
  TvBool m_boolShowFromAndToFields = 0;
  TvBool m_boolCheckForUpdates = 0;

 private:
  const TvSettingsRunTime* m_runTime;
};

// "Networking Settings".
class TvSettingsNetworking : public TvSettings {
 public:
  // Both size limits: the low 32 bits set, the high 32 bits clear.
  static constexpr uint64_t kDefaultSizeLimit = 0x00000000FFFFFFFFull;

  TvSettingsNetworking();
  TvBool Load() override;
  TvBool Save() override;

  TvBool m_boolTerminalServerMode = 0;
  int32_t m_intMessagingPort = 0;
  int32_t m_intContactListPort = 0;
  int32_t m_intServerConnectionsCount = 0;
  uint32_t m_dwordMaximumThreads = 0;
  uint32_t m_dwordMaxMessageTextSize = 0;
  // Start at the default, so that a shorter stored block leaves defined high bytes.
  uint64_t m_dword64MaxMessageAttachmentSize = kDefaultSizeLimit;
  uint64_t m_dword64MaxMessageSize = kDefaultSizeLimit;
  uint32_t m_dwordDefaultConnectionTimeOut = 0;
  TvBool m_boolGracefulClose = 0;
};

// "System Settings". Besides its members it has the value "m_dwordDatabaseVersion", which only
// Save writes: 0x301 once a conversion has run. The destructor runs Save.
class TvSettingsSystem : public TvSettings {
 public:
  static constexpr uint32_t kThisBuild = 137;
  static constexpr uint32_t kDatabaseVersion = 0x301;

  // Reads "m_dwordBuild" (the only value read at construction).
  TvSettingsSystem();
  ~TvSettingsSystem() override;
  TvBool Load() override;
  // Writes "m_dwordDatabaseVersion" = 0x301 when conversionDone is set, nothing else; 0 when
  // that write failed. The destructor saves only when nobody did before it, so start-up can
  // record the version while the run can still count and report a failure.
  TvBool Save() override;

  std::string m_csUpdateSavePath;
  uint32_t m_dwordThisBuild = kThisBuild;  // not stored
  uint32_t m_dwordBuild = 0;
  uint32_t m_dwordCheckedBuild = 0;
  uint32_t m_dwordCheckedTime = 0;
  TvBool conversionDone = 0;   // set by the conversion core when its conversion has run
  TvBool launchMessenger = 0;  // set by the main dialog from its launch check box

 private:
  bool m_saved = false;
};

// "User Info Settings". The defaults of the user and group names come from the run-time section,
// which must have been loaded first.
class TvSettingsUserInfo : public TvSettings {
 public:
  static constexpr const char* kDefaultEmail = "user@localhost";

  explicit TvSettingsUserInfo(const TvSettingsRunTime* runTime);
  TvBool Load() override;
  TvBool Save() override;

  std::string m_csUserName;
  std::string m_csGroupName;
  std::string m_csEmail;

 private:
  const TvSettingsRunTime* m_runTime;
};

// "Windows Settings": seven window placements the tool carries without looking inside.
class TvSettingsWindows : public TvSettings {
 public:
  static constexpr uint32_t kRecordSize = 52;
  using Record = std::array<uint8_t, kRecordSize>;

  TvSettingsWindows();
  TvBool Load() override;
  TvBool Save() override;

  Record m_stMainWindow{};
  Record m_stMessageEditorStd{};
  Record m_stMessageEditorIm{};
  Record m_stSendMessage{};
  Record m_stOptions{};
  Record m_stWindowMessage{};
  Record m_stSearchInMessages{};
};
