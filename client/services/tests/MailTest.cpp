// Mail file names, the user-information mail text and the upload scripts' buffers.
#include "client/services/MailFileName.h"
#include "client/services/MailScripts.h"
#include "client/services/UserInfoMail.h"
#include "common/Cp932.h"

#include <gtest/gtest.h>

using namespace kiro;
using namespace kiro::services;

TEST(MailFileName, KindsPickPrefixExtensionAndCounter)
{
    app::ClientSettings s;
    s.ReadMailNo = 10005;
    s.WriteMailNo = 10010;
    EXPECT_EQ(MakeMailFileName(0, "98", s), "R9810005.TXT");
    EXPECT_EQ(MakeMailFileName(1, "98", s), "W9810010.TXT");
    EXPECT_EQ(MakeMailFileName(2, "98", s), "R9810006.BIN");
    // Sent binary mails count with the received counter.
    EXPECT_EQ(MakeMailFileName(3, "98", s), "W9810007.BIN");
    EXPECT_EQ(s.ReadMailNo, 10008);
    EXPECT_EQ(s.WriteMailNo, 10011);
}

TEST(MailFileName, CounterWrapsAfter29999)
{
    app::ClientSettings s;
    s.WriteMailNo = 29999;
    EXPECT_EQ(MakeMailFileName(1, "98", s), "W9829999.TXT");
    EXPECT_EQ(s.WriteMailNo, 1);
    EXPECT_EQ(MakeMailFileName(1, "98", s), "W9800001.TXT");
    // A damaged counter still gives a five-digit name.
    s.ReadMailNo = -7;
    EXPECT_EQ(MakeMailFileName(0, "99", s), "R9900001.TXT");
}

TEST(UserInfoMail, TwelveCp932LinesEndingInCrLf)
{
    app::ClientSettings s;
    s.NiftyID = "ABC01234";
    s.KiroPassWord = "7777";
    s.Name = "山田太郎";
    s.Yomi = "やまだたろう";
    s.BirthYear = 1970;
    s.BirthMon = 4;
    s.BirthDay = 1;
    s.AddrKanji = "東京都";
    s.MailNo = "100-0001";
    s.Phone = "03-0000-0000";
    const std::string text = userInfoMailText(s);
    const std::string utf8 = cp932::toUtf8(text);
    EXPECT_EQ(utf8.rfind("NIFTY-Serve ID：ABC01234\r\nKIRO暗証番号：7777\r\nお名前/漢字：山田太郎\r\n", 0), 0u) << utf8;
    EXPECT_NE(utf8.find("\r\n生年月日：1970/4/1\r\n"), std::string::npos);
    // An empty company name still has its line.
    EXPECT_NE(utf8.find("\r\n勤務先：\r\n部課名：\r\n勤務先の電話番号：\r\n"), std::string::npos);
    std::size_t lines = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        lines += text[i] == '\r' && text[i + 1] == '\n';
    EXPECT_EQ(lines, 12u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    // Code page 932 on the wire: 山 is 0x8E 0x52.
    EXPECT_NE(text.find("\x8E\x52"), std::string::npos);
}

TEST(MailScripts, BuffersRefuseWhatDoesNotFit)
{
    MailScripts scripts;
    ASSERT_TRUE(scripts.fill("W9810001.TXT", "/inst/MAIL", "QRT04521"));
    EXPECT_STREQ(scripts.fileCommand(), "W9810001.TXT\r");
    EXPECT_STREQ(scripts.recipientCommand(), "QRT04521\r");
    EXPECT_STREQ(scripts.folderCommand(), "/inst/MAIL/");
    EXPECT_EQ(scripts.MailUploadScript()[0].command, scripts.fileCommand());
    EXPECT_EQ(online::scriptLength(scripts.MailEnterScript()), 2u);
    EXPECT_EQ(online::scriptLength(scripts.MailUploadScript()), 9u);
    EXPECT_EQ(scripts.MailUploadScript()[1].kind(), online::kStepTransfer);

    EXPECT_FALSE(scripts.fill("W9810001.TXT", "/inst/MAIL", std::string(200, 'Q')));
    EXPECT_FALSE(scripts.fill("W9810001.TXT", "/inst/MAIL", "QRT\r04521"));
    EXPECT_FALSE(scripts.fill("W9810001.TXT", "/inst/MAIL", "QRT\xF0\x9F\x8E\xA4"));
}
