// kiro-setup-shots DIR: draws each setup dialog, filled with sample values,
// into DIR as a PNG (offscreen), for the README.
#include "client/app/ClientSettings.h"
#include "client/app/ScriptedPrompt.h"
#include "client/db/CatalogueDb.h"
#include "client/music/BackgroundMusic.h"
#include "client/online/PortRegistry.h"
#include "client/ui/setup/AccessPointDialog.h"
#include "client/ui/setup/PictureSettingsDialog.h"
#include "client/ui/setup/SoundModemDialog.h"
#include "client/ui/setup/UserSettingsDialog.h"
#include "common/Registry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

void sampleCatalogue(const std::filesystem::path& file)
{
    kiro::db::CatalogueDb::createFile(file);
    kiro::db::CatalogueDb db;
    db.openOrThrow(file);
    db.execute("INSERT INTO アクセスポイント分類テーブル VALUES (1)");
    db.execute("INSERT INTO ロードタイプマスタ VALUES (30, '14400bps', 1)");
    db.execute("INSERT INTO ロードタイプマスタ VALUES (50, '28800bps', 1)");
    const char* rows[] = {
        "('札幌', '011', '200-0001', 'さっぽろ', 30)", "('札幌', '011', '200-0002', 'さっぽろ', 50)",
        "('仙台', '022', '300-0001', 'せんだい', 30)", "('東京', '03', '5000-0001', 'とうきょう', 30)",
        "('東京', '03', '5000-0002', 'とうきょう', 50)", "('名古屋', '052', '400-0001', 'なごや', 50)",
        "('大阪', '06', '600-0001', 'おおさか', 30)", "('福岡', '092', '700-0001', 'ふくおか', 50)",
    };
    for (const char* row : rows)
        db.execute(std::string("INSERT INTO アクセスポイントテーブル VALUES ") + row);
    db.close();
}

bool shoot(QWidget& dialog, const QString& file)
{
    dialog.show();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    const bool saved = dialog.grab().save(file);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", file.toUtf8().constData());
    dialog.hide();
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kiro-setup-shots DIR\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir scratch;
    ::setenv("KIRO_WINDIR", scratch.path().toUtf8().constData(), 1);
    QApplication application(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);

    const std::filesystem::path windir = scratch.path().toStdString();
    kiro::Registry registry(windir / "registry.reg");
    registry.writeString(kiro::online::kTelnetKey, "Default", "127.0.0.1:2323");
    registry.writeString(kiro::online::kTelnetKey, "0350000001", "nifty.example.net:23");
    registry.writeString(std::string(kiro::online::kModemClassKey) + "\\0000", "Model", "Generic 28800 Modem");
    sampleCatalogue(windir / "KIRODB.MDB");

    kiro::app::ClientSettings settings;
    settings.NiftyID = "ABC01234";
    settings.NiftyPassWord = "secret";
    settings.MailNo = "100-0001";
    settings.AddrKanji = "東京都千代田区千代田1-1";
    settings.Name = "山田太郎";
    settings.Phone = "03-1234-5678";
    settings.AccessPoint = "03-5000-0001";
    settings.AccessPointName = "東京-14400bps";
    settings.ComPort = 5;
    kiro::app::ScriptedPrompt prompt;
    kiro::music::SilentMusic music;
    kiro::db::CatalogueDb db;
    db.openOrThrow(windir / "KIRODB.MDB");

    kiro::setup::SetupServices services;
    services.settings = &settings;
    services.prompt = &prompt;
    services.database = &db;
    services.music = &music;
    services.registry = kiro::online::systemRegistry();
    // The file a user of the default Windows directory edits.
    services.registryFile = "~/.config/kiro/windows/registry.reg";
    services.folders = kiro::app::AppFolders::fromInstallFolder("/opt/kiro");
    kiro::app::FillPictureDefaults(settings, services.folders);
    settings.UseMyCG = 1;
    settings.PathMyCG = "/home/user/Pictures/karaoke";

    bool ok = true;
    {
        UserSettingsDialog dialog(services);
        ok &= shoot(dialog, out + "/setup-user-settings.png");
    }
    {
        AccessPointDialog dialog(services);
        ok &= shoot(dialog, out + "/setup-access-point.png");
    }
    {
        SoundModemDialog dialog(services);
        ok &= shoot(dialog, out + "/setup-sound-modem.png");
        dialog.reject();
    }
    {
        PictureSettingsDialog dialog(services);
        ok &= shoot(dialog, out + "/setup-pictures.png");
    }
    db.close();
    return ok ? 0 : 1;
}
