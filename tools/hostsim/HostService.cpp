#include "tools/hostsim/HostService.h"

#include "common/Cp932.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kiro::hostsim {

namespace {

std::string sj(std::string_view utf8) { return cp932::fromUtf8(utf8); }

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

const char *kHostName = "\r\nHOST NAME?\r\n*";
const char *kUserIdPrompt = "\r\nEnter User-ID  --->";
const char *kPasswordPrompt = "\r\nEnter Password --->";

} // namespace

HostService::HostService(const HostConfig &config, Clock::time_point now)
    : m_config(config), m_state(config.road == 7 ? State::Login : State::HostName), m_lastInput(now),
      m_forum(config.forumDir)
{
}

HostService::Reply HostService::start()
{
    if (m_state == State::Login)
        return {"\r\nNIFTY Access Network\r\n\r\nLogin:", false, std::nullopt, {}};
    return {kHostName, false, std::nullopt, {}};
}

HostService::Reply HostService::input(std::string_view bytes, Clock::time_point now)
{
    Reply reply;
    for (char c : bytes) {
        if (m_state == State::Closed)
            break;
        m_lastInput = now;
        m_warned = false;
        const auto b = static_cast<unsigned char>(c);
        const bool afterCr = m_afterCr;
        m_afterCr = false;
        if (b == '\r') {
            reply.text += "\r\n";
            std::string text;
            text.swap(m_line);
            m_afterCr = true;
            line(text, reply);
        } else if (b == '\n' || b == 0) {
            // CR LF and CR NUL end one line, not two.
            if (!afterCr && b == '\n') {
                reply.text += "\r\n";
                std::string text;
                text.swap(m_line);
                line(text, reply);
            }
        } else if (b == 0x08 || b == 0x7f) {
            if (!m_line.empty()) {
                m_line.pop_back();
                if (echoes())
                    reply.text += "\b \b";
            }
        } else if (b >= 0x20 && m_line.size() < kLineLimit) {
            m_line.push_back(c);
            if (echoes())
                reply.text.push_back(c);
        }
    }
    reply.close = m_state == State::Closed;
    return reply;
}

void HostService::line(const std::string &text, Reply &reply)
{
    const std::string command = normaliseCommand(text);
    switch (m_state) {
    case State::HostName:
        if (command == "C NIF") {
            reply.text += "COM\r\n\r\n" + sj("ＮＩＦＴＹ－Ｓｅｒｖｅ") + "\r\n\r\nEnter SVC  --->";
            m_state = State::Service;
        } else if (command == "OFF" || command == "BYE") {
            reply.text += "\r\nDISCONNECTED\r\n";
            m_state = State::Closed;
        } else if (command.empty()) {
            reply.text += "*";
        } else {
            reply.text += "\r\nHOST NOT FOUND";
            reply.text += kHostName;
        }
        return;
    case State::Login:
        m_loginName = command;
        reply.text += "Password:";
        m_state = State::AccessPassword;
        return;
    case State::AccessPassword:
        // The access network has no password for the NIFTY gateway: an empty line.
        if (m_loginName == "NIFTY") {
            reply.text += "\r\n" + sj("ＮＩＦＴＹ－Ｓｅｒｖｅ") + "\r\n\r\nEnter SVC  --->";
            m_state = State::Service;
        } else {
            reply.text += "\r\nLogin incorrect\r\n\r\nLogin:";
            m_state = State::Login;
        }
        return;
    case State::Service:
        if (command.rfind("SVC", 0) == 0) {
            reply.text += kUserIdPrompt;
            m_state = State::UserId;
        } else {
            reply.text += "\r\nEnter SVC  --->";
        }
        return;
    case State::UserId: {
        const std::string id = upper(text);
        if (id.empty() || !m_config.members.count(id)) {
            reply.text += "\r\n" + sj("ユーザーＩＤが違います。") + kUserIdPrompt;
        } else if (m_config.loggedIn.count(id)) {
            reply.text += "\r\n" + sj("◆二重ログインです。このＩＤは既に使用中です。") + "\r\n" + kUserIdPrompt;
        } else {
            m_memberId = id;
            reply.text += kPasswordPrompt;
            m_state = State::Password;
        }
        return;
    }
    case State::Password:
        if (m_config.members.at(m_memberId) != text) {
            reply.text += sj("パスワードが違います。") + kPasswordPrompt;
        } else {
            reply.text += "\r\n" + sj("ＮＩＦＴＹ－Ｓｅｒｖｅへようこそ ") + m_memberId + sj(" さん") + "\r\n\r\n" +
                          sj("ＴＯＰ ＞");
            m_state = State::Main;
        }
        return;
    case State::Main:
        // Inside the forum every line is the forum's, but for leaving it.
        if (m_forum.inside() || m_forum.isGoCommand(command)) {
            auto answer = m_forum.inside() ? m_forum.line(text, command) : std::optional(m_forum.enter(m_memberId));
            if (answer) {
                reply.text += answer->text;
                reply.transfer = answer->transfer;
                return;
            }
        }
        // The karaoke area and the mail service keep every line until the
        // caller leaves them.
        if (m_area && !leavesArea(command)) {
            AreaReply area = m_area->line(text);
            reply.text += area.text;
            reply.log += area.log;
            reply.transfer = std::move(area.transfer);
            return;
        }
        m_area.reset();
        if ((m_area = openArea(command, m_config, m_memberId))) {
            AreaReply area = m_area->enter();
            reply.text += area.text;
            reply.log += area.log;
            return;
        }
        // File names keep the case the caller typed.
        if (auto request = parseTransferCommand(text)) {
            const bool known = plainFileName(request->file) &&
                               (!request->download ||
                                std::filesystem::is_regular_file(std::filesystem::path(m_config.contentDir) / request->file));
            if (!known) {
                reply.text += sj("ファイルが見つかりません。") + "\r\n" + sj("＞");
            } else {
                reply.text += sj(request->download ? "－ダウンロード開始－" : "－アップロード開始－") + "\r\n";
                reply.transfer = *request;
            }
            return;
        }
        mainCommand(command, reply);
        return;
    case State::Closed:
        return;
    }
}

