#include "settings/tv_settings.h"

#include <cstring>

#include "foundation/coding.h"
#include "foundation/tv_error.h"
#include "foundation/utilities.h"
#include "platform/file_system.h"
#include "settings/settings_store.h"
#include "settings/system_facts.h"

namespace {

// In force when start-up has selected no store: no key can be opened.
class TvNoSettingsStore : public SettingsStore {
 public:
  void SetStartupEntry(const std::string&, const std::string*) override {}

 protected:
  bool QueryValue(const std::string&, const std::string&, uint32_t*, std::string*) override {
    return false;
  }
  bool SetValue(const std::string&, const std::string&, uint32_t, const std::string&) override {
    return false;
  }
};

}  // namespace

// ---- Base ----------------------------------------------------------------------------------

TvSettings::TvSettings(std::string sectionName) : m_csSectionName(std::move(sectionName)) {}
TvSettings::~TvSettings() = default;

SettingsStore& TvSettings::Store() const {
  static TvNoSettingsStore none;
  SettingsStore* store = TheSettingsStore();
  return store != nullptr ? *store : none;
}

TvBool TvSettings::ReadBool(const char* name, TvBool def) const {
  return static_cast<TvBool>(Store().ReadInt(m_csSectionName, name, static_cast<uint32_t>(def)));
}
uint32_t TvSettings::ReadDword(const char* name, uint32_t def) const {
  return Store().ReadInt(m_csSectionName, name, def);
}
int32_t TvSettings::ReadSigned(const char* name, int32_t def) const {
  return static_cast<int32_t>(Store().ReadInt(m_csSectionName, name, static_cast<uint32_t>(def)));
}
uint16_t TvSettings::ReadWord(const char* name, uint16_t def) const {
  return static_cast<uint16_t>(Store().ReadInt(m_csSectionName, name, def) & 0xFFFFu);
}
std::string TvSettings::ReadText(const char* name, const std::string& def) const {
  return Store().ReadText(m_csSectionName, name, def);
}
uint64_t TvSettings::ReadDword64(const char* name, uint64_t current, uint64_t def) const {
  uint8_t block[8];
  EncodeFixed64(block, current);
  if (!Store().ReadBlock(m_csSectionName, name, block, sizeof(block))) return def;
  return DecodeFixed64(block);
}
TvBool TvSettings::ReadRecord(const char* name, uint8_t* record, uint32_t size) const {
  return Store().ReadBlock(m_csSectionName, name, record, size);
}

TvBool TvSettings::WriteDword(const char* name, uint32_t value) const {
  return Store().WriteInt(m_csSectionName, name, value);
}
void TvSettings::WriteText(const char* name, const std::string& text) const {
  Store().WriteText(m_csSectionName, name, text);
}
void TvSettings::WriteDword64(const char* name, uint64_t value) const {
  uint8_t block[8];
  EncodeFixed64(block, value);
  Store().WriteBlock(m_csSectionName, name, block, sizeof(block));
}
void TvSettings::WriteRecord(const char* name, const uint8_t* record, uint32_t size) const {
  Store().WriteBlock(m_csSectionName, name, record, size);
}

// ---- Run time ------------------------------------------------------------------------------

TvSettingsRunTime::TvSettingsRunTime() : TvSettings("RunTime Settings") {
  m_csWorkgroup = "WORKGROUP";
  m_hUser32 = SystemFacts().User32Module();
}

TvSettingsRunTime::~TvSettingsRunTime() = default;

TvBool TvSettingsRunTime::Save() { return 1; }

const std::string& TvSettingsRunTime::StandardFolderDirectory(int folderId) const {
  switch (folderId) {
    case 0:
      return m_csInboxFolder;
    case 1:
      return m_csOutboxFolder;
    case 2:
      return m_csSentFolder;
    case 3:
      return m_csDeletedFolder;
    case 4:
      return m_csDraftsFolder;
    case 5:
      return m_csTempFolder;
    default:
      return m_none;
  }
}

