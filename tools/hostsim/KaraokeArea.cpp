#include "tools/hostsim/KaraokeArea.h"

#include "common/Cp932.h"
#include "common/FileNames.h"
#include "tools/hostsim/HostConfig.h"

#include <charconv>

namespace kiro::hostsim {

namespace {

std::string sj(std::string_view utf8) { return cp932::fromUtf8(utf8); }

// The area's pages hold no "＞" or "：" before their prompt: callers take the
// first one they see for the prompt.
std::optional<int> numberOf(const std::string &command)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(command.data(), command.data() + command.size(), value);
    if (command.empty() || ec != std::errc() || end != command.data() + command.size() || value < 0)
        return std::nullopt;
    return value;
}

} // namespace

KaraokeArea::KaraokeArea(const HostConfig &config) : m_config(config) {}

std::string KaraokeArea::prompt() const { return sj("＞"); }

AreaReply KaraokeArea::enter()
{
    if (m_config.karaokeRefuse == "card") {
        m_stage = Stage::Refused;
        return {sj("◆カードユーザ以外はご利用いただけません◆") + "\r\n" + prompt(), "karaoke area refused (card)", {}};
    }
    if (m_config.karaokeRefuse == "registering") {
        m_stage = Stage::Refused;
        return {sj("ご利用のIDは現在、正式登録手続中です。") + "\r\n" + prompt(), "karaoke area refused (registering)",
                {}};
    }
    return {sj("ＫＩＲＯ カラオケ・オン・デマンド\r\n番号を入力して下さい\r\n") + prompt(), {}, {}};
}

AreaReply KaraokeArea::line(const std::string &text)
{
    const std::string command = normaliseCommand(text);
    const std::string again = sj("◆番号又はコマンドを入力して下さい◆") + "\r\n" + prompt();
    if (m_stage == Stage::Refused)
        return {again, {}, {}};
    if (m_stage == Stage::FileName) {
        // The name keeps the case the caller typed; any case of the expected name will do.
        const std::string expected = m_item->header ? "HEADER.BIN" : m_item->baseName;
        const std::string name = cp932::toUtf8(text);
        if (!filenames::sameNameIgnoringCase(name, expected) || !plainFileName(text)) {
            m_stage = Stage::Item;
            return {sj("ファイルが見つかりません。") + "\r\n" + prompt(), {}, {}};
        }
        m_stage = Stage::Item;
        m_served = m_item->header ? "HEADER.BIN of " + m_item->baseName : m_item->baseName;
        return {sj("－ダウンロード開始－") + "\r\n", {}, TransferRequest{true, text, m_file.string()}};
    }
    if (command == "SET PAGE ON" || command == "SET PAGE OFF" || command.rfind("SET LINE ", 0) == 0)
        return {sj("設定しました。") + "\r\n" + prompt(), {}, {}};
    if (m_stage == Stage::Protocol) {
        if (command != "2") {
            m_stage = Stage::Item;
            return {sj("Ｂ Ｐｌｕｓ 以外は使えません。") + "\r\n" + prompt(), {}, {}};
        }
        m_stage = Stage::FileName;
        return {sj("ファイル名") + sj("："), {}, {}};
    }
    if (const auto value = numberOf(command))
        return number(*value);
    return {again, {}, {}};
}

AreaReply KaraokeArea::number(int value)
{
    const std::string again = sj("◆番号又はコマンドを入力して下さい◆") + "\r\n" + prompt();
    switch (m_stage) {
    case Stage::Top:
        m_menu = value;
        m_stage = Stage::Menu;
        return {sj("メニュー ") + std::to_string(value) + "\r\n" + sj("１ 一覧") + "\r\n" + prompt(), {}, {}};
    case Stage::Menu: {
        if (value != 1)
            return {again, {}, {}};
        std::string list;
        if (m_config.karaoke)
            for (const auto &[number, item] : m_config.karaoke->menu(m_menu))
                list += std::to_string(number) + "  " + item->code + (item->header ? " (HEADER)" : "") + "\r\n";
        m_stage = Stage::Listed;
        return {list + prompt(), {}, {}};
    }
    case Stage::Listed: {
        const KaraokeCatalogue::Item *item = m_config.karaoke ? m_config.karaoke->find(m_menu, value) : nullptr;
        if (item == nullptr)
            return {again, {}, {}};
        const auto file = m_config.karaoke->fileFor(*item, m_config.contentDir);
        if (!file)
            return {sj("－指定したコースにデータはありません－") + "\r\n" + prompt(),
                    "not ready: " + item->code + " (" + std::to_string(m_menu) + "," + std::to_string(value) + ")",
                    {}};
        m_item = item;
        m_file = *file;
        m_stage = Stage::Item;
        return {item->code + "\r\n" + sj("１ ダウンロード") + "\r\n" + prompt(), {}, {}};
    }
    case Stage::Item:
        if (value != 1)
            return {again, {}, {}};
        m_stage = Stage::Protocol;
        return {sj("転送方式 1 XMODEM 2 B Plus ") + sj("："), {}, {}};
    case Stage::Protocol:
    case Stage::FileName:
    case Stage::Refused:
        break;
    }
    return {again, {}, {}};
}

AreaReply KaraokeArea::transferEnded(bool success, std::int64_t bytes)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(m_file, ec);
    // The caller reads the answer after a transfer as its outcome: a transfer
    // that broke off must not look like a finished download.
    const std::string broken = success ? std::string() : sj("◆アボートリクエスト◆") + "\r\n";
    AreaReply reply{"\r\n" + broken + prompt(), {}, {}};
    reply.log = success ? "served " + m_served + " (" + std::to_string(ec ? bytes : static_cast<std::int64_t>(size)) + " bytes)"
                        : "failed to serve " + m_served;
    return reply;
}

} // namespace kiro::hostsim