void HostService::mainCommand(const std::string &command, Reply &reply)
{
    const std::string prompt = sj("＞");
    if (command.empty()) {
        reply.text += prompt;
    } else if (command == "GO TOP" || command == "TOP") {
        reply.text += page("top") + "\r\n" + sj("ＴＯＰ ＞");
    } else if (command == "SET MENU OFF" || command == "SET PAGE OFF" || command == "SET MENU ON" ||
               command == "SET PAGE ON") {
        reply.text += sj("設定しました。") + "\r\n" + prompt;
    } else if (command.rfind("SET", 0) == 0) {
        reply.text += sj("パラメータが違います。") + "\r\n" + prompt;
    } else if (command == "BYE" && m_config.road == 5) {
        // Road 5 goes back to the access network, which wants its own "off".
        reply.text += sj("ご利用ありがとうございました。") + "\r\n";
        reply.text += kHostName;
        m_state = State::HostName;
    } else if (command == "BYE" || command == "OFF") {
        reply.text += sj("ご利用ありがとうございました。") + "\r\n";
        m_state = State::Closed;
    } else if (command.rfind("GO ", 0) == 0) {
        std::string name = command.substr(3);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        const std::string text = page(name);
        if (text.empty())
            reply.text += sj("該当するサービスはありません。") + "\r\n" + prompt;
        else
            reply.text += text + "\r\n" + prompt;
    } else {
        reply.text += sj("コマンドが違います。") + "\r\n" + prompt;
    }
}

// A page of the content folder: NAME.txt, in UTF-8 (sent as code page 932)
// or already in code page 932. Only plain names are looked up, so a caller
// cannot reach files outside the folder.
std::string HostService::page(const std::string &name) const
{
    const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '-' || c == '_';
    });
    std::string text;
    if (plain && !m_config.contentDir.empty()) {
        std::ifstream in(std::filesystem::path(m_config.contentDir) / (name + ".txt"), std::ios::binary);
        if (in) {
            std::ostringstream all;
            all << in.rdbuf();
            text = all.str();
            if (auto converted = cp932::tryFromUtf8(text))
                text = *converted;
        }
    }
    if (text.empty() && name == "top")
        text = sj("１ お知らせ\r\n２ カラオケ\r\n３ メール\r\n４ フォーラム");
    // Lines go out with CR LF whatever the file used.
    std::string out;
    for (char c : text) {
        if (c == '\n' && (out.empty() || out.back() != '\r'))
            out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

HostService::Reply HostService::transferEnded(bool success, std::int64_t bytes)
{
    Reply reply;
    if (!m_area) {
        reply.text = sj("\r\n＞");
        return reply;
    }
    AreaReply area = m_area->transferEnded(success, bytes);
    reply.text = std::move(area.text);
    reply.log = std::move(area.log);
    return reply;
}

std::optional<HostService::Clock::time_point> HostService::nextDeadline() const
{
    if (m_state != State::Main || m_config.idleWarn.count() <= 0)
        return std::nullopt;
    if (!m_warned)
        return m_lastInput + m_config.idleWarn;
    return m_warnedAt + m_config.idleDrop;
}

HostService::Reply HostService::tick(Clock::time_point now)
{
    Reply reply;
    const auto deadline = nextDeadline();
    if (!deadline || now < *deadline)
        return reply;
    if (!m_warned) {
        m_warned = true;
        m_warnedAt = now;
        reply.text = "\r\n" + sj("◆あと 2分間入力がないと回線が切断されます◆") + "\r\n";
    } else {
        // The member session is dropped; the caller is back at the access network.
        m_warned = false;
        m_memberId.clear();
        m_forum.leave();
        reply.text = kHostName;
        m_state = State::HostName;
    }
    return reply;
}

} // namespace kiro::hostsim
