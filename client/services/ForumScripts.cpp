#include "client/services/ForumScripts.h"

#include "common/Cp932.h"

namespace kiro::services {

using online::ScriptStep;
using online::StepOutcome;

namespace {

constexpr std::uint32_t kTimed = online::kStepSend | online::kStepTimeOut;
constexpr const char* kTimeOutError = "タイムアウトエラーです。";
constexpr const char* kLoading = "バージョンアップ情報ロード中...";

} // namespace

const char* ForumScripts::keep(std::string text)
{
    m_texts.push_back(std::move(text));
    return m_texts.back().c_str();
}

ForumScripts::ForumScripts(const std::string& goWord)
{
    // Prompts travel in code page 932; statuses are shown as they are.
    const auto sj = [this](const char* utf8) { return keep(cp932::fromUtf8(utf8)); };
    const StepOutcome timeOut{online::kTimeOutPrompt, 1, kTimeOutError};
    const auto goOn = [](const char* prompt, const char* status = nullptr) { return StepOutcome{prompt, 0, status}; };
    const char* menu = sj("＞");
    const char* lineMenu = sj("\r\n＞");
    const char* question = sj("\r\n：");

    m_goCommand = "go " + cp932::fromUtf8(goWord) + "\r";
    m_enter[0] = {kTimed, m_goCommand.c_str(), 0, {timeOut, goOn(sj("3:入会手続き\r\n＞")), goOn(lineMenu), goOn("M>")}};

    m_join[0] = {kTimed, "3\r", 0, {timeOut, goOn(question)}};
    m_join[1] = {kTimed, "\r", 0, {timeOut, goOn(question)}};
    m_join[2] = {kTimed, "1\r", 0, {timeOut, goOn(question)}};
    m_join[3] = {kTimed, "1\r", 0, {timeOut, goOn(lineMenu), goOn("M>")}};
    m_join[4] = {kTimed, "set MENu ON\r", 0, {timeOut, goOn(menu)}};

    m_room[0] = {kTimed, "set MENu ON\r", 0, {timeOut, goOn(menu)}};
    m_room[1] = {kTimed, "set PAGe ON\r", 0, {timeOut, goOn(menu)}};
    m_room[2] = {kTimed, "set LINe 30\r", 0, {timeOut, goOn(menu)}};
    m_room[3] = {kTimed, "3\r", 0, {timeOut, goOn(menu)}};
    m_room[4] = {kTimed, nullptr, 0, {timeOut, goOn(lineMenu)}};

    m_list[0] = {kTimed, "set PAGe off\r", 0, {timeOut, goOn(lineMenu)}};
    m_list[1] = {online::kStepCaptureText | online::kStepTimeOut, "rm\r", 0, {timeOut, goOn(lineMenu, kLoading)}};

    m_message[0] = {online::kStepCaptureText | online::kStepTimeOut, nullptr, 0,
                    {timeOut, goOn(sj("\r\n電子会議 (改行のみ:"), "バージョンアップ内容受信中..."),
                     StepOutcome{sj("◆番号又はコマンドを入力して下さい◆"), 1, "バージョンアップ情報が不正です。"}}};

    m_download[0] = {kTimed, keep(std::string("go ") + kForumGoWord + "\r"), 0, {timeOut, goOn(menu), goOn(">")}};
    m_download[1] = {kTimed, "4\r", 0, {timeOut, goOn(menu)}};
    m_download[2] = {kTimed, "10\r", 0, {timeOut, goOn(lineMenu)}};
    m_download[3] = {kTimed, nullptr, 0, {timeOut, goOn(lineMenu, kLoading)}};
    m_download[4] = {kTimed, nullptr, 0, {timeOut, goOn(question, "BPlus準備中...")}};
    m_download[5] = {kTimed, "1\r", 0, {timeOut, goOn(question)}};
    m_download[6] = {kTimed, nullptr, 0, {timeOut, goOn(sj("－ダウンロード開始－\r\n"), "ダウンロード開始。")}};
    // B Plus keeps its own time-outs: a long file must not run into the
    // step's. Outcome 0 still stands for a cancellation.
    m_download[7] = {online::kStepTransfer, nullptr, 1,
                     {timeOut, goOn(lineMenu), StepOutcome{sj("◆アボートリクエスト◆"), 2, nullptr},
                      StepOutcome{sj("◆クラッシュリカバリーエラー◆"), 1, "クラッシュリカバリーエラー"}}};
}

const ScriptStep* ForumScripts::goToRoom(int room)
{
    m_roomCommand = std::to_string(room) + "\r";
    m_room[4].command = m_roomCommand.c_str();
    return m_room.data();
}

const ScriptStep* ForumScripts::messageList()
{
    m_capture.assign(kListBufferSize, '\0');
    m_list[1].captureTarget = m_capture.data();
    m_list[1].captureSize = kListBufferSize;
    return m_list.data();
}

const ScriptStep* ForumScripts::readMessage(int messageNumber)
{
    m_capture.assign(kMessageBufferSize, '\0');
    m_messageCommand = "#" + std::to_string(messageNumber) + "\r";
    m_message[0].command = m_messageCommand.c_str();
    m_message[0].captureTarget = m_capture.data();
    m_message[0].captureSize = kMessageBufferSize;
    return m_message.data();
}

const ScriptStep* ForumScripts::download(int room, int data, const std::string& fileName,
                                         const std::string& installFolder)
{
    m_dataRoomCommand = std::to_string(room) + "\r";
    m_downCommand = "DOWn " + std::to_string(data) + " PROT:BPL\r";
    m_fileCommand = cp932::fromUtf8(fileName) + "\r";
    m_transferFolder = installFolder;
    m_download[3].command = m_dataRoomCommand.c_str();
    m_download[4].command = m_downCommand.c_str();
    m_download[6].command = m_fileCommand.c_str();
    m_download[7].command = m_transferFolder.c_str();
    return m_download.data();
}

std::string ForumScripts::takeCapture()
{
    std::string text(m_capture.data(), m_capture.empty() ? 0 : std::char_traits<char>::length(m_capture.data()));
    std::vector<char>().swap(m_capture);
    return text;
}

} // namespace kiro::services
