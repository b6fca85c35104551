#include "speech/speech_text.h"

#include <cstdint>

#include "reception/notification_record.h"
#include "reception/received_list_text.h"
#include "resources/string_ids.h"

namespace mirelo {

std::string SpeechSentence(int kind, std::string_view sender, std::string_view subject,
                           std::string_view documentKindText, std::string_view actionText, const TextLoader& loadText) {
    switch (kind) {
        case kKindMail: return FormatText(loadText(IDS_SPEECH_MAIL), {SpeakingName(sender), subject});
        case kKindApprovalFirst:
        case kKindApprovalFirst + 1:
        case kKindApprovalFirst + 2:
        case kKindApprovalLast:
            return FormatText(loadText(IDS_SPEECH_APPROVAL),
                              {SpeakingName(sender), subject, documentKindText, actionText});
        case kKindSchedule:
        case kKindMessage:
        case kKindMessageOther:
        case kKindNotice: return FormatText(loadText(IDS_SPEECH_MESSAGE), {subject});
        default: return {};
    }
}

std::string VocelinkPath(std::string_view libraryDir, LeadByteTest isLead) {
    if (libraryDir.empty()) return kVocelinkFile;
    bool endsInSeparator = false;
    for (std::size_t i = 0; i < libraryDir.size(); ++i) {
        const auto byte = static_cast<unsigned char>(libraryDir[i]);
        endsInSeparator = byte == '\\';
        if (isLead(byte)) ++i;
    }
    std::string path(libraryDir);
    if (!endsInSeparator) path += '\\';
    return path + kVocelinkFile;
}

std::string SuiteSettingsPath(std::string_view suiteDir) {
    if (suiteDir.empty()) return {};
    return std::string(suiteDir) + "bin\\tesseldef.ini";
}

int SpeechPort(long long configured) {
    return configured > 0 && configured <= 65535 ? static_cast<int>(configured) : kDefaultSpeechPort;
}

namespace {

std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return value;
}

}  // namespace

bool IsCompleteWave(std::string_view audio) {
    constexpr std::size_t kChunkHeader = 8;
    constexpr std::uint32_t kFormatBytes = 16;
    if (audio.size() < 12 || audio.substr(0, 4) != "RIFF" || audio.substr(8, 4) != "WAVE") return false;
    const std::uint64_t end = std::uint64_t(LittleEndian32(audio, 4)) + kChunkHeader;
    if (end > audio.size()) return false;
    bool format = false;
    bool data = false;
    for (std::uint64_t at = 12; at < end;) {
        if (at + kChunkHeader > end) return false;
        const std::string_view id = audio.substr(at, 4);
        const std::uint32_t size = LittleEndian32(audio, at + 4);
        at += kChunkHeader;
        if (size > end - at) return false;
        format = format || (id == "fmt " && size >= kFormatBytes);
        data = data || id == "data";
        at += size + (size & 1);  // chunks are padded to an even size
    }
    return format && data;
}

}  // namespace mirelo