TvBool TvSettingsRunTime::LoadApplicationDataFolder() {
  m_csUserDataFolder.clear();
  std::string path;
  if (!SystemFacts().AppDataFolder(&path) || path.empty()) return 0;
  AppendBackslash(path);
  path += "Tarvo software";
  if (!EnsureDirectory(path)) return 0;
  AppendBackslash(path);
  path += "Zorvane";
  if (!EnsureDirectory(path)) return 0;
  m_csUserDataFolder = path;
  return 1;
}

std::string TvSettingsRunTime::WhyNotUsable(const std::string& folder) {
  if (!EnsureDirectory(folder)) {
    std::string reason = LastErrorReason();
    return reason.empty() ? std::string("it cannot be created") : reason;
  }
  if (!platform::IsDirectory(folder)) return "it is not a folder";
  return std::string();
}

TvBool TvSettingsRunTime::Load() {
  TvSystemFacts& facts = SystemFacts();

  m_csCurrentFolder = facts.CurrentDirectory();
  AppendBackslash(m_csCurrentFolder);

  m_osVersion = platform::OsVersionInfo();
  m_osVersion.size = 148;
  facts.GetOsVersion(&m_osVersion);
  m_boolWindowsNT = 0;
  m_pfnGetLastInputInfo = nullptr;
  m_csWorkgroup = "WORKGROUP";
  if (m_osVersion.platformId == platform::kPlatformNt) {
    m_boolWindowsNT = 1;
    if (m_osVersion.majorVersion >= 4 && m_hUser32 != nullptr) {
      m_pfnGetLastInputInfo = facts.LookUpFunction(m_hUser32, "GetLastInputInfo");
    }
    std::string group;
    if (facts.WorkgroupName(&group)) m_csWorkgroup = group.empty() ? "WORKGROUP" : group;
  }

  std::string name;
  m_csComputerName = facts.ComputerName(&name) ? name : std::string();
  name.clear();
  m_csLogonUserName = facts.LogonUserName(&name) ? name : std::string("Default");

  TvBool result = LoadApplicationDataFolder();

  m_hTrayWnd = facts.TaskbarWindow();

  // A folder named in the store wins over the default when it exists or can be made. One that
  // cannot be used today (a disk not mounted, a name taken by a file) is never replaced by the
  // default: the setting stays as it is, nothing is made in it, and the load fails.
  m_csDataFolderProblem.clear();
  std::string configured = ReadText("m_csUserDataFolder", std::string());
  if (!configured.empty()) {
    m_csDataFolderProblem = WhyNotUsable(configured);
    m_csUserDataFolder = configured;
    if (!m_csDataFolderProblem.empty()) return 0;
  }

  // The store holds the folder in use after every start, as it stands before the separator.
  WriteText("m_csUserDataFolder", m_csUserDataFolder);

  AppendBackslash(m_csUserDataFolder);
  m_csTempFolder = m_csUserDataFolder + "Temp";
  m_csInboxFolder = m_csUserDataFolder + "Inbox";
  m_csOutboxFolder = m_csUserDataFolder + "Outbox";
  m_csDeletedFolder = m_csUserDataFolder + "Deleted";
  m_csSentFolder = m_csUserDataFolder + "Sent";
  m_csDraftsFolder = m_csUserDataFolder + "Drafts";

  const std::string* folders[] = {&m_csTempFolder,    &m_csInboxFolder, &m_csOutboxFolder,
                                  &m_csDeletedFolder, &m_csSentFolder,  &m_csDraftsFolder};
  for (const std::string* folder : folders) {
    if (!EnsureDirectory(*folder)) break;
  }
  return result;
}

// ---- Contact list --------------------------------------------------------------------------

TvSettingsContactList::TvSettingsContactList() : TvSettings("Contact List Settings") {}

