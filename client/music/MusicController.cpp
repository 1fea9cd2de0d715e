#include "client/music/MusicController.h"

#include "common/FileNames.h"

#include <filesystem>

namespace kiro::music {

namespace {
constexpr std::uint32_t kPlayOnce = 0;
constexpr std::uint32_t kPlayRepeat = 2;
constexpr int kSuspended = 2;
} // namespace

MusicController::MusicController(PlayerLibrary& library, std::string installFolder,
    std::function<void(int)> selectEngine, bool off)
    : m_player(library)
    , m_installFolder(std::move(installFolder))
    , m_selectEngine(std::move(selectEngine))
    , m_off(off)
{
}

std::string MusicController::tunePath(int index) const
{
    const std::string relative = std::string("karaoke\\") + kTunes.at(static_cast<std::size_t>(index)).file;
    if (auto found = kiro::filenames::resolveUnder(m_installFolder, relative))
        return found->string();
    return (std::filesystem::path(m_installFolder) / "karaoke" / kTunes.at(static_cast<std::size_t>(index)).file).string();
}

int MusicController::openAndPlay(int index)
{
    if (m_off)
        return 0;
    const int result = m_player.open(0, 0);
    if (index < 0)
        return result;
    m_current = -1;
    play(index);
    return result;
}

void MusicController::play(int index)
{
    if (m_off || index < 0 || index >= static_cast<int>(kTunes.size()) || index == m_current)
        return;
    if (m_player.isPlaying())
        m_player.stop();
    const Tune& tune = kTunes[static_cast<std::size_t>(index)];
    m_player.setSong(tunePath(index));
    m_player.start();
    if (tune.loops) {
        m_player.setRepeatPoint(tune.start, tune.end);
        m_player.setPlayMode(kPlayRepeat);
    } else {
        m_player.setPosition(tune.start);
        m_player.setPlayMode(kPlayOnce);
    }
    m_current = index;
}

void MusicController::close()
{
    if (m_off)
        return;
    if (m_player.isPlaying())
        m_player.stop();
    m_player.close();
}

void MusicController::suspend(int index)
{
    if (m_off || m_suspended != 0)
        return;
    m_player.stop();
    m_player.close();
    m_suspended = kSuspended;
    if (index >= 0) {
        const int suspendedTune = m_current;
        play(index);
        m_current = suspendedTune;
    }
}

void MusicController::resume()
{
    if (m_off || m_suspended == 0)
        return;
    m_player.open(0, 0);
    const int remembered = m_current;
    m_current = -1;
    play(remembered);
    m_suspended = 0;
}

void MusicController::selectEngine(int kind)
{
    if (m_off || (kind != 0 && kind != 1))
        return;
    if (m_selectEngine)
        m_selectEngine(kind);
}

bool MusicController::isPlaying()
{
    return !m_off && m_player.isPlaying();
}

} // namespace kiro::music
