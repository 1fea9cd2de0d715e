// kiro-assets OUTPUT_FOLDER
// Draws the client's pictures into OUTPUT_FOLDER/sysfile and writes its help
// and news texts into OUTPUT_FOLDER/InfoText.
#include "assets/generator/Art.h"
#include "assets/generator/BmpFile.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

namespace {

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kiro-assets OUTPUT_FOLDER\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("sysfile")) || !out.mkpath(QStringLiteral("InfoText"))) {
        std::fprintf(stderr, "kiro-assets: cannot create folders under %s\n", argv[1]);
        return 1;
    }
    using namespace kiro::assets;
    struct Picture {
        const char* name;
        QImage image;
    };
    const Picture pictures[] = {
        {"TopMenu.bmp", drawTopMenu()},
        {"Lite001.bmp", drawSplash()},
        {"KB-J.bmp", drawKeyboard(0)},
        {"KB-E.bmp", drawKeyboard(1)},
        {"Icons16.bmp", drawRowIcons16()},
        {"Icons32.bmp", drawRowIcons32()},
    };
    bool ok = true;
    for (const Picture& picture : pictures) {
        const QString path = out.filePath(QStringLiteral("sysfile/") + QString::fromLatin1(picture.name));
        if (!writeBmp(picture.image, path)) {
            std::fprintf(stderr, "kiro-assets: cannot write %s\n", qPrintable(path));
            ok = false;
        }
    }
    ok = writeBytes(out.filePath(QStringLiteral("InfoText/Help.txt")), helpText()) && ok;
    ok = writeBytes(out.filePath(QStringLiteral("InfoText/Info.txt")), infoText()) && ok;
    return ok ? 0 : 1;
}