TvBool TvSettingsContactList::Load() {
  m_boolDoNotRegisterNewContacts = ReadBool("m_boolDoNotRegisterNewContacts", 0);
  m_boolAllowMessagesFromContactsOnly = ReadBool("m_boolAllowMessagesFromContactsOnly", 0);
  m_boolTemporaryContactsByDefault = ReadBool("m_boolTemporaryContactsByDefault", 1);
  m_boolSendToOfflineByDefault = ReadBool("m_boolSendToOfflineByDefault", 0);
  m_boolTakeContactListFomrExternalLocation =
      ReadBool("m_boolTakeContactListFomrExternalLocation", 0);
  m_csExternalContactListPath = ReadText("m_csExternalContactListPath", std::string());
  m_dwordRequestStatusTime = ReadDword("m_dwordRequestStatusTime", 15);
  m_dwordSendYourStatusTime = ReadDword("m_dwordSendYourStatusTime", 15);
  m_dwordOfflineAfterRequests = ReadDword("m_dwordOfflineAfterRequests", 2);
  m_dwordSetAWAYstatusAfter = ReadDword("m_dwordSetAWAYstatusAfter", 300000);
  m_dwordSetNAstatusAfter = ReadDword("m_dwordSetNAstatusAfter", 600000);
  m_boolAutomaticlyChangeStatus = ReadBool("m_boolAutomaticlyChangeStatus", 1);
  return 1;
}

TvBool TvSettingsContactList::Save() {
  WriteDword("m_boolDoNotRegisterNewContacts",
             static_cast<uint32_t>(m_boolDoNotRegisterNewContacts));
  WriteDword("m_boolAllowMessagesFromContactsOnly",
             static_cast<uint32_t>(m_boolAllowMessagesFromContactsOnly));
  WriteDword("m_boolTemporaryContactsByDefault",
             static_cast<uint32_t>(m_boolTemporaryContactsByDefault));
  WriteDword("m_boolSendToOfflineByDefault", static_cast<uint32_t>(m_boolSendToOfflineByDefault));
  WriteDword("m_boolTakeContactListFomrExternalLocation",
             static_cast<uint32_t>(m_boolTakeContactListFomrExternalLocation));
  WriteText("m_csExternalContactListPath", m_csExternalContactListPath);
  WriteDword("m_dwordRequestStatusTime", m_dwordRequestStatusTime);
  WriteDword("m_dwordSendYourStatusTime", m_dwordSendYourStatusTime);
  WriteDword("m_dwordOfflineAfterRequests", m_dwordOfflineAfterRequests);
  WriteDword("m_dwordSetAWAYstatusAfter", m_dwordSetAWAYstatusAfter);
  WriteDword("m_dwordSetNAstatusAfter", m_dwordSetNAstatusAfter);
  WriteDword("m_boolAutomaticlyChangeStatus", static_cast<uint32_t>(m_boolAutomaticlyChangeStatus));
  return 1;
}

// ---- Interface -----------------------------------------------------------------------------

TvSettingsInterface::TvSettingsInterface(const TvSettingsRunTime* runTime)
    : TvSettings("Interface Settings"), m_runTime(runTime) {}

