#include "tools/songbox1/PictureWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdlib>
#include <thread>

namespace kiro::songbox1 {

namespace {

// Hands on the lines that fell due since the last look.
class LyricFeed {
public:
    LyricFeed(const SongCues& cues, const LyricSink& sink) : m_cues(cues), m_sink(sink) {}
    void advance(std::uint32_t ms)
    {
        const std::size_t due = m_cues.lyricsDue(ms);
        while (m_shown < due)
            m_sink(m_cues.lyrics[m_shown++]);
    }
    std::size_t shown() const { return m_shown; }

private:
    const SongCues& m_cues;
    const LyricSink& m_sink;
    std::size_t m_shown = 0;
};

} // namespace

bool displayAvailable()
{
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

void followSong(const SongCues& cues, SongClock& clock, const LyricSink& sink)
{
    LyricFeed feed(cues, sink);
    while (auto ms = clock.now()) {
        feed.advance(*ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

int showSong(int& argc, char** argv, const std::vector<std::filesystem::path>& bitmaps, const SongCues& cues,
    SongClock& clock, const LyricSink& sink)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("songbox1"));
    window.setMinimumSize(480, 360);
    window.setStyleSheet(QStringLiteral("background: black; color: white"));
    auto* layout = new QVBoxLayout(&window);
    auto* picture = new QLabel(&window);
    picture->setAlignment(Qt::AlignCenter);
    auto* current = new QLabel(&window);
    auto* next = new QLabel(&window);
    for (QLabel* line : {current, next}) {
        line->setAlignment(Qt::AlignCenter);
        line->setWordWrap(true);
    }
    current->setStyleSheet(QStringLiteral("font-size: 26px; color: #ffe060"));
    next->setStyleSheet(QStringLiteral("font-size: 20px; color: #c0c0c0"));
    layout->addWidget(picture, 1);
    layout->addWidget(current);
    layout->addWidget(next);

    std::size_t shownPicture = static_cast<std::size_t>(-1);
    LyricFeed feed(cues, sink);
    auto showPicture = [&](std::size_t index) {
        if (index >= bitmaps.size() || index == shownPicture)
            return;
        shownPicture = index;
        QPixmap image(QString::fromStdString(bitmaps[index].string()));
        if (image.isNull())
            picture->setText(QString::fromStdString(bitmaps[index].filename().string()));
        else
            picture->setPixmap(image);
    };
    showPicture(0);
    if (!cues.lyrics.empty())
        next->setText(QString::fromStdString(cues.lyrics.front().text));

    QTimer tick;
    tick.setInterval(30);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const auto ms = clock.now();
        if (!ms) {
            application.quit();
            return;
        }
        showPicture(cues.pictureAt(*ms));
        const std::size_t before = feed.shown();
        feed.advance(*ms);
        if (feed.shown() != before) {
            current->setText(QString::fromStdString(cues.lyrics[feed.shown() - 1].text));
            next->setText(feed.shown() < cues.lyrics.size() ? QString::fromStdString(cues.lyrics[feed.shown()].text) : QString());
        }
    });
    tick.start();
    window.show();
    return application.exec();
}

} // namespace kiro::songbox1
