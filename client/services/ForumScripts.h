#pragma once
// The host scripts of the operator's forum: entering it, joining it, going
// to a room, listing the room's messages, reading one message and
// downloading one file. The object owns every text and buffer its steps
// point to; fill one script's texts, then run it with the host session.

#include "client/online/ScriptStep.h"

#include <array>
#include <deque>
#include <string>
#include <vector>

namespace kiro::services {

class ForumScripts {
public:
    static constexpr std::size_t kListBufferSize = 64000;
    static constexpr std::size_t kMessageBufferSize = 4096;
    // The outcome of the enter step that stands for the join menu (the
    // session's LastOutcome counts outcomes from 1).
    static constexpr int kJoinMenuOutcome = 2;

    // goWord: the forum's go-word (UTF-8), as the setting holds it; the
    // download script carries the default go-word as fixed text.
    explicit ForumScripts(const std::string& goWord);
    ForumScripts(const ForumScripts&) = delete;
    ForumScripts& operator=(const ForumScripts&) = delete;

    const online::ScriptStep* enter() const { return m_enter.data(); }
    const online::ScriptStep* join() const { return m_join.data(); }
    const online::ScriptStep* goToRoom(int room);
    // Captures the "rm" reply into the list buffer, allocated for the run.
    const online::ScriptStep* messageList();
    // Captures the message into the message buffer, allocated for the run.
    const online::ScriptStep* readMessage(int messageNumber);
    // installFolder: where B Plus stores the file (UTF-8, ends in "/").
    const online::ScriptStep* download(int room, int data, const std::string& fileName,
                                       const std::string& installFolder);

    // What the last list or message run captured (code page 932), and the
    // buffer freed.
    std::string takeCapture();

private:
    using Script = std::array<online::ScriptStep, 10>;

    const char* keep(std::string text);

    std::deque<std::string> m_texts; // a deque keeps the pointers stable
    std::vector<char> m_capture;
    std::string m_goCommand;
    std::string m_roomCommand;
    std::string m_messageCommand;
    std::string m_dataRoomCommand;
    std::string m_downCommand;
    std::string m_fileCommand;
    std::string m_transferFolder;
    Script m_enter{};
    Script m_join{};
    Script m_room{};
    Script m_list{};
    Script m_message{};
    Script m_download{};
};

// The go-word of the operator's forum.
inline constexpr const char* kForumGoWord = "KIROFORM";

} // namespace kiro::services
