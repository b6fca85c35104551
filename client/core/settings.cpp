#include "core/settings.h"

#include "core/text.h"
#include "resources/string_ids.h"

namespace mirelo {

namespace {

constexpr std::size_t kPathBuffer = 260;
constexpr std::size_t kNumberBuffer = 10;
constexpr int kMinutes = 60000;

// An INI value is one line: line breaks in a value would cut it and leave the rest as stray lines.
std::string OneLine(const std::string& value) {
    std::string line = value;
    for (char& c : line) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return line;
}

}  // namespace

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

ClientSettings::ClientSettings(SettingsHost& host) : host_(host) {
    LocateIniFile();
    Load();
    host_.ReadingDone();
}

ClientSettings::~ClientSettings() { Save(); }

void ClientSettings::LocateIniFile() {
    const std::string programIni = FolderOf(host_.ProgramPath()) + kIniFileName;
    const std::string programVersion =
        TrimSpaces(host_.ReadProfile(programIni, kSettingsSection, "Version", "", kPathBuffer));

    const std::string userFolder = FitBuffer(host_.ExpandAppData(), kPathBuffer) + "\\" + kUserFolderName + "\\";
    if (!host_.IsDirectory(userFolder)) host_.MakeDirectory(userFolder);

    const std::string userIni = userFolder + kIniFileName;
    std::string userVersion;
    if (host_.IsFile(userIni)) {
        userVersion = TrimSpaces(host_.ReadProfile(userIni, kSettingsSection, "Version", "", kPathBuffer));
    }
    if (userVersion.empty() || userVersion != programVersion) host_.CopyFileOver(programIni, userIni);
    IniPath = userIni;
}

void ClientSettings::Load() {
    UseMailNotify = UseBBSNotify = UseSancNotify = UseGSNotify = true;
    OnlyUrgency = false;
    Initialised = false;
    PresenceStatus = kPresenceOnline;
    ReceiveListMode = false;
    SpeakNotifications = false;
    ShowApprConst = false;
    MessengerOnline = false;
    ListenMode = false;
    UseBigFontMessage = false;
    ShowUseNotifyMenu = true;
    ReservedInt = 0;

    QueryCloseApp = ReadBool("QueryCloseApp", "1");
    const std::string programPath = host_.ProgramPath();
    ProgramDir = ReplaceAll(ReplaceAll(programPath, "Mirelo.exe", ""), "mirelo.exe", "");
    StoreFile = ProgramDir;

    IPAddress = ReadString("IPAddress", kBuiltInServerAddress, 22);
    SendPort = ReadInt("SendPort", "44444");
    BrennicCMD = ReadString("BrennicCMD", "??", 1024);
    ListenPort = kDefaultListenPort;
    ElpaseTime = ReadInt("ElpaseTime", "120000");
    if (static_cast<unsigned>(ElpaseTime) < static_cast<unsigned>(kMinimumElpaseTime)) {
        ElpaseTime = kMinimumElpaseTime;
    }
    BrowserTitle = ReadString("BrowserTitle", "Groupware E/F", 100);
    BaseURL = ReadString("BaseURL", "http://none", 256);
    UserID = ReadString("UserID", "none", 256);
    AutoKill = ReadBool("AutoKill", "1");
    Reflesh = ReadBool("Reflesh", "0");
    NotifyLogOutType = ReadInt("NotifyLogOutType", "0");
    FloatTime = ReadInt("FloatTime", "0");
    UseBringOnTop = ReadBool("UseBringOnTop", "1");
    UseView = ReadBool("UseView", "1");
    DisplayPos = ReadInt("DisplayPos", "0");
    WorkArea = host_.WorkArea();
    UseBigFontMessage = ReadBool("UseBigFontMessage", "0");
    ShowUseNotifyMenu = ReadBool("ShowUseNotifyMenu", "1");
    BBSViewWidth = ReadInt("BBSViewWidth", "840");
    BBSViewHeight = ReadInt("BBSViewHeight", "620");
    MailViewWidth = ReadInt("MailViewWidth", "840");
    MailViewHeight = ReadInt("MailViewHeight", "660");
    SancViewWidth = ReadInt("SancViewWidth", "1024");
    SancViewHeight = ReadInt("SancViewHeight", "768");
    RowLeftMargin = 10;
    RowTop = 55;
    LabelGap = 1;
    RowHeight = 17;
    MessageLabelWidth = 60;
    MessageLayoutReserved = 64;
    TitleOffsetX = 10;
    TitleOffsetY = 10;
    StartTick = host_.TickCount() / 100;
}

int ClientSettings::OnlineTimeoutFromMinutes(int minutes) {
    // Beyond about 24 days the millisecond count no longer fits: such a time-out means never.
    constexpr int kLargestMinutes = 2147483647 / kMinutes;
    if (minutes == 0 || minutes > kLargestMinutes || minutes < -kLargestMinutes) return kOnlineTimeoutNever;
    return minutes * kMinutes;
}

void ClientSettings::Reload() {
    ReservedFlag = 0;
    onlineTimeout = OnlineTimeoutFromMinutes(ReadInt("onlineTimeout", "0"));
    UseMailNotify = ReadBool("UseMailNotify", "1");
    UseBBSNotify = ReadBool("UseBBSNotify", "1");
    UseSancNotify = ReadBool("UseSancNotify", "1");
    UseGSNotify = ReadBool("UseGSNotify", "1");
    MessengerAlwaysOnTop = ReadBool("MessengerAlwaysOnTop", "0");
    OnlyUrgency = ReadBool("OnlyUrgency", "0");
    LoginToMessanger = ReadBool("LoginToMessanger", "0");
    KillAppOnMessengerLoaded = ReadBool("KillAppOnMessengerLoaded", "0");
    UrgentLabel = host_.LoadText(IDS_URGENT_LABEL);
    ShowApprConst = ReadBool("ShowApprConst", "0");
    ReceiveListMode = ReadBool("UseRecvListDlg", "0");
    QuietWhilePresenting = ReadBool("QuietWhilePresenting", "1");
    KeepHistory = ReadBool("KeepHistory", "1");
    host_.ReadingDone();
}

void ClientSettings::Save() {
    if (saved_) return;
    saved_ = true;
    if (!IPAddress.empty()) {
        WriteBool("UseMailNotify", UseMailNotify);
        WriteBool("UseBBSNotify", UseBBSNotify);
        WriteBool("UseSancNotify", UseSancNotify);
        WriteBool("UseGSNotify", UseGSNotify);
        WriteBool("UseBringOnTop", UseBringOnTop);
        WriteBool("OnlyUrgency", OnlyUrgency);
        WriteInt("DisplayPos", DisplayPos);
        WriteString("IPAddress", IPAddress);
        WriteInt("SendPort", SendPort);
        WriteInt("ElpaseTime", ElpaseTime);
        WriteString("BrowserTitle", BrowserTitle);
        WriteString("BaseURL", BaseURL);
        WriteString("UserID", UserID);
        WriteBool("AutoKill", AutoKill);
        WriteBool("Reflesh", Reflesh);
        WriteInt("NotifyLogOutType", NotifyLogOutType);
        WriteInt("FloatTime", FloatTime);
        WriteBool("QuietWhilePresenting", QuietWhilePresenting);
        WriteBool("KeepHistory", KeepHistory);
    }
    IPAddress.clear();
    BrowserTitle.clear();
    AlertCaption.clear();
    for (auto& list : OpenPopupLists) list.clear();
}

bool ClientSettings::AnyPopupOpen() const {
    for (const auto& list : OpenPopupLists) {
        if (!list.empty()) return true;
    }
    return false;
}

std::string ClientSettings::ReadString(const char* key, const char* defaultText, std::size_t bufferSize) {
    return host_.ReadProfile(IniPath, kSettingsSection, key, defaultText, bufferSize);
}

bool ClientSettings::ReadBool(const char* key, const char* defaultText) {
    return IsTrueFlag(ReadString(key, defaultText, kNumberBuffer));
}

int ClientSettings::ReadInt(const char* key, const char* defaultText) {
    return ParseInt(ReadString(key, defaultText, kNumberBuffer));
}

void ClientSettings::WriteString(const char* key, const std::string& value) {
    host_.WriteProfile(IniPath, kSettingsSection, key, OneLine(value));
}

void ClientSettings::WriteBool(const char* key, bool value) { WriteString(key, value ? "1" : "0"); }

void ClientSettings::WriteInt(const char* key, int value) { WriteString(key, std::to_string(value)); }

}  // namespace mirelo
