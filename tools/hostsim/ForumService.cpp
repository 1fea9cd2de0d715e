#include "tools/hostsim/ForumService.h"

#include "common/Cp932.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kiro::hostsim {

namespace fs = std::filesystem;

namespace {

std::string sj(std::string_view utf8) { return cp932::fromUtf8(utf8); }

std::string trim(const std::string& s)
{
    const auto begin = s.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    return s.substr(begin, s.find_last_not_of(" \t\r\n") - begin + 1);
}

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

// A file's text in code page 932: UTF-8 files are converted, others are
// taken as they are.
std::optional<std::string> readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream all;
    all << in.rdbuf();
    std::string text = all.str();
    if (auto converted = cp932::tryFromUtf8(text))
        text = *converted;
    return text;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line.push_back(c);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::optional<int> number(const std::string& text)
{
    if (text.empty() || text.size() > 6 || !std::all_of(text.begin(), text.end(), [](unsigned char c) {
            return std::isdigit(c);
        }))
        return std::nullopt;
    return std::stoi(text);
}

const char* kMenuPrompt = "＞";
const char* kRefused = "◆番号又はコマンドを入力して下さい◆";

} // namespace

ForumService::ForumService(std::string folder) : m_folder(std::move(folder))
{
    load();
}

std::set<std::string>& ForumService::joinedMembers()
{
    static std::set<std::string> members;
    return members;
}

void ForumService::load()
{
    if (m_folder.empty())
        return;
    const auto text = readText(fs::path(m_folder) / "forum.txt");
    if (!text)
        return;
    for (const std::string& raw : splitLines(*text)) {
        const std::string line = trim(raw);
        const auto eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos)
            continue;
        const std::string key = trim(line.substr(0, eq));
        const std::string value = trim(line.substr(eq + 1));
        if (key == "go") {
            m_goWord = upper(value);
        } else if (key == "title") {
            m_title = value;
        } else if (key == "member") {
            m_members.insert(upper(value));
        } else if (key == "room" || key == "library") {
            const auto space = value.find(' ');
            const auto n = number(value.substr(0, space));
            if (n)
                (key == "room" ? m_rooms : m_libraries)[*n] = space == std::string::npos ? "" : trim(value.substr(space));
        }
    }
}

bool ForumService::isGoCommand(const std::string& command) const
{
    return configured() && command == "GO " + m_goWord;
}

bool ForumService::isMember() const
{
    return m_members.count(m_memberId) || joinedMembers().count(m_memberId);
}

std::string ForumService::topMenu() const
{
    std::string menu = (m_title.empty() ? sj("ＫＩＲＯフォーラム") : m_title) + "\r\n";
    if (!isMember())
        return menu + sj(" 1:フォーラム案内\r\n 2:会議室の紹介\r\n 3:入会手続き\r\n＞");
    return menu + sj(" 1:お知らせ\r\n 2:会議室の紹介\r\n 3:電子会議\r\n 4:データライブラリ\r\n 9:終了\r\n＞");
}

std::string ForumService::roomPrompt() const
{
    return sj("\r\n電子会議 (改行のみ:次の発言 番号:指定発言 E:終了)＞");
}

ForumReply ForumService::enter(const std::string& memberId)
{
    m_memberId = upper(memberId);
    m_state = isMember() ? State::Top : State::JoinMenu;
    return {topMenu(), std::nullopt};
}

