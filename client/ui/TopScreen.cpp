#include "client/ui/TopScreen.h"

#include "client/ui/AppIcon.h"
#include "client/ui/FirstRunDialog.h"
#include "client/ui/MainWindowServices.h"
#include "client/ui/MaintenanceMenu.h"
#include "client/ui/PictureButton.h"
#include "client/ui/SplashWindow.h"
#include "client/ui/TextViewer.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

namespace {

struct TopButton {
    const char* id;
    const char* label;
};

// Top to bottom on the menu panel of the top picture.
const TopButton Buttons[] = {
    {"1410", "カラオケ歌本"},
    {"1413", "メンテナンス"},
    {"1415", "お知らせ"},
    {"1411", "ヘルプ"},
    {"1414", "終了"},
};

constexpr int PanelLeft = 454;
constexpr int PanelTop = 154;
constexpr int ButtonWidth = 160;
constexpr int ButtonHeight = 44;
constexpr int ButtonStep = 52;

} // namespace

TopScreen::TopScreen(MainWindowServices& services, kiro::app::Prompt& prompt, QWidget* parent)
    : CaptionlessDialog(102, parent)
    , m_services(services)
    , m_prompt(prompt)
    , m_sessionTimer(new QTimer(this))
    , m_fastTimer(new QTimer(this))
{
    setWindowTitle(QStringLiteral("通信カラオケKIROLite"));
    setWindowIcon(kiro::ui::kiroIcon());
    setFixedSize(Width, Height);
    m_sessionTimer->setObjectName(QString::number(SessionTimerId));
    m_sessionTimer->setInterval(SessionTimerMs);
    connect(m_sessionTimer, &QTimer::timeout, this, &TopScreen::sessionTimerFired);
    m_fastTimer->setObjectName(QString::number(FastTimerId));
    m_fastTimer->setInterval(FastTimerMs);
    connect(m_fastTimer, &QTimer::timeout, this, &TopScreen::fastTick);
    createButtons();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TopScreen::~TopScreen()
{
    shutDown();
}

void TopScreen::createButtons()
{
    int y = PanelTop;
    for (const TopButton& entry : Buttons) {
        auto* button = new PictureButton(QString::fromLatin1(entry.id), QString::fromUtf8(entry.label), this);
        QFont font = button->font();
        font.setPixelSize(16);
        font.setBold(true);
        button->setFont(font);
        button->setGeometry(PanelLeft, y, ButtonWidth, ButtonHeight);
        y += ButtonStep;
    }
    connect(findChild<PictureButton*>("1410"), &PictureButton::clicked, this, &TopScreen::onSongBook);
    connect(findChild<PictureButton*>("1413"), &PictureButton::clicked, this, &TopScreen::onMaintenance);
    connect(findChild<PictureButton*>("1415"), &PictureButton::clicked, this, &TopScreen::onInfo);
    connect(findChild<PictureButton*>("1411"), &PictureButton::clicked, this, &TopScreen::onHelp);
    connect(findChild<PictureButton*>("1414"), &PictureButton::clicked, this, &TopScreen::onExit);
    // The song book needs the catalogue: the button is enabled once it opened.
    findChild<PictureButton*>("1410")->setEnabled(m_services.songBookAvailable());
}

bool TopScreen::startUp()
{
    m_services.prepareFolders();
    m_services.initPort(this);

    m_splash = new SplashWindow(m_services.systemFolder());
    m_splash->setAttribute(Qt::WA_DeleteOnClose);
    m_splash->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_services.createProgressWindow(this);

    const bool opened = m_services.openDatabase();
    if (opened)
        m_services.afterDatabaseOpened();
    m_failed = !opened;
    findChild<PictureButton*>("1410")->setEnabled(m_services.songBookAvailable());

    m_sessionTimer->start();
    m_fastTimer->start();
    m_picture = new PictureButton(this);
    m_picture->setObjectName(QStringLiteral("1038"));
    m_picture->setFlat(true);
    m_picture->setGeometry(rect());
    m_picture->loadPicture(QDir(m_services.systemFolder()).filePath(QStringLiteral("TopMenu.bmp")));
    m_picture->lower();
    m_picture->show();
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();

    if (opened && !m_services.setupIsOK()) {
        m_splash->hide();
        if (!runFirstRunDialog())
            m_failed = true;
    }

    if (m_splash) {
        m_splash->hide();
        delete m_splash.data();
    }
    return !m_failed;
}

bool TopScreen::runFirstRunDialog()
{
    FirstRunDialog::Hooks hooks;
    hooks.setupIsOK = [this]() { return m_services.setupIsOK(); };
    hooks.runUserSettings = [this](QWidget* parent) {
        m_services.runUserSettings(parent);
        m_services.saveSettings();
    };
    FirstRunDialog dialog(std::move(hooks), m_prompt, this);
    return dialog.exec() == QDialog::Accepted;
}

int TopScreen::run()
{
    if (!startUp()) {
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    return exec();
}

void TopScreen::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_sessionTimer->stop();
    m_fastTimer->stop();
    if (m_splash)
        delete m_splash.data();
    m_services.deleteProgressWindow();
    m_services.closeDatabase();
    m_services.closeWorkspace();
    m_services.shutdownPort();
    m_services.closeMusic();
}

void TopScreen::sessionTimerFired()
{
    m_services.sessionTick();
    if (m_startUpCount <= 8) {
        ++m_startUpCount;
        if (m_startUpCount > 8)
            m_settled = true;
    }
    ++m_ticks;
    emit sessionTicked(m_ticks);
}

void TopScreen::onSongBook()
{
    m_services.playTune(4);
    m_services.openSongBook(this);
    m_services.playTune(3);
    m_services.saveSettings();
}

void TopScreen::onMaintenance()
{
    m_services.playTune(6);
    {
        MaintenanceMenu menu(m_services, m_prompt, this);
        menu.exec();
    }
    m_services.playTune(3);
    m_services.saveSettings();
}

void TopScreen::onInfo()
{
    TextViewer viewer(m_services.installFolder(), QStringLiteral("Info.txt"), this);
    viewer.exec();
}

void TopScreen::onHelp()
{
    TextViewer viewer(m_services.installFolder(), QStringLiteral("Help.txt"), this);
    viewer.exec();
}

void TopScreen::onExit()
{
    m_services.stopMusic();
    accept();
}

void TopScreen::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    CaptionlessDialog::keyPressEvent(event);
}
