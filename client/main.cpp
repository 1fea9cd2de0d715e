// kiro — the karaoke-on-demand client. Run it in its install folder (the
// folder holding sysfile/, karaoke/, InfoText/, MAIL/ and CDEx/); the
// Windows directory with KIROL.INI is $KIRO_WINDIR.
#include "client/KiroApplication.h"
#include "client/ui/AppIcon.h"
#include "common/WinPaths.h"

#include <QApplication>

// Fontconfig keeps its cache until the process ends; not a leak of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\nleak:libdbus\n";
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kiro"));
    QApplication::setWindowIcon(kiro::ui::kiroIcon());
    kiro::client::useJapaneseFont();
    kiro::client::runKiro(kiro::winpaths::windowsDirectory());
    return 0;
}