std::optional<ForumReply> ForumService::line(const std::string& typed, const std::string& command)
{
    ForumReply reply;
    const std::string prompt = sj(kMenuPrompt);
    if (isGoCommand(command))
        return enter(m_memberId);
    if (command == "BYE" || command == "OFF" || command.rfind("GO ", 0) == 0) {
        m_state = State::Outside;
        return std::nullopt;
    }
    if (command.rfind("SET ", 0) == 0) {
        reply.text = sj("設定しました。") + "\r\n" + prompt;
        return reply;
    }
    const auto n = number(command);
    switch (m_state) {
    case State::Outside:
        return std::nullopt;
    case State::JoinMenu:
        if (command == "3") {
            reply.text = sj("入会手続きを行います。\r\nフォーラムの規約をお読みください。(改行を押してください)\r\n：");
            m_state = State::Join1;
        } else {
            reply.text = topMenu();
        }
        return reply;
    case State::Join1:
        reply.text = sj("ハンドル名を登録します。(1:IDのまま 2:入力する)\r\n：");
        m_state = State::Join2;
        return reply;
    case State::Join2:
        reply.text = sj("入会しますか？(1:はい 2:いいえ)\r\n：");
        m_state = State::Join3;
        return reply;
    case State::Join3:
        if (command == "1")
            joinedMembers().insert(m_memberId);
        reply.text = sj(command == "1" ? "入会手続きが完了しました。" : "入会を取り止めました。") + "\r\n" + topMenu();
        m_state = isMember() ? State::Top : State::JoinMenu;
        return reply;
    case State::Top:
        if (command == "3") {
            reply.text = sj("電子会議室一覧") + "\r\n";
            for (const auto& [room, name] : m_rooms) {
                char line[32];
                std::snprintf(line, sizeof line, "%3d:", room);
                reply.text += line + name + "\r\n";
            }
            reply.text += sj("会議室番号") + prompt;
            m_state = State::Rooms;
        } else if (command == "4") {
            reply.text = sj("データライブラリ\r\n 10:ライブラリ一覧\r\n") + prompt;
            m_state = State::Library;
        } else {
            reply.text = topMenu();
        }
        return reply;
    case State::Rooms:
        if (n && m_rooms.count(*n)) {
            m_room = *n;
            reply.text = sj("会議室 ") + std::to_string(m_room) + " " + m_rooms[m_room] +
                         sj("\r\n RM:発言一覧 #番号:発言を読む") + "\r\n" + prompt;
            m_state = State::Room;
        } else {
            reply.text = sj("その会議室はありません。") + "\r\n" + prompt;
        }
        return reply;
    case State::Room:
        if (command == "RM") {
            reply.text = listing(m_room) + "\r\n" + prompt;
        } else if (command.size() > 1 && command[0] == '#' && number(command.substr(1))) {
            if (auto message = readMessage(m_room, *number(command.substr(1)))) {
                char head[160];
                std::snprintf(head, sizeof head, "%4d %-8s %-11s ", message->number, message->from.c_str(),
                              message->date.c_str());
                reply.text = head + message->title + "\r\n\r\n" + message->body + roomPrompt();
            } else {
                reply.text = sj(kRefused) + "\r\n" + prompt;
            }
        } else if (command.empty()) {
            reply.text = roomPrompt();
        } else {
            reply.text = sj(kRefused) + "\r\n" + prompt;
        }
        return reply;
    case State::Library:
        if (command == "10") {
            reply.text = sj("ライブラリ一覧") + "\r\n";
            for (const auto& [library, name] : m_libraries)
                reply.text += std::to_string(library) + ":" + name + "\r\n";
            reply.text += "\r\n" + prompt;
            m_state = State::Libraries;
        } else {
            reply.text = sj("データライブラリ\r\n 10:ライブラリ一覧\r\n") + prompt;
        }
        return reply;
    case State::Libraries:
        if (n && m_libraries.count(*n)) {
            m_library = *n;
            reply.text = sj("ライブラリ ") + std::to_string(m_library) + " " + m_libraries[m_library] +
                         sj("\r\n DOWn 番号 PROT:BPL でダウンロード") + "\r\n" + prompt;
            m_state = State::LibraryShelf;
        } else {
            reply.text = sj("そのライブラリはありません。") + "\r\n" + prompt;
        }
        return reply;
    case State::LibraryShelf:
        if (auto request = parseTransferCommand(typed); request && request->download) {
            const auto data = number(request->file);
            const auto file = data ? dataFile(m_library, *data) : std::nullopt;
            if (!file) {
                reply.text = sj("そのデータはありません。") + "\r\n" + prompt;
            } else {
                m_dataPath = *file;
                reply.text = sj("B Plus で送信します。よろしいですか？(1:はい 2:いいえ)\r\n：");
                m_state = State::DownConfirm;
            }
        } else {
            reply.text = sj("コマンドが違います。") + "\r\n" + prompt;
        }
        return reply;
    case State::DownConfirm:
        if (command == "1") {
            reply.text = sj("保存するファイル名を入力してください。\r\n：");
            m_state = State::DownName;
        } else {
            reply.text = sj("中止しました。") + "\r\n" + prompt;
            m_state = State::LibraryShelf;
        }
        return reply;
    case State::DownName: {
        m_state = State::LibraryShelf;
        const std::string name = trim(typed);
        if (!plainFileName(name)) {
            reply.text = sj("ファイル名が違います。") + "\r\n" + prompt;
            return reply;
        }
        reply.text = sj("－ダウンロード開始－") + "\r\n";
        reply.transfer = TransferRequest{true, name, m_dataPath};
        return reply;
    }
    }
    return reply;
}

