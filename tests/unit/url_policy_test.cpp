#include "web/url_policy.h"

#include <gtest/gtest.h>

#include <string>

namespace mirelo {
namespace {

TEST(IsOpenableUrl, WebPagesPass) {
    for (const char* url : {"http://gw/mail?id=7&K=kim", "https://gw.example:8443/a/b?c=d#e", "HTTP://GW/x",
                            "Https://gw", "http://10.0.0.5/x y", "http://gw/\xB0\xA1\xB0\xA2"}) {
        EXPECT_TRUE(IsOpenableUrl(url)) << url;
    }
}

TEST(IsOpenableUrl, EverythingElseIsRefused) {
    for (const char* url : {"C:\\x\\poc&K=.bat",                 // a local program
                            "\\\\server\\share\\run.exe&K=kim",  // a UNC path
                            "file:///C:/Windows/system32/calc.exe",
                            "javascript:alert(1)&K=kim",
                            "mailto:a@b",
                            "ftp://gw/x",
                            "shell:startup",
                            "ms-settings:&K=",
                            "calc.exe",
                            "gw/mail?id=7",
                            "&K=kim",
                            "",
                            " http://gw/x",
                            "http:gw/x",
                            "http:/gw/x",
                            "http://",
                            "http:///etc",
                            "http://\\server\\x",
                            "httpx://gw",
                            "http://gw/\" --new-window \"C:\\x.bat",  // breaks out of the browser's quoted argument
                            "http://gw/x\r\nfile:///C:/y",
                            "http://gw/\x7F",
                            "http://gw/\tx"}) {
        EXPECT_FALSE(IsOpenableUrl(url)) << url;
    }
    EXPECT_FALSE(IsOpenableUrl(std::string("http://gw/a\0b", 13))) << "a NUL inside";
}

}  // namespace
}  // namespace mirelo
