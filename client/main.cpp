// kiro — the karaoke-on-demand client. Run it in its install folder (the
// folder holding sysfile/, karaoke/, InfoText/, MAIL/ and CDEx/); the
// Windows directory with KIROL.INI is $KIRO_WINDIR.
#include "client/KiroApplication.h"
#include "client/ui/AppIcon.h"
#include "common/WinPaths.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

// Fontconfig keeps its cache until the process ends; not a leak of ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libfreetype\nleak:libdbus\n";
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs("usage: kiro\n"
                       "Run it in its install folder (the folder holding sysfile/KIRODB.MDB, karaoke/,\n"
                       "InfoText/, MAIL/ and CDEx/). Settings: KIROL.INI in $KIRO_WINDIR\n"
                       "(default ~/.config/kiro/windows). Without a display set KIRO_MESSAGES=stderr.\n",
                       stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kiro"));
    QApplication::setWindowIcon(kiro::ui::kiroIcon());
    kiro::client::useJapaneseFont();
    kiro::client::runKiro(kiro::winpaths::windowsDirectory());
    return 0;
}