std::optional<ForumService::Message> ForumService::readMessage(int room, int number) const
{
    const auto text = readText(fs::path(m_folder) / ("room" + std::to_string(room)) / (std::to_string(number) + ".txt"));
    if (!text)
        return std::nullopt;
    Message message;
    message.number = number;
    const std::vector<std::string> lines = splitLines(*text);
    std::size_t i = 0;
    for (; i < lines.size() && !trim(lines[i]).empty(); ++i) {
        const std::string& line = lines[i];
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string key = upper(trim(line.substr(0, colon)));
        const std::string value = trim(line.substr(colon + 1));
        if (key == "FROM")
            message.from = value;
        else if (key == "DATE")
            message.date = value;
        else if (key == "TITLE")
            message.title = value;
    }
    for (++i; i < lines.size(); ++i)
        message.body += lines[i] + "\r\n";
    return message;
}

std::vector<ForumService::Message> ForumService::messages(int room) const
{
    std::vector<Message> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(m_folder) / ("room" + std::to_string(room)), ec)) {
        if (entry.path().extension() != ".txt")
            continue;
        if (const auto n = number(entry.path().stem().string()))
            if (auto message = readMessage(room, *n))
                out.push_back(std::move(*message));
    }
    std::sort(out.begin(), out.end(), [](const Message& a, const Message& b) { return a.number < b.number; });
    return out;
}

// The listing's columns: number 0-3, sender 5-12, date and time 14-24, size
// 26-35, title from 36.
std::string ForumService::listing(int room) const
{
    std::string text = sj("会議室 ") + std::to_string(room) + " " + m_rooms.at(room) + "\r\n";
    text += "  No ID       Date            Size Title\r\n";
    for (const Message& message : messages(room)) {
        char line[96];
        std::snprintf(line, sizeof line, "%4d %-8.8s %-11.11s %10zu", message.number, message.from.c_str(),
                      message.date.c_str(), message.body.size());
        text += line + message.title + "\r\n";
    }
    return text;
}

std::optional<std::string> ForumService::dataFile(int library, int data) const
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(m_folder) / ("lib" + std::to_string(library)), ec)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(ec) && name.substr(0, name.find('.')) == std::to_string(data))
            return entry.path().string();
    }
    return std::nullopt;
}

std::optional<std::string> applyForumSetting(const std::string& key, const std::string& value,
                                             std::string& forumDir, bool& known)
{
    known = key == "forum";
    if (!known)
        return std::nullopt;
    if (!fs::is_directory(value))
        return "the forum folder does not exist: " + value;
    forumDir = value;
    return std::nullopt;
}

} // namespace kiro::hostsim
