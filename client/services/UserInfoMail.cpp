#include "client/services/UserInfoMail.h"

#include "client/online/HostSession.h"
#include "client/services/MailFileName.h"
#include "client/services/MailScripts.h"
#include "common/Cp932.h"
#include "common/AtomicFile.h"
#include "common/FileNames.h"

#include <system_error>

namespace kiro::services {

namespace {

constexpr int kTimeOutTicks = 30;

std::string line(const char *label, const std::string &value)
{
    return cp932::fromUtf8(std::string(label) + "：" + value + "\r\n");
}

} // namespace

std::string userInfoMailText(const app::ClientSettings &s)
{
    std::string text;
    text += line("NIFTY-Serve ID", s.NiftyID);
    text += line("KIRO暗証番号", s.KiroPassWord);
    text += line("お名前/漢字", s.Name);
    text += line("お名前/ふりがな", s.Yomi);
    text += line("生年月日", std::to_string(s.BirthYear) + "/" + std::to_string(s.BirthMon) + "/" +
                                std::to_string(s.BirthDay));
    text += line("住所/漢字", s.AddrKanji);
    text += line("住所/漢字２", s.AddrKanji2);
    text += line("郵便番号", s.MailNo);
    text += line("電話番号", s.Phone);
    text += line("勤務先", s.CopName);
    text += line("部課名", s.CopSec);
    text += line("勤務先の電話番号", s.CopPhone);
    return text;
}

std::filesystem::path mailFolderOf(const std::filesystem::path &installFolder)
{
    return filenames::resolveUnder(installFolder, "MAIL").value_or(installFolder / "MAIL");
}

int SendUserInfoMail(online::HostSession &session, app::ClientSettings &settings,
                     const std::filesystem::path &installFolder, const std::string &year2)
{
    const std::string name = MakeMailFileName(1, year2, settings);
    const std::filesystem::path folder = mailFolderOf(installFolder);
    MailScripts scripts;
    if (!scripts.fill(name, folder, settings.QQMailID))
        return 0;

    const std::filesystem::path file = folder / name;
    const std::string text = userInfoMailText(settings);
    // The mail holds the member's PIN until it is sent: only the user may
    // read it.
    if (!writeFileAtomically(file, text, 0600).empty())
        return 0;
    std::error_code ec;

    int result = 0;
    if (session.Run(false, scripts.MailEnterScript(), kTimeOutTicks, false) == 0 &&
        session.LastOutcome() == MailScripts::kUploadReadyOutcome)
        result = session.Run(true, scripts.MailUploadScript(), kTimeOutTicks, false) == 0 ? 1 : 0;
    std::filesystem::remove(file, ec);
    return result;
}

} // namespace kiro::services
