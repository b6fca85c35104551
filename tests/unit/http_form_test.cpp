#include "web/http_form.h"

#include <gtest/gtest.h>

#include "web/refresh.h"

namespace mirelo {
namespace {

TEST(SplitUrl, SchemeHostPortAndPath) {
    EXPECT_EQ(SplitUrl("http://gw.example/notify/refresh.do?x=1"),
              (UrlParts{"http", "gw.example", 80, "/notify/refresh.do?x=1"}));
    EXPECT_EQ(SplitUrl("http://10.0.0.5:8081/r"), (UrlParts{"http", "10.0.0.5", 8081, "/r"}));
}

TEST(SplitUrl, WithoutASchemeHostColonPortIsPlainHttp) {
    EXPECT_EQ(SplitUrl("gw.example:8080/app/refresh"), (UrlParts{"http", "gw.example", 8080, "/app/refresh"}));
    EXPECT_EQ(SplitUrl("gw.example/x"), (UrlParts{"http", "gw.example", 80, "/x"}));
}

TEST(SplitUrl, HttpsWithoutAPortGoesTo443) {
    EXPECT_EQ(SplitUrl("https://gw.example/r"), (UrlParts{"https", "gw.example", 443, "/r"}));
    EXPECT_TRUE(IsSecureScheme("https"));
    EXPECT_EQ(SplitUrl("HTTPS://gw.example/r").port, 80) << "only exactly \"https\" selects 443";
    EXPECT_FALSE(IsSecureScheme("HTTPS"));
    EXPECT_EQ(SplitUrl("https://gw.example:8443/r").port, 8443);
}

TEST(SplitUrl, NoSlashAfterTheHostGivesAnEmptyPath) {
    EXPECT_EQ(SplitUrl("http://gw.example"), (UrlParts{"http", "gw.example", 80, ""}));
    EXPECT_EQ(SplitUrl("http://gw.example:81"), (UrlParts{"http", "gw.example", 81, ""}));
    EXPECT_EQ(SplitUrl(""), (UrlParts{"http", "", 80, ""}));
    EXPECT_EQ(SplitUrl("http:/"), (UrlParts{"http", "", 80, ""}));
}

TEST(FormBody, PairsJoinedWithoutEncoding) {
    const std::string body = BuildFormBody({MakeFormParam("id", "7"), MakeFormParam("data", "x")});
    EXPECT_EQ(body, "id=7&data=x");
    EXPECT_EQ(body.size(), 11u);
    EXPECT_EQ(BuildFormBody({MakeFormParam("q", "a b&c=d%")}), "q=a b&c=d%");
    EXPECT_EQ(BuildFormBody({}), "");
}

TEST(FormBody, LimitsOfNamesValuesAndTheBody) {
    const FormParam param = MakeFormParam(std::string(300, 'n'), std::string(2000, 'v'));
    EXPECT_EQ(param.name.size(), kFormNameLimit);
    EXPECT_EQ(param.value.size(), kFormValueLimit);
    EXPECT_EQ(param.kind, 1);
    EXPECT_EQ(BuildFormBody({param, param}).size(), kFormBodyLimit);
}

TEST(Refresh, ScheduleAndApprovalKindsPostTheirUser) {
    for (int kind : {3, 4, 5, 6, 7, 11}) EXPECT_EQ(RefreshId(kind, "key1"), "appr_key1") << kind;
    for (int kind : {0, 1, 2, 8, 9, 10, 12, 20, 98}) EXPECT_EQ(RefreshId(kind, "key1"), "") << kind;
    EXPECT_EQ(BuildFormBody(RefreshForm("appr_key1")), "id=appr_key1&data={\"command\":\"refresh\"}");
    EXPECT_STREQ(kRefreshAgent, "ZARODI(0.9/;p)");
}

}  // namespace
}  // namespace mirelo
