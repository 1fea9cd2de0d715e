#pragma once

#include "client/db/CatalogueDb.h"
#include "client/db/Recordset.h"
#include "client/db/StatementFormat.h"
#include "client/db/Variant.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

// A fresh install folder with an empty catalogue, removed afterwards.
struct CatalogueFixture {
    std::filesystem::path install;
    kiro::db::CatalogueDb db;

    explicit CatalogueFixture(const std::string& tag)
    {
        static int serial = 0;
        install = std::filesystem::temp_directory_path()
                / ("kiro-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::remove_all(install);
        std::filesystem::create_directories(install / "sysfile");
        std::filesystem::create_directories(install / "karaoke");
        std::filesystem::create_directories(install / "CDEx");
        kiro::db::CatalogueDb::createFile(install / "sysfile" / "KIRODB.MDB");
        db.openOrThrow(install / "sysfile" / "KIRODB.MDB");
    }
    ~CatalogueFixture()
    {
        db.shutDown();
        std::filesystem::remove_all(install);
    }

    // One product; linkSign 1 is a set, 2 a song of set `setCode`.
    void product(int course, const std::string& code, const std::string& fileName, int downloaded,
        int linkSign = 0, const std::string& setCode = {})
    {
        db.execute(kiro::db::fillStatement(
            "INSERT INTO 商品マスタ (コースコード, 商品コード, 商品名, 商品名読み, 歌手名, ファイル名, ダウンロード済みフラグ, "
            "リンクサイン, リンク先コース, リンク先商品) VALUES (\"%03d\", \"%s\", \"%s\", \"%s\", \"singer\", \"%s\", %d, %d, \"%s\", \"%s\");",
            {course, code, "title " + code, code, fileName, downloaded, linkSign,
                setCode.empty() ? std::string() : std::string(course == 50 ? "050" : "010"), setCode}));
    }

    // One reservation; keeping = 歌い込み予約.
    void reserve(int course, const std::string& code, int rank, bool keeping)
    {
        db.execute(kiro::db::fillStatement(
            "INSERT INTO 予約テーブル (指定日時, コースコード, 商品コード, 順位, 予約フラグ) VALUES (#1996/12/08 10:00:00#, \"%03d\", \"%s\", %d, %d);",
            {course, code, rank, keeping ? 1 : 0}));
    }

    // A file of the song, with a little content.
    void songFile(const std::string& relative)
    {
        std::filesystem::create_directories((install / relative).parent_path());
        std::ofstream(install / relative) << "data";
    }

    // The number of rows a Jet WHERE clause picks from a table.
    long long count(const std::string& table, const std::string& where = "1=1")
    {
        kiro::db::Recordset rs(db);
        rs.open("SELECT COUNT(*) AS n FROM " + table + " WHERE " + where + ";");
        return rs.fieldValue("n").integer;
    }

    // The downloaded flag of a product.
    std::string downloaded(int course, const std::string& code)
    {
        kiro::db::Recordset rs(db);
        rs.open(kiro::db::fillStatement("SELECT ダウンロード済みフラグ FROM 商品マスタ WHERE コースコード = \"%03d\" AND 商品コード = \"%s\";",
            {course, code}));
        return kiro::db::FieldToText(rs.fieldValue("ダウンロード済みフラグ"));
    }
};
