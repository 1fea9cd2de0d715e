#include "tools/hostsim/MailArea.h"

#include "common/Cp932.h"
#include "tools/hostsim/HostConfig.h"

namespace kiro::hostsim {

namespace {

std::string sj(std::string_view utf8) { return cp932::fromUtf8(utf8); }

const std::string kMailPrompt = "MAIL>";

AreaReply ask(const char *question) { return {sj(question) + sj("："), {}, {}}; }

} // namespace

MailArea::MailArea(const HostConfig &config, std::string memberId) : m_config(config), m_member(std::move(memberId)) {}

AreaReply MailArea::enter() { return {sj("メールサービス") + "\r\n" + kMailPrompt, {}, {}}; }

AreaReply MailArea::line(const std::string &text)
{
    const std::string command = normaliseCommand(text);
    switch (m_stage) {
    case Stage::Menu:
        if (command != "UPL PROT:BPL TYPE:TXT")
            return {sj("コマンドが違います。") + "\r\n" + kMailPrompt, {}, {}};
        if (m_config.unapproved.count(m_member))
            return {sj("◆未承認につき、メールの送信はできません◆") + "\r\n" + kMailPrompt, "mail refused for " + m_member, {}};
        m_stage = Stage::FileName;
        return ask("ファイル名");
    case Stage::FileName:
        if (!plainFileName(text)) {
            m_stage = Stage::Menu;
            return {sj("ファイル名が違います。") + "\r\n" + kMailPrompt, {}, {}};
        }
        m_file = text;
        m_stage = Stage::Uploading;
        return {sj("－アップロード開始－") + "\r\n", {}, TransferRequest{false, text, {}}};
    case Stage::Uploading:
        return {};
    case Stage::SendChoice:
        if (command == "2") {
            m_stage = Stage::Subject;
            return ask("題名");
        }
        m_stage = Stage::Menu;
        return {sj("送信を取りやめました。") + "\r\n" + kMailPrompt, {}, {}};
    case Stage::Subject:
        m_subject = text;
        m_stage = Stage::RecipientKind;
        return ask("送信先 1 ＩＤ指定 2 取りやめ ");
    case Stage::RecipientKind:
        if (command != "1") {
            m_stage = Stage::Menu;
            return {sj("送信を取りやめました。") + "\r\n" + kMailPrompt, {}, {}};
        }
        m_stage = Stage::Recipient;
        return ask("送信先ＩＤ");
    case Stage::Recipient:
        m_recipient = command;
        m_stage = Stage::Copies;
        return ask("同報 1 なし 2 追加 ");
    case Stage::Copies:
        m_stage = Stage::Confirm;
        return ask("改行で送信します ");
    case Stage::Confirm: {
        m_stage = Stage::Done;
        AreaReply reply = ask("送信しました。\r\n1 ＭＡＩＬへ 2 終了 ");
        reply.log = "mail " + cp932::toUtf8(m_file) + " from " + m_member + " to " + cp932::toUtf8(m_recipient) +
                    ": " + cp932::toUtf8(m_subject);
        return reply;
    }
    case Stage::Done:
        m_stage = Stage::Menu;
        return {kMailPrompt, {}, {}};
    }
    return {};
}

AreaReply MailArea::transferEnded(bool success, std::int64_t bytes)
{
    if (!success) {
        m_stage = Stage::Menu;
        return {"\r\n" + sj("◆データエラー◆") + "\r\n" + kMailPrompt, "mail upload " + cp932::toUtf8(m_file) + " failed", {}};
    }
    m_stage = Stage::SendChoice;
    AreaReply reply = ask("\r\n1 破棄 2 送信 ");
    reply.log = "mail upload " + cp932::toUtf8(m_file) + " (" + std::to_string(bytes) + " bytes)";
    return reply;
}

} // namespace kiro::hostsim
