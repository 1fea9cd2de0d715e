#include "client/ui/TextViewer.h"

#include "client/ui/PictureButton.h"
#include "client/ui/RtfReader.h"
#include "common/Cp932.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QTextEdit>
#include <QVBoxLayout>

TextViewer::TextViewer(const QString& installFolder, const QString& fileName, QWidget* parent)
    : CaptionlessDialog(619, parent)
    , m_text(new QTextEdit(this))
    , m_back(new PictureButton(QStringLiteral("1"), QStringLiteral("もどる"), this))
{
    m_text->setObjectName(QStringLiteral("1166"));
    m_text->setReadOnly(true);
    m_text->setTabStopDistance(40);
    m_text->setStyleSheet(QStringLiteral("QTextEdit { background: white; border: 1px solid #8090B0; }"));
    m_back->setFixedSize(96, 30);
    connect(m_back, &PictureButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->setSpacing(10);
    layout->addWidget(m_text, 1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_back);
    layout->addLayout(row);
    setFixedSize(600, 440);

    if (!fileName.isEmpty())
        load(infoTextPath(installFolder, fileName));
}

QString TextViewer::infoTextPath(const QString& installFolder, const QString& fileName)
{
    return QDir(installFolder).filePath(QStringLiteral("InfoText/") + fileName);
}

bool TextViewer::load(const QString& path)
{
    m_text->clear();
    m_rich = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return false;
    if (RtfReader::looksLikeRtf(bytes)) {
        RtfReader reader;
        // A damaged file still shows what could be read before the damage.
        reader.read(bytes, *m_text->document());
        m_rich = true;
    } else {
        m_text->setPlainText(QString::fromStdString(kiro::cp932::toUtf8(bytes.toStdString())));
    }
    m_text->document()->setModified(false);
    m_text->moveCursor(QTextCursor::Start);
    return true;
}
