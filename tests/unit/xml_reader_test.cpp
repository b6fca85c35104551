#include "store/xml_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace mirelo {
namespace {

std::string Saved(const pugi::xml_document& document) {
    std::ostringstream out;
    document.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

TEST(XmlSafeText, KeepsWhatXmlAllowsAndBlanksTheRest) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain text", "plain text"},
        {"tab\tline\nreturn\r", "tab\tline\nreturn\r"},
        {std::string("nul\0x", 5), "nul x"},
        {"\x01\x08\x0B\x0C\x1F", "     "},
        {"\xED\x95\x9C\xEA\xB8\x80 \xF0\x9F\x98\x80", "\xED\x95\x9C\xEA\xB8\x80 \xF0\x9F\x98\x80"},
        {"\xEF\xBF\xBE|\xEF\xBF\xBF|\xEF\xBF\xBD", " | |\xEF\xBF\xBD"},  // U+FFFE, U+FFFF, U+FFFD
        {"\xED\xA0\x80", " "},                                           // an encoded surrogate
        {"bad \xC3 \xFF \xC0\xAF end\xE2\x82", "bad        end  "},      // cut, stray and overlong bytes
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(XmlSafeText(in), out) << in;
}

TEST(ReadXml, BuildsTheTreeWithNodesAsTheyStand) {
    pugi::xml_document document;
    const XmlVerdict verdict = ReadXml(
        "<?xml version=\"1.0\" standalone=\"yes\"?>\n<!-- before --><r a=\"1\tx&#10;\">\n"
        "  <b>t&lt;1&gt;<![CDATA[c<d>]]>u</b><?pi data?>\r\n</r>\n",
        XmlBytes::Utf8, document);
    ASSERT_TRUE(verdict.WellFormed()) << verdict.Describe();
    EXPECT_EQ(Saved(document),
              "<?xml version=\"1.0\" standalone=\"yes\"?><!-- before --><r a=\"1 "
              "x&#10;\"><b>t&lt;1&gt;<![CDATA[c<d>]]>u</b><?pi data?></r>");
}

// A document type declaration makes the tree be built from the parser's events; without one pugixml
// reads the checked text. Both must give the same tree.
TEST(ReadXml, BothWaysOfBuildingTheTreeAgree) {
    const std::string documents[] = {
        "<r/>",
        "<?xml version=\"1.0\" encoding=\"EUC-KR\" standalone=\"no\"?>\n<r>\r\n <a/>\t</r>\n<!--end-->",
        "<r a=\"x\r\ny\tz\" b='&quot;&#10;&#x9;'><![CDATA[]]><![CDATA[ ]]>t<!---->u<?p?><?q  d d ?></r>",
        "<r>  lead &amp; trail  <b>&#32;</b><c>\xED\x95\x9C&lt;&#x1F600;</c>\r\r\n</r>",
        "<\xEC\x95\x8C a\xC3\xA9=\"\xC3\xA9\"><x:y xmlns:x=\"u\"/></\xEC\x95\x8C>",
        "\xEF\xBB\xBF<r>bom</r>",
    };
    for (const std::string& text : documents) {
        const std::size_t prolog = text.starts_with("<?xml")          ? text.find("?>") + 2
                                   : text.starts_with("\xEF\xBB\xBF") ? 3
                                                                      : 0;
        const std::string withDoctype = text.substr(0, prolog) + "<!DOCTYPE r>" + text.substr(prolog);
        pugi::xml_document read;
        pugi::xml_document built;
        ASSERT_TRUE(ReadXml(text, XmlBytes::Utf8, read).WellFormed()) << text;
        ASSERT_TRUE(ReadXml(withDoctype, XmlBytes::Utf8, built).WellFormed()) << withDoctype;
        EXPECT_EQ(Saved(read), Saved(built)) << text;
    }
}

TEST(ReadXml, ARefusalLeavesTheDocumentEmptyAndSaysWhere) {
    pugi::xml_document document;
    ASSERT_TRUE(ReadXml("<a/>", XmlBytes::Utf8, document).WellFormed());
    const XmlVerdict verdict = ReadXml("<a>\n <b></a>", XmlBytes::Utf8, document);
    EXPECT_EQ(verdict.Describe(), "mismatched tag at line 2, column 7 (byte 10)");
    EXPECT_FALSE(document.first_child());
    EXPECT_EQ(CheckXml("<a/>", XmlBytes::Utf8).reason, "");
    EXPECT_EQ(CheckXml("", XmlBytes::Utf8).reason, "no element found");
}

TEST(ReadXml, ExternalEntitiesAreNeverFetched) {
    pugi::xml_document document;
    const XmlVerdict verdict =
        ReadXml("<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/hostname\">]><r>[&x;]</r>", XmlBytes::Utf8, document);
    ASSERT_TRUE(verdict.WellFormed()) << verdict.Describe();
    EXPECT_EQ(Saved(document), "<r>[]</r>");
}

TEST(ReadXml, EntityExpansionBombsAreRefused) {
    std::string doctype = "<!DOCTYPE r [<!ENTITY a0 \"lol lol lol lol lol lol lol lol lol lol\">";
    for (int i = 1; i < 10; ++i) {
        doctype += "<!ENTITY a" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) doctype += "&a" + std::to_string(i - 1) + ";";
        doctype += "\">";
    }
    pugi::xml_document document;
    EXPECT_FALSE(ReadXml(doctype + "]><r>&a9;</r>", XmlBytes::Utf8, document).WellFormed());
}

}  // namespace
}  // namespace mirelo
