#include "store/store_document.h"

#include <gtest/gtest.h>

#include "core/code_page_posix.h"
#include "core/text.h"
#include "libxml2_check.h"
#include "store/euc_kr.h"

namespace mirelo {
namespace {

const IconvCodec kKorean("CP949");

std::string Ansi(const std::string& utf8, const TextCodec& codec = kKorean) { return Utf8ToAnsi(utf8, codec); }

NotificationRecord Record(int kind, int flag, const std::string& subject, const std::string& sender) {
    NotificationRecord record;
    record.kind = kind;
    record.flag = flag;
    record.date = "2026-12-07 10:00";
    record.subject = subject;
    record.sender = sender;
    record.functionName = "openMail";
    record.openUrl = "http://gw.example/mail?id=1&x=2";
    return record;
}

TEST(EucKr, KeepsHangulAsPairsAndWritesTheRestAsReferences) {
    EXPECT_EQ(Utf8ToEucKrXml("plain <ascii/>", kKorean), "plain <ascii/>");
    const std::string hangul = Utf8ToEucKrXml("한글", kKorean);
    EXPECT_EQ(hangul, "\xC7\xD1\xB1\xDB");
    EXPECT_TRUE(IsEucKrForm(hangul));
    // U+B620 is in code page 949 (0x8C63) but not in EUC-KR; e-acute and emoji are in neither.
    EXPECT_EQ(Utf8ToEucKrXml("\xEB\x98\xA0", kKorean), "&#46624;");
    EXPECT_EQ(Utf8ToEucKrXml("caf\xC3\xA9 \xF0\x9F\x98\x80!", kKorean), "caf&#233; &#128512;!");
}

TEST(EucKr, ALongTextWithFewForeignCharactersIsConvertedPieceByPiece) {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += i == 1234 ? "\xEB\x98\xA0" : "한글 text ";
    const std::string bytes = Utf8ToEucKrXml(text, kKorean);
    EXPECT_NE(bytes.find("&#46624;"), std::string::npos);
    EXPECT_TRUE(IsEucKrForm(bytes));
    EXPECT_EQ(EucKrToUtf8(bytes, kKorean), ReplaceAll(text, "\xEB\x98\xA0", "&#46624;"));
}

TEST(EucKr, ForeignCharactersInsideARunOfHangulKeepTheirPlaces) {
    EXPECT_EQ(Utf8ToEucKrXml("\xED\x95\x9C\xC3\xA9\xEA\xB8\x80\xF0\x9F\x98\x80x\xEB\x98\xA0", kKorean),
              "\xC7\xD1&#233;\xB1\xDB&#128512;x&#46624;");
    std::string text;
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        text += "<a t=\"Caf\xC3\xA9 \xED\x95\x9C\xEA\xB8\x80\"/>\n";
        expected += "<a t=\"Caf&#233; \xC7\xD1\xB1\xDB\"/>\n";
    }
    EXPECT_EQ(Utf8ToEucKrXml(text, kKorean), expected);
}

TEST(EucKr, DecodingPairsAtOnceGivesWhatDecodingTheWholeTextGives) {
    const std::vector<std::string> texts = {
        "<a t=\"\xC7\xD1\xB1\xDB\"/> x \xB0\xA1",  // EUC-KR pairs between ASCII
        "\x8C\x63 and \xB0\x41",                   // code page 949 pairs with ASCII trail bytes
        "tail lead \xB0",                          // a lone lead byte at the end
        "\x80\x80 \xFF\xFF \xC7",                  // bytes that are no pair at all
    };
    for (const std::string& text : texts) {
        EXPECT_EQ(EucKrToUtf8(text, kKorean), Utf16ToUtf8(kKorean.Decode(text, CodePage::Korean))) << text;
    }
}

TEST(EucKr, FormRejectsTheExtensionsOfCodePage949) {
    EXPECT_TRUE(IsEucKrForm("abc\xB0\xA1"));
    EXPECT_FALSE(IsEucKrForm("\x8C\x63"));
    EXPECT_FALSE(IsEucKrForm("\xB0\x41"));
    EXPECT_FALSE(IsEucKrForm("\xB0"));
}

TEST(StoreDocument, NewDocumentIsTheEmptyList) {
    StoreDocument document;
    EXPECT_EQ(document.Serialize(kKorean), "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<NotificationList />\n");
    EXPECT_TRUE(document.Entries().empty());
}

TEST(StoreDocument, AppendsTheEightAttributesInOrder) {
    StoreDocument document;
    document.Append(Record(2, 1, "Hello", "Kim"), 0, kKorean);
    EXPECT_EQ(document.Serialize(kKorean),
              "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<NotificationList>\n"
              "\t<Notification id=\"0\" applid=\"2\" type=\"1\" date=\"2026-12-07 10:00\" title=\"Hello\" "
              "sender=\"Kim\" openfunction=\"openMail\" url=\"http://gw.example/mail?id=1&amp;x=2\" />\n"
              "</NotificationList>\n");
}

TEST(StoreDocument, EscapedAndKoreanTextsReadBackUnchanged) {
    const std::string subject = Ansi("결재 \"요청\" & <긴급> 'x' \xEB\x98\xA0");
    const std::string sender = Ansi("홍길동(개발팀)");
    StoreDocument document;
    document.Append(Record(5, 0, subject, sender), 7, kKorean);
    const std::string bytes = document.Serialize(kKorean);
    EXPECT_TRUE(IsEucKrForm(bytes));
    EXPECT_NE(bytes.find("&#46624;"), std::string::npos);

    StoreDocument reread;
    ASSERT_EQ(reread.Load(bytes, kKorean), StoreLoad::Loaded);
    const std::vector<StoreEntry> entries = reread.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Get("id"), "7");
    EXPECT_EQ(entries[0].Get("title"), AnsiToUtf8(subject, kKorean));
    EXPECT_EQ(entries[0].Get("sender"), "홍길동(개발팀)");
    EXPECT_EQ(entries[0].Get("url"), "http://gw.example/mail?id=1&x=2");
}