TvBool TvSettingsInterface::Load() {
  TvSystemFacts& facts = SystemFacts();
  m_csLanguage = ReadText("m_csLanguage", "English");
  m_csSkin = ReadText("m_csSkin", "Default");
  m_boolListCtrlGrid = ReadBool("m_boolListCtrlGrid", 1);
  m_boolRunMinimised = ReadBool("m_boolRunMinimised", 0);
  m_boolAskForExit = ReadBool("m_boolAskForExit", 0);
  m_boolStartUp = ReadBool("m_boolStartUp", 1);
  m_boolSystemTray = ReadBool("m_boolSystemTray", 1);
  m_boolHotKey = ReadBool("m_boolHotKey", 1);
  m_boolCloseOnlyFromTray = ReadBool("m_boolCloseOnlyFromTray", 0);
  m_boolClearDeletedItemsAtExit = ReadBool("m_boolClearDeletedItemsAtExit", 0);
  m_boolClearAllItemsAtExit = ReadBool("m_boolClearAllItemsAtExit", 0);
  m_boolIMComposer = ReadBool("m_boolIMComposer", 0);
  m_dwordIMPreviewMessagesCount = ReadDword("m_dwordIMPreviewMessagesCount", 3);
  m_boolAlwaysOnTop = ReadBool("m_boolAlwaysOnTop", 0);
  m_boolMinimizeOnLastDelete = ReadBool("m_boolMinimizeOnLastDelete", 0);
  m_wordKeyCod = ReadWord("m_wordKeyCod", 122);  // VK_F11
  m_wordKeyMod = ReadWord("m_wordKeyMod", 2);
  m_crTextBackgroundColor =
      ReadDword("m_crTextBackgroundColor", facts.SystemColor(platform::SystemColorId::kWindow));
  m_crTextForegroundColor =
      ReadDword("m_crTextForegroundColor", facts.SystemColor(platform::SystemColorId::kWindowText));
  m_csNewNormalPriorityMessageSound = ReadText("m_csNewNormalPriorityMessageSound", "Message.wav");
  m_csNewHighPriorityMessageSound = ReadText("m_csNewHighPriorityMessageSound", "Message.wav");
  m_csNewLowPriorityMessageSound = ReadText("m_csNewLowPriorityMessageSound", "Message.wav");
  m_boolNewNormalPriorityMessagePopup = ReadBool("m_boolNewNormalPriorityMessagePopup", 1);
  m_boolNewHighPriorityMessagePopup = ReadBool("m_boolNewHighPriorityMessagePopup", 1);
  m_boolNewLowPriorityMessagePopup = ReadBool("m_boolNewLowPriorityMessagePopup", 1);
  m_boolUseSystemBeeper = ReadBool("m_boolUseSystemBeeper", 0);
  if (!ReadRecord("m_stFontStyleText", m_stFontStyleText.data(), kFontRecordSize)) {
    m_stFontStyleText.fill(0);
  }
  m_boolFlatButtons = ReadBool("m_boolFlatButtons", 1);
  m_boolUseLongDateFormat = ReadBool("m_boolUseLongDateFormat", 1);
  m_dwordMessageDisplayFlags = ReadDword("m_dwordMessageDisplayFlags", 0x101);
  m_boolShowFromAndToFields = ReadBool("m_boolShowFromAndToFields", 0);
  m_boolCheckForUpdates = ReadBool("m_boolCheckForUpdates", 0);
  return 1;
}

