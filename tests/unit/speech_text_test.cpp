#include "speech/speech_text.h"

#include "korean_text.h"
#include "resources/string_ids.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

namespace mirelo {
namespace {

using testing::Cp949;

std::string Korean(int id) {
    static const std::map<int, std::string> table = {
        {IDS_SPEECH_MAIL, Cp949("%s님으로 부터 제목이 %s 인 새 편지가 도착하였습니다.")},
        {IDS_SPEECH_APPROVAL, Cp949("%s님으로 부터 제목이 %s 인 %s가 %s.")},
        {IDS_SPEECH_MESSAGE, Cp949("제목이 %s 인 메시지가 도착하였습니다.")},
    };
    const auto found = table.find(id);
    return found == table.end() ? std::string() : found->second;
}

TEST(SpeechSentence, EveryKindInCodePage949) {
    const std::string sender = Cp949("홍길동 (영업부)");
    const std::string subject = Cp949("회의 안내");
    const std::string document = Cp949("결재문서");
    const std::string action = Cp949("도착하였습니다");
    const std::string mail = Cp949("홍길동님으로 부터 제목이 회의 안내 인 새 편지가 도착하였습니다.");
    const std::string approval = Cp949("홍길동님으로 부터 제목이 회의 안내 인 결재문서가 도착하였습니다.");
    const std::string message = Cp949("제목이 회의 안내 인 메시지가 도착하였습니다.");
    const std::map<int, std::string> expected = {
        {0, ""},       {1, ""},       {2, mail},    {3, message}, {4, approval}, {5, approval},
        {6, approval}, {7, approval}, {8, message}, {9, message}, {10, message}, {11, ""},
        {12, ""},      {20, ""},      {98, ""},     {99, ""},     {-1, ""},
    };
    for (const auto& [kind, sentence] : expected) {
        EXPECT_EQ(SpeechSentence(kind, sender, subject, document, action, Korean), sentence) << "kind " << kind;
    }
}

TEST(SpeechSentence, EmptyFieldsLeaveTheirPlacesEmpty) {
    EXPECT_EQ(SpeechSentence(2, "", "", "", "", Korean), Cp949("님으로 부터 제목이  인 새 편지가 도착하였습니다."));
    // A sender without a blank is spoken whole; one that starts with a blank has no name to speak.
    EXPECT_EQ(SpeechSentence(2, "Kim", "Budget", "", "", Korean),
              "Kim" + Cp949("님으로 부터 제목이 ") + "Budget" + Cp949(" 인 새 편지가 도착하였습니다."));
    EXPECT_EQ(SpeechSentence(8, " Kim", "%s", "", "", Korean), Cp949("제목이 %s 인 메시지가 도착하였습니다."));
}

TEST(VocelinkPath, JoinsTheFolderAndTheLibrary) {
    const auto cp932Lead = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
    const std::map<std::string, std::string> cases = {
        {"C:\\Program Files\\Mirelo\\", "C:\\Program Files\\Mirelo\\vocelink.dll"},
        {"C:\\Program Files\\Mirelo", "C:\\Program Files\\Mirelo\\vocelink.dll"},
        {"C:\\", "C:\\vocelink.dll"},
        {"", "vocelink.dll"},
        // "表" ends in the byte of a backslash: a separator still follows it.
        {"C:\\\x95\x5C", "C:\\\x95\x5C\\vocelink.dll"},
        {"C:\\\x95\x5C\\", "C:\\\x95\x5C\\vocelink.dll"},
    };
    for (const auto& [folder, path] : cases) EXPECT_EQ(VocelinkPath(folder, cp932Lead), path) << folder;
}

TEST(SuiteSettingsPath, FollowsTheRegistryFolderDirectly) {
    EXPECT_EQ(SuiteSettingsPath("C:\\Quillon\\"), "C:\\Quillon\\bin\\tesseldef.ini");
    EXPECT_EQ(SuiteSettingsPath(Cp949("D:\\퀼론\\")), Cp949("D:\\퀼론\\") + "bin\\tesseldef.ini");
    EXPECT_EQ(SuiteSettingsPath(""), "");
}

TEST(SpeechPort, OutsideTheTcpRangeGivesTheDefault) {
    const std::map<long long, int> cases = {{7100, 7100}, {1, 1},        {65535, 65535},      {0, 7000},
                                            {-5, 7000},   {65536, 7000}, {4294967291LL, 7000}};
    for (const auto& [configured, port] : cases) EXPECT_EQ(SpeechPort(configured), port) << configured;
}

std::string Le32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

std::string Chunk(const std::string& id, const std::string& body) { return id + Le32(body.size()) + body; }

std::string Wave(const std::string& chunks, int riffSizeDelta = 0) {
    return "RIFF" + Le32(static_cast<std::uint32_t>(4 + chunks.size() + riffSizeDelta)) + "WAVE" + chunks;
}

TEST(IsCompleteWave, ChecksEveryChunkAgainstTheBytes) {
    const std::string format = Chunk("fmt ", std::string(16, '\1'));
    const std::string data = Chunk("data", std::string(100, '\0'));
    EXPECT_TRUE(IsCompleteWave(Wave(format + data)));
    EXPECT_TRUE(IsCompleteWave(Wave(format + Chunk("LIST", "odd") + std::string(1, '\0') + data)));
    EXPECT_TRUE(IsCompleteWave(Wave(format + data) + "trailing"));
    EXPECT_FALSE(IsCompleteWave(Wave(format + data, 1)));                     // RIFF size past the end
    EXPECT_FALSE(IsCompleteWave(Wave(format + "data" + Le32(0xFFFFFFF0u))));  // data chunk past the end
    EXPECT_FALSE(IsCompleteWave(Wave(data)));                                 // no format
    EXPECT_FALSE(IsCompleteWave(Wave(format)));                               // no data
    EXPECT_FALSE(IsCompleteWave(Wave(Chunk("fmt ", "short") + data)));
    EXPECT_FALSE(IsCompleteWave(Wave(format + data + "dat")));  // a cut chunk header
    EXPECT_FALSE(IsCompleteWave("RIFF"));
    EXPECT_FALSE(IsCompleteWave(""));
    std::string notWave = Wave(format + data);
    notWave[8] = 'X';
    EXPECT_FALSE(IsCompleteWave(notWave));
}

}  // namespace
}  // namespace mirelo
