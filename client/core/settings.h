#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace mirelo {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// What the settings need from the platform: the program file, the user's folders, INI access,
// the work area, the clock and the string table.
class SettingsHost {
public:
    virtual ~SettingsHost() = default;
    virtual std::string ProgramPath() = 0;
    virtual std::string ExpandAppData() = 0;
    virtual bool IsDirectory(const std::string& path) = 0;
    virtual bool IsFile(const std::string& path) = 0;
    virtual void MakeDirectory(const std::string& path) = 0;
    virtual void CopyFileOver(const std::string& from, const std::string& to) = 0;
    // Reads like GetPrivateProfileString into a buffer of `bufferSize` characters.
    virtual std::string ReadProfile(const std::string& path, const std::string& section, const std::string& key,
                                    const std::string& defaultText, std::size_t bufferSize) = 0;
    virtual void WriteProfile(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& value) = 0;
    // One pass of reads is over (the start, a reload): what the host kept of the files goes, and the
    // next pass sees them as they are then.
    virtual void ReadingDone() {}
    virtual Rect WorkArea() = 0;
    virtual unsigned TickCount() = 0;
    virtual std::string LoadText(int stringId) = 0;
};

inline constexpr int kDefaultListenPort = 7333;
inline constexpr int kPresenceOnline = 32784;
inline constexpr int kMinimumElpaseTime = 120000;
inline constexpr int kOnlineTimeoutNever = -1;
inline constexpr int kPopupFamilyCount = 6;
inline constexpr char kSettingsSection[] = "Server";
inline constexpr char kIniFileName[] = "Mirelo.ini";
inline constexpr char kUserFolderName[] = "Tessel Groupware 8";
inline constexpr char kBuiltInServerAddress[] = "127.0.0.1";

// Every setting of the client, the start-up payload values and the run-time state shared by the
// whole user-interface thread. Built once before start-up, saved once when destroyed.
class ClientSettings {
public:
    explicit ClientSettings(SettingsHost& host);
    ~ClientSettings();
    ClientSettings(const ClientSettings&) = delete;
    ClientSettings& operator=(const ClientSettings&) = delete;

    // Re-reads the keys that start-up and the messenger's reload command refresh.
    void Reload();
    // Writes the user's settings back (nothing when IPAddress is empty); runs once, at destruction.
    void Save();
    // For a process that did not become the running client: it changed nothing, and writing what
    // it read would race with, and could undo, the running client's own save.
    void CancelSave() { saved_ = true; }

    bool AnyPopupOpen() const;
    // Converts an INI value of minutes into the held idle time-out in milliseconds.
    static int OnlineTimeoutFromMinutes(int minutes);

    std::string IPAddress;
    int SendPort = 0;
    int ListenPort = kDefaultListenPort;
    std::string BrowserTitle;
    int PresenceStatus = kPresenceOnline;
    std::string BrennicCMD;
    std::string BaseURL;
    int ElpaseTime = kMinimumElpaseTime;
    Rect WorkArea;
    int DisplayPos = 0;
    // Pop-up text layout: row left margin, top of row 0, label-to-value gap, row height.
    int RowLeftMargin = 10;
    int RowTop = 55;
    int LabelGap = 1;
    int RowHeight = 17;
    std::string AlertCaption;
    // Message pop-up layout: label width, an unused value, title rectangle offsets.
    int MessageLabelWidth = 60;
    int MessageLayoutReserved = 64;
    int TitleOffsetX = 10;
    int TitleOffsetY = 10;
    bool AutoKill = true;
    bool Reflesh = false;
    bool UseMailNotify = true;
    bool UseBBSNotify = true;
    bool UseSancNotify = true;
    bool UseGSNotify = true;
    bool OnlyUrgency = false;
    bool UseBringOnTop = true;
    bool UseView = true;
    std::string UserID;
    bool Initialised = false;
    int ReservedFlag = 0;
    bool MessengerAlwaysOnTop = false;
    std::string IniPath;
    int onlineTimeout = kOnlineTimeoutNever;
    std::string UrgentLabel;
    int FloatTime = 0;
    bool LoginToMessanger = false;
    bool KillAppOnMessengerLoaded = false;
    std::array<std::string, 2> MessengerLoginTexts;
    std::string ServerUrl;
    std::string UserKey;
    std::string RefreshUrl;
    std::string StoreFile;
    bool ReceiveListMode = false;
    bool SpeakNotifications = false;
    bool ListenMode = false;
    bool UseBigFontMessage = false;
    bool ShowUseNotifyMenu = true;
    int LevelDigit = 0;
    unsigned StartTick = 0;
    bool ShowApprConst = false;
    int BBSViewWidth = 840;
    int BBSViewHeight = 620;
    int MailViewWidth = 840;
    int MailViewHeight = 660;
    int SancViewWidth = 1024;
    int SancViewHeight = 768;
    std::string ProgramDir;
    int NotifyLogOutType = 0;
    int ReservedInt = 0;
    bool QueryCloseApp = true;
    bool MessengerOnline = false;
    // Notifications that would pop up are held while the user presents or runs a full-screen program.
    bool QuietWhilePresenting = true;
    // The notifications that passed the filters are kept in a history file beside the store.
    bool KeepHistory = true;
    // Open pop-up windows, one list per pop-up family; the windows own themselves.
    std::array<std::vector<const void*>, kPopupFamilyCount> OpenPopupLists;

private:
    void LocateIniFile();
    void Load();
    std::string ReadString(const char* key, const char* defaultText, std::size_t bufferSize);
    bool ReadBool(const char* key, const char* defaultText);
    int ReadInt(const char* key, const char* defaultText);
    void WriteString(const char* key, const std::string& value);
    void WriteBool(const char* key, bool value);
    void WriteInt(const char* key, int value);

    SettingsHost& host_;
    bool saved_ = false;
};

// The folder part of a program path, with its trailing backslash ("" when it has none).
std::string FolderOf(const std::string& path);

}  // namespace mirelo