TEST(StoreDocument, WesternTextSurvivesAsReferences) {
    const IconvCodec western("CP1252");
    StoreDocument document;
    // The euro sign is in KS X 1001 since 1998; e-acute and u-umlaut are not.
    document.Append(Record(2, 0, Ansi("Caf\xC3\xA9 \xE2\x82\xAC", western), Ansi("M\xC3\xBCller", western)), 0,
                    western);
    const std::string bytes = document.Serialize(western);
    EXPECT_NE(bytes.find("title=\"Caf&#233; \xA2\xE6\" sender=\"M&#252;ller\""), std::string::npos) << bytes;
    StoreDocument reread;
    ASSERT_EQ(reread.Load(bytes, western), StoreLoad::Loaded);
    EXPECT_EQ(reread.Entries()[0].Get("title"), "Caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(reread.Entries()[0].Get("sender"), "M\xC3\xBCller");
}

TEST(StoreDocument, DamagedAndEmptyBytesStartANewList) {
    StoreDocument document;
    EXPECT_EQ(document.Load("", kKorean), StoreLoad::Empty);
    EXPECT_EQ(document.Load("this is not XML", kKorean), StoreLoad::Damaged);
    EXPECT_FALSE(document.Damage().empty());
    EXPECT_EQ(document.Load("<a><b></a>", kKorean), StoreLoad::Damaged);
    EXPECT_EQ(document.Load("<a/><b/>", kKorean), StoreLoad::Damaged);
    EXPECT_EQ(document.Load("<?xml version=\"1.0\"?><!-- only a comment -->", kKorean), StoreLoad::Damaged);
    EXPECT_EQ(document.Serialize(kKorean), "<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<NotificationList />\n");
}

TEST(StoreDocument, AForeignRootAndItsOtherContentAreKept) {
    StoreDocument document;
    ASSERT_EQ(document.Load("<History><!-- kept --><Other a=\"1\"/></History>", kKorean), StoreLoad::Loaded);
    document.Append(Record(1, 0, "s", "k"), 0, kKorean);
    const std::string bytes = document.Serialize(kKorean);
    EXPECT_TRUE(bytes.starts_with("<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<History>")) << bytes;
    EXPECT_NE(bytes.find("<!-- kept -->"), std::string::npos);
    EXPECT_NE(bytes.find("<Other a=\"1\" />"), std::string::npos);
    EXPECT_NE(bytes.find("<Notification id=\"0\""), std::string::npos);
}

TEST(StoreDocument, AUtf8FileIsReadAsUtf8AndWrittenAsEucKr) {
    StoreDocument document;
    const std::string utf8 =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><NotificationList>"
        "<Notification id=\"0\" title=\"한글\"/></NotificationList>";
    ASSERT_EQ(document.Load(utf8, kKorean), StoreLoad::Loaded);
    EXPECT_EQ(document.Entries()[0].Get("title"), "한글");
    EXPECT_NE(document.Serialize(kKorean).find("title=\"\xC7\xD1\xB1\xDB\""), std::string::npos);
}

TEST(StoreDocument, EncodingsAreReadAsAConformingReaderReadsThem) {
    StoreDocument document;
    const std::string utf16 = std::string("\xFF\xFE<\0r\0>\0<\0/\0r\0>\0", 16);
    EXPECT_EQ(document.Load(utf16, kKorean), StoreLoad::Loaded);
    EXPECT_EQ(document.Load("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r t=\"caf\xE9\"/>", kKorean),
              StoreLoad::Loaded);
    EXPECT_EQ(document.Load("<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<r t=\"\xB0\xA1\xFF\"/>", kKorean),
              StoreLoad::Damaged);
    EXPECT_EQ(document.Damage(), "bytes that are not EUC-KR at line 2, column 8 (byte 48)");
    // A lead byte whose trail byte is a quote, and a pair the code page leaves undefined.
    EXPECT_EQ(document.Load("<?xml version=\"1.0\" encoding=\"EUC-KR\"?><r t=\"\xB0\"/>", kKorean), StoreLoad::Damaged);
    EXPECT_EQ(document.Damage(), "bytes that are not EUC-KR at line 1, column 46 (byte 45)");
    EXPECT_EQ(document.Load("<?xml version=\"1.0\" encoding=\"EUC-KR\"?><r t=\"\xB0\xA1\xC9\xA1\"/>", kKorean),
              StoreLoad::Damaged);
    EXPECT_EQ(document.Damage(), "bytes that are not EUC-KR at line 1, column 47 (byte 47)");
    EXPECT_EQ(
        document.Load("<?xml version=\"1.0\" encoding=\"EUC-KR\"?>\n<r t=\"\xB0\xA1\"><\xB0\xA1 & /></r>", kKorean),
        StoreLoad::Damaged);
    EXPECT_EQ(document.Damage(), "not well-formed (invalid token) at line 2, column 13 (byte 54)");
    EXPECT_EQ(document.Load("<?xml version=\"1.0\" encoding=\"KOI8-R\"?><r/>", kKorean), StoreLoad::Damaged);
    EXPECT_EQ(document.Load("<r t=\"\xC3\"/>", kKorean), StoreLoad::Damaged) << "not UTF-8";
}

TEST(StoreDocument, NamesEucKrCannotSpellStartANewList) {
    StoreDocument document;
    EXPECT_EQ(document.Load("<History><Caf\xC3\xA9/></History>", kKorean), StoreLoad::Damaged);
    EXPECT_EQ(document.Damage(), "the name Caf\xC3\xA9 has characters EUC-KR lacks");
    ASSERT_EQ(document.Load("<\xEC\x95\x8C\xEB\xA6\xBC a\xC3\xA9=\"1\"/>", kKorean), StoreLoad::Damaged);

    ASSERT_EQ(
        document.Load("<\xEC\x95\x8C\xEB\xA6\xBC><!--caf\xC3\xA9--><![CDATA[\xC3\xA9]]></\xEC\x95\x8C\xEB\xA6\xBC>",
                      kKorean),
        StoreLoad::Loaded);
    document.Append(Record(1, 0, "s", "k"), 0, kKorean);
    EXPECT_EQ(LibXml2ComplaintAboutText(document.Serialize(kKorean)), "");
}

}  // namespace
}  // namespace mirelo
