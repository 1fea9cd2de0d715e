#include "assets/generator/Art.h"

#include "common/Cp932.h"

#include <QByteArray>
#include <QString>

namespace kiro::assets {

namespace {

// Text as rich text: ASCII as is (with the three special characters
// escaped), everything else as \'xx bytes of code page 932.
QByteArray rtfText(const QString& text)
{
    const std::string bytes = kiro::cp932::fromUtf8(text.toStdString());
    QByteArray out;
    for (unsigned char b : bytes) {
        if (b == '\\' || b == '{' || b == '}') {
            out.append('\\');
            out.append(char(b));
        } else if (b >= 0x20 && b < 0x80) {
            out.append(char(b));
        } else {
            out.append(QByteArray("\\'") + QByteArray::number(b, 16).rightJustified(2, '0'));
        }
    }
    return out;
}

struct Paragraph {
    enum Kind { Title, Heading, Body, Item, Note };
    Kind kind;
    QString text;
};

QByteArray paragraph(const Paragraph& p)
{
    switch (p.kind) {
    case Paragraph::Title:
        return "\\pard\\qc\\sb120\\sa120\\f0\\fs36\\b\\cf2 " + rtfText(p.text) + "\\b0\\cf0\\par\r\n";
    case Paragraph::Heading:
        return "\\pard\\sb160\\sa60\\f0\\fs26\\b\\cf3 " + rtfText(p.text) + "\\b0\\cf0\\par\r\n";
    case Paragraph::Body:
        return "\\pard\\fs21 " + rtfText(p.text) + "\\par\r\n";
    case Paragraph::Item:
        return "\\pard\\li360\\fs21 \\bullet\\tab " + rtfText(p.text) + "\\par\r\n";
    case Paragraph::Note:
        return "\\pard\\sb120\\fs19\\i\\cf4 " + rtfText(p.text) + "\\i0\\cf0\\par\r\n";
    }
    return {};
}

} // namespace

QByteArray helpText()
{
    const Paragraph paragraphs[] = {
        {Paragraph::Title, QStringLiteral("通信カラオケ KIRO Lite ヘルプ")},
        {Paragraph::Body, QStringLiteral("KIRO Lite は、歌いたい曲をパソコン通信で受け取り、"
                                         "おうちのパソコンで歌うためのカラオケソフトです。")},
        {Paragraph::Heading, QStringLiteral("トップ画面のボタン")},
        {Paragraph::Item, QStringLiteral("カラオケ歌本 … 曲の一覧から歌いたい曲を探して予約します。")},
        {Paragraph::Item, QStringLiteral("メンテナンス … ユーザー情報・交信先・音源とモデムの設定、"
                                         "データベースの最適化、バージョンチェックを行います。")},
        {Paragraph::Item, QStringLiteral("お知らせ … KIRO からのお知らせを表示します。")},
        {Paragraph::Item, QStringLiteral("ヘルプ … この説明を表示します。")},
        {Paragraph::Item, QStringLiteral("終了 … KIRO Lite を終わります。")},
        {Paragraph::Heading, QStringLiteral("曲の受け取りかた")},
        {Paragraph::Body, QStringLiteral("1. 歌本で曲を選び「予約する」を押します。")},
        {Paragraph::Body, QStringLiteral("2. 「一括受信」を押すと、自動で接続して予約した曲を受け取ります。")},
        {Paragraph::Body, QStringLiteral("3. 受け取った曲は「カラオケ」ボタンですぐに歌えます。")},
        {Paragraph::Heading, QStringLiteral("はじめて使うとき")},
        {Paragraph::Body, QStringLiteral("最初に「通信設定」で ID・パスワード・アクセスポイント・"
                                         "モデムを設定してください。設定が終わるまで歌本は開けません。")},
        {Paragraph::Note, QStringLiteral("困ったときは「メンテナンス」の「ＫＩＲＯデータベースの最適化」を"
                                         "お試しください。")},
    };
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg932\\deff0\\uc1\r\n";
    rtf += "{\\fonttbl{\\f0\\fmodern\\fcharset128 " + rtfText(QStringLiteral("ＭＳ ゴシック")) + ";}}\r\n";
    rtf += "{\\colortbl ;\\red0\\green0\\blue0;\\red176\\green32\\blue96;\\red24\\green56\\blue140;"
           "\\red96\\green96\\blue112;}\r\n";
    rtf += "{\\info{\\title KIRO Lite Help}}\r\n";
    for (const Paragraph& p : paragraphs)
        rtf += paragraph(p);
    rtf += "}\r\n";
    return rtf;
}

QByteArray infoText()
{
    const QString text = QStringLiteral(
        "━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━\r\n"
        "　ＫＩＲＯ からのお知らせ\r\n"
        "━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━\r\n"
        "\r\n"
        "■ 通信カラオケ KIRO Lite をご利用いただき、ありがとうございます。\r\n"
        "\r\n"
        "■ 新曲の情報とバージョンアップ情報は、メンテナンスの\r\n"
        "　「★新情報・バージョンアップ情報を取りに行く」で受け取れます。\r\n"
        "\r\n"
        "■ 予約した曲は、歌本の「一括受信」でまとめて受け取れます。\r\n"
        "　受け取った曲は、何度でも歌えます（これっきり予約の曲は、\r\n"
        "　歌ったあとで消えます）。\r\n"
        "\r\n"
        "■ データベースが大きくなったときは「ＫＩＲＯデータベースの最適化」を\r\n"
        "　行ってください。\r\n");
    return QByteArray::fromStdString(kiro::cp932::fromUtf8(text.toStdString()));
}

} // namespace kiro::assets