TvBool TvSettingsInterface::Save() {
  auto flag = [this](const char* name, TvBool value) {
    WriteDword(name, static_cast<uint32_t>(value));
  };
  WriteText("m_csLanguage", m_csLanguage);
  WriteText("m_csSkin", m_csSkin);
  flag("m_boolListCtrlGrid", m_boolListCtrlGrid);
  flag("m_boolRunMinimised", m_boolRunMinimised);
  flag("m_boolAskForExit", m_boolAskForExit);
  flag("m_boolStartUp", m_boolStartUp);
  flag("m_boolSystemTray", m_boolSystemTray);
  flag("m_boolHotKey", m_boolHotKey);
  flag("m_boolCloseOnlyFromTray", m_boolCloseOnlyFromTray);
  flag("m_boolClearDeletedItemsAtExit", m_boolClearDeletedItemsAtExit);
  flag("m_boolClearAllItemsAtExit", m_boolClearAllItemsAtExit);
  flag("m_boolIMComposer", m_boolIMComposer);
  WriteDword("m_dwordIMPreviewMessagesCount", m_dwordIMPreviewMessagesCount);
  flag("m_boolAlwaysOnTop", m_boolAlwaysOnTop);
  flag("m_boolMinimizeOnLastDelete", m_boolMinimizeOnLastDelete);
  WriteDword("m_wordVirtKey", m_wordKeyCod);
  WriteDword("m_wordKeyMod", m_wordKeyMod);
  WriteDword("m_crTextBackgroundColor", m_crTextBackgroundColor);
  WriteDword("m_crTextForegroundColor", m_crTextForegroundColor);
  WriteText("m_csNewNormalPriorityMessageSound", m_csNewNormalPriorityMessageSound);
  WriteText("m_csNewHighPriorityMessageSound", m_csNewHighPriorityMessageSound);
  WriteText("m_csNewLowPriorityMessageSound", m_csNewLowPriorityMessageSound);
  flag("m_boolNewNormalPriorityMessagePopup", m_boolNewNormalPriorityMessagePopup);
  flag("m_boolNewHighPriorityMessagePopup", m_boolNewHighPriorityMessagePopup);
  flag("m_boolNewLowPriorityMessagePopup", m_boolNewLowPriorityMessagePopup);
  flag("m_boolUseSystemBeeper", m_boolUseSystemBeeper);
  WriteRecord("m_stFontStyleText", m_stFontStyleText.data(), kFontRecordSize);
  flag("m_boolFlatButtons", m_boolFlatButtons);
  flag("m_boolUseLongDateFormat", m_boolUseLongDateFormat);
  WriteDword("m_dwordMessageDisplayFlags", m_dwordMessageDisplayFlags);
  flag("m_boolShowFromAndToFields", m_boolShowFromAndToFields);
  flag("m_boolCheckForUpdates", m_boolCheckForUpdates);

  // The messenger starts with the system when asked to: the machine's start-up entry.
  if (m_boolStartUp != 0) {
    std::string command = m_runTime->m_csCurrentFolder + "Zorvane.exe";
    Store().SetStartupEntry("Zorvane", &command);
  } else {
    Store().SetStartupEntry("Zorvane", nullptr);
  }
  return 1;
}

// ---- Networking ----------------------------------------------------------------------------

TvSettingsNetworking::TvSettingsNetworking() : TvSettings("Networking Settings") {}

TvBool TvSettingsNetworking::Load() {
  m_boolTerminalServerMode = ReadBool("m_boolTerminalServerMode", 0);
  m_intMessagingPort = ReadSigned("m_intMessagingPort", 2307);
  m_intContactListPort = ReadSigned("m_intContactListPort", 2307);
  m_intServerConnectionsCount = ReadSigned("m_intServerConnectionsCount", 100);
  m_dwordMaximumThreads = ReadDword("m_dwordMaximumThreads", 30);
  m_dwordMaxMessageTextSize = ReadDword("m_dwordMaxMessageTextSize", 0x800000);
  m_dword64MaxMessageAttachmentSize = ReadDword64(
      "m_dword64MaxMessageAttachmentSize", m_dword64MaxMessageAttachmentSize, kDefaultSizeLimit);
  m_dword64MaxMessageSize =
      ReadDword64("m_dword64MaxMessageSize", m_dword64MaxMessageSize, kDefaultSizeLimit);
  m_dwordDefaultConnectionTimeOut = ReadDword("m_dwordDefaultConnectionTimeOut", 600);
  m_boolGracefulClose = ReadBool("m_boolGracefulClose", 1);
  return 1;
}

TvBool TvSettingsNetworking::Save() {
  WriteDword("m_boolTerminalServerMode", static_cast<uint32_t>(m_boolTerminalServerMode));
  WriteDword("m_intMessagingPort", static_cast<uint32_t>(m_intMessagingPort));
  WriteDword("m_intContactListPort", static_cast<uint32_t>(m_intContactListPort));
  WriteDword("m_intServerConnectionsCount", static_cast<uint32_t>(m_intServerConnectionsCount));
  WriteDword("m_dwordMaximumThreads", m_dwordMaximumThreads);
  WriteDword("m_dwordMaxMessageTextSize", m_dwordMaxMessageTextSize);
  WriteDword64("m_dword64MaxMessageAttachmentSize", m_dword64MaxMessageAttachmentSize);
  WriteDword64("m_dword64MaxMessageSize", m_dword64MaxMessageSize);
  WriteDword("m_dwordDefaultConnectionTimeOut", m_dwordDefaultConnectionTimeOut);
  WriteDword("m_boolGracefulClose", static_cast<uint32_t>(m_boolGracefulClose));
  return 1;
}

// ---- System --------------------------------------------------------------------------------

TvSettingsSystem::TvSettingsSystem() : TvSettings("System Settings") {
  m_dwordBuild = ReadDword("m_dwordBuild", 0);
}

TvSettingsSystem::~TvSettingsSystem() {
  if (!m_saved) TvSettingsSystem::Save();
}

TvBool TvSettingsSystem::Load() {
  m_csUpdateSavePath = ReadText("m_csUpdateSavePath", std::string());
  m_dwordCheckedBuild = ReadDword("m_dwordCheckedBuild", 0);
  m_dwordCheckedTime = ReadDword("m_dwordCheckedTime", 0);
  return 1;
}

TvBool TvSettingsSystem::Save() {
  m_saved = true;
  if (conversionDone == 0) return 1;
  return WriteDword("m_dwordDatabaseVersion", kDatabaseVersion);
}

// ---- User info -----------------------------------------------------------------------------

TvSettingsUserInfo::TvSettingsUserInfo(const TvSettingsRunTime* runTime)
    : TvSettings("User Info Settings"), m_runTime(runTime) {}

TvBool TvSettingsUserInfo::Load() {
  m_csUserName = ReadText("m_csUserName", m_runTime->m_csLogonUserName);
  m_csGroupName = ReadText("m_csGroupName", m_runTime->m_csWorkgroup);
  m_csEmail = ReadText("m_csEmail", kDefaultEmail);
  return 1;
}

TvBool TvSettingsUserInfo::Save() {
  WriteText("m_csUserName", m_csUserName);
  WriteText("m_csGroupName", m_csGroupName);
  WriteText("m_csEmail", m_csEmail);
  return 1;
}

// ---- Windows -------------------------------------------------------------------------------

TvSettingsWindows::TvSettingsWindows() : TvSettings("Windows Settings") {}

TvBool TvSettingsWindows::Load() {
  // A record that cannot be read keeps what it holds (zeros from construction).
  ReadRecord("m_stMainWindow", m_stMainWindow.data(), kRecordSize);
  ReadRecord("m_stMessageEditorStd", m_stMessageEditorStd.data(), kRecordSize);
  ReadRecord("m_stMessageEditorIm", m_stMessageEditorIm.data(), kRecordSize);
  ReadRecord("m_stSendMessage", m_stSendMessage.data(), kRecordSize);
  ReadRecord("m_stOptions", m_stOptions.data(), kRecordSize);
  ReadRecord("m_stWindowMessage", m_stWindowMessage.data(), kRecordSize);
  ReadRecord("m_stSearchInMessages", m_stSearchInMessages.data(), kRecordSize);
  return 1;
}

TvBool TvSettingsWindows::Save() {
  WriteRecord("m_stMainWindow", m_stMainWindow.data(), kRecordSize);
  WriteRecord("m_stMessageEditorStd", m_stMessageEditorStd.data(), kRecordSize);
  WriteRecord("m_stMessageEditorIm", m_stMessageEditorIm.data(), kRecordSize);
  WriteRecord("m_stSendMessage", m_stSendMessage.data(), kRecordSize);
  WriteRecord("m_stOptions", m_stOptions.data(), kRecordSize);
  WriteRecord("m_stWindowMessage", m_stWindowMessage.data(), kRecordSize);
  WriteRecord("m_stSearchInMessages", m_stSearchInMessages.data(), kRecordSize);
  return 1;
}
