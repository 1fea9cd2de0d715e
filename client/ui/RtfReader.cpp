#include "client/ui/RtfReader.h"

#include "common/Cp932.h"

#include <QColor>
#include <QList>
#include <QMap>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

namespace {

// Nesting deeper than this is not a help file but an attack on the stack.
constexpr int MaxDepth = 256;

enum class Destination { Text, FontTable, ColourTable, Skip };

struct GroupState {
    Destination destination = Destination::Text;
    int font = -1;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int colour = 0;
    int unicodeSkip = 1;
    Qt::Alignment alignment = Qt::AlignLeft;
    int fontTableEntry = -1;
};

// Words whose group is a destination that carries no visible text.
bool isSkippedDestination(const QByteArray& word)
{
    static const char* const skipped[] = {"info", "stylesheet", "pict", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "object", "objdata", "fldinst", "listtable",
        "listoverridetable", "rsidtbl", "generator", "themedata", "colorschememapping", "latentstyles", "datastore",
        "xmlnstbl", "filetbl", "revtbl", "author", "operator", "title", "subject", "keywords", "comment", "doccomm",
        "bkmkstart", "bkmkend", "nonshppict", "private", "pn", "pntext", "field_inst", "template", "mmathPr"};
    for (const char* name : skipped) {
        if (word == name)
            return true;
    }
    return false;
}

class Parser {
public:
    Parser(const QByteArray& rtf, QTextDocument& document)
        : m_in(rtf)
        , m_cursor(&document)
    {
    }

    QString run();

private:
    void flushText();
    QTextCharFormat currentFormat() const;
    void textByte(char byte);
    void insertText(const QString& text);
    void controlWord(const QByteArray& word, bool hasParameter, int parameter);
    void controlSymbol(char symbol);
    void newParagraph();
    void skipAfterUnicode();

    const QByteArray& m_in;
    qsizetype m_pos = 0;
    QTextCursor m_cursor;
    std::vector<GroupState> m_stack;
    GroupState m_state;
    std::string m_pendingBytes; // code page 932 bytes not yet converted
    QMap<int, QString> m_fonts;
    QString m_fontName;
    QList<QColor> m_colours;
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colourSeen = false;
    bool m_nextIsIgnorable = false; // after \*
    int m_skipCount = 0;           // fallback characters still to skip after \uN
};

QString Parser::run()
{
    m_cursor.document()->clear();
    m_cursor = QTextCursor(m_cursor.document());
    int depth = 0;
    bool started = false;
    while (m_pos < m_in.size()) {
        const char c = m_in[m_pos++];
        if (c == '{') {
            flushText();
            if (++depth > MaxDepth)
                return QStringLiteral("groups nested too deeply");
            m_stack.push_back(m_state);
            started = true;
            m_skipCount = 0;
        } else if (c == '}') {
            flushText();
            if (m_state.destination == Destination::FontTable && m_state.fontTableEntry >= 0 && !m_fontName.isEmpty())
                m_fonts[m_state.fontTableEntry] = m_fontName.trimmed();
            if (m_stack.empty())
                return QStringLiteral("unbalanced closing brace");
            const bool leavingFontEntry = m_state.fontTableEntry >= 0 && m_stack.back().fontTableEntry < 0;
            m_state = m_stack.back();
            m_stack.pop_back();
            if (leavingFontEntry)
                m_fontName.clear();
            m_skipCount = 0;
            if (--depth == 0)
                break;
        } else if (c == '\\') {
            if (m_pos >= m_in.size())
                break;
            const char next = m_in[m_pos];
            if ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z')) {
                const qsizetype start = m_pos;
                while (m_pos < m_in.size() && std::isalpha(static_cast<unsigned char>(m_in[m_pos])) && m_pos - start < 32)
                    ++m_pos;
                const QByteArray word = m_in.mid(start, m_pos - start);
                bool hasParameter = false;
                long long parameter = 0;
                bool negative = false;
                if (m_pos < m_in.size() && m_in[m_pos] == '-') {
                    negative = true;
                    ++m_pos;
                }
                int digits = 0;
                while (m_pos < m_in.size() && std::isdigit(static_cast<unsigned char>(m_in[m_pos]))) {
                    if (digits++ < 10)
                        parameter = parameter * 10 + (m_in[m_pos] - '0');
                    ++m_pos;
                    hasParameter = true;
                }
                if (negative)
                    parameter = -parameter;
                if (m_pos < m_in.size() && m_in[m_pos] == ' ')
                    ++m_pos;
                const int value = int(std::clamp<long long>(parameter, -2147483647LL, 2147483647LL));
                controlWord(word, hasParameter, value);
            } else {
                ++m_pos;
                controlSymbol(next);
            }
        } else if (c == '\r' || c == '\n') {
            // Line ends in the file carry no meaning.
        } else {
            textByte(c);
        }
    }
    flushText();
    if (!started)
        return QStringLiteral("not rich text");
    if (depth != 0)
        return QStringLiteral("groups are not closed");
    return {};
}

void Parser::textByte(char byte)
{
    if (m_skipCount > 0) {
        --m_skipCount;
        return;
    }
    switch (m_state.destination) {
    case Destination::Skip:
        return;
    case Destination::ColourTable:
        if (byte == ';') {
            m_colours.append(m_colourSeen ? QColor(m_red, m_green, m_blue) : QColor());
            m_red = m_green = m_blue = 0;
            m_colourSeen = false;
        }
        return;
    case Destination::FontTable:
        if (byte == ';') {
            flushText();
            if (m_state.fontTableEntry >= 0)
                m_fonts[m_state.fontTableEntry] = m_fontName.trimmed();
            m_fontName.clear();
            return;
        }
        m_pendingBytes.push_back(byte);
        return;
    case Destination::Text:
        m_pendingBytes.push_back(byte);
        return;
    }
}

void Parser::flushText()
{
    if (m_pendingBytes.empty())
        return;
    const QString text = QString::fromStdString(kiro::cp932::toUtf8(m_pendingBytes));
    m_pendingBytes.clear();
    if (m_state.destination == Destination::FontTable)
        m_fontName += text;
    else
        insertText(text);
}

void Parser::insertText(const QString& text)
{
    if (m_state.destination != Destination::Text)
        return;
    m_cursor.insertText(text, currentFormat());
}

QTextCharFormat Parser::currentFormat() const
{
    QTextCharFormat format;
    if (m_fonts.contains(m_state.font) && !m_fonts[m_state.font].isEmpty())
        format.setFontFamilies({m_fonts[m_state.font]});
    format.setFontPointSize(m_state.halfPoints / 2.0);
    format.setFontWeight(m_state.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(m_state.italic);
    format.setFontUnderline(m_state.underline);
    if (m_state.colour > 0 && m_state.colour < m_colours.size() && m_colours[m_state.colour].isValid())
        format.setForeground(m_colours[m_state.colour]);
    return format;
}

void Parser::newParagraph()
{
    flushText();
    if (m_state.destination != Destination::Text)
        return;
    QTextBlockFormat block = m_cursor.blockFormat();
    block.setAlignment(m_state.alignment);
    m_cursor.setBlockFormat(block);
    m_cursor.insertBlock(block, currentFormat());
}

void Parser::controlSymbol(char symbol)
{
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        textByte(symbol);
        return;
    case '\'': {
        if (m_pos + 2 > m_in.size())
            return;
        bool ok = false;
        const int value = m_in.mid(m_pos, 2).toInt(&ok, 16);
        m_pos += 2;
        if (ok)
            textByte(char(value));
        return;
    }
    case '*':
        m_nextIsIgnorable = true;
        return;
    case '~':
        flushText();
        insertText(QString(QChar(0x00A0)));
        return;
    case '_':
        flushText();
        insertText(QString(QChar(0x2011)));
        return;
    case '\r':
    case '\n':
        newParagraph();
        return;
    case '\t':
        flushText();
        insertText(QStringLiteral("\t"));
        return;
    default:
        // \- (optional hyphen), \: (index entry) and unknown symbols show nothing.
        return;
    }
}

void Parser::controlWord(const QByteArray& word, bool hasParameter, int parameter)
{
    const bool ignorable = m_nextIsIgnorable;
    m_nextIsIgnorable = false;

    // A \uN's fallback is skipped only while plain text follows it.
    if (word != "u")
        m_skipCount = 0;

    if (word == "fonttbl") {
        flushText();
        m_state.destination = Destination::FontTable;
        return;
    }
    if (word == "colortbl") {
        flushText();
        m_state.destination = Destination::ColourTable;
        m_colours.clear();
        return;
    }
    if (ignorable || isSkippedDestination(word)) {
        flushText();
        m_state.destination = Destination::Skip;
        return;
    }

    if (m_state.destination == Destination::ColourTable) {
        if (word == "red")
            m_red = std::clamp(parameter, 0, 255);
        else if (word == "green")
            m_green = std::clamp(parameter, 0, 255);
        else if (word == "blue")
            m_blue = std::clamp(parameter, 0, 255);
        m_colourSeen = true;
        return;
    }
    if (m_state.destination == Destination::FontTable) {
        if (word == "f") {
            flushText();
            m_state.fontTableEntry = parameter;
            m_fontName.clear();
        }
        return;
    }
    if (m_state.destination == Destination::Skip)
        return;

    const bool on = !hasParameter || parameter != 0;
    if (word == "par" || word == "row") {
        newParagraph();
    } else if (word == "line") {
        flushText();
        insertText(QString(QChar::LineSeparator));
    } else if (word == "tab" || word == "cell") {
        flushText();
        insertText(QStringLiteral("\t"));
    } else if (word == "b") {
        flushText();
        m_state.bold = on;
    } else if (word == "i") {
        flushText();
        m_state.italic = on;
    } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw") {
        flushText();
        m_state.underline = on;
    } else if (word == "ulnone") {
        flushText();
        m_state.underline = false;
    } else if (word == "fs") {
        flushText();
        if (hasParameter && parameter > 0 && parameter <= 3276)
            m_state.halfPoints = parameter;
    } else if (word == "cf") {
        flushText();
        m_state.colour = parameter;
    } else if (word == "f") {
        flushText();
        m_state.font = parameter;
    } else if (word == "plain") {
        flushText();
        m_state.bold = m_state.italic = m_state.underline = false;
        m_state.halfPoints = 24;
        m_state.colour = 0;
    } else if (word == "pard") {
        flushText();
        m_state.alignment = Qt::AlignLeft;
        QTextBlockFormat block = m_cursor.blockFormat();
        block.setAlignment(Qt::AlignLeft);
        m_cursor.setBlockFormat(block);
    } else if (word == "ql" || word == "qc" || word == "qr" || word == "qj") {
        flushText();
        m_state.alignment = word == "qc" ? Qt::AlignHCenter
            : word == "qr"                ? Qt::AlignRight
            : word == "qj"                ? Qt::AlignJustify
                                          : Qt::AlignLeft;
        QTextBlockFormat block = m_cursor.blockFormat();
        block.setAlignment(m_state.alignment);
        m_cursor.setBlockFormat(block);
    } else if (word == "uc") {
        if (hasParameter && parameter >= 0 && parameter <= 10)
            m_state.unicodeSkip = parameter;
    } else if (word == "u") {
        flushText();
        const int code = parameter < 0 ? parameter + 65536 : parameter;
        if (code > 0 && code <= 0xFFFF)
            insertText(QString(QChar(char16_t(code))));
        m_skipCount = m_state.unicodeSkip;
    } else if (word == "emdash") {
        flushText();
        insertText(QString(QChar(0x2014)));
    } else if (word == "endash") {
        flushText();
        insertText(QString(QChar(0x2013)));
    } else if (word == "bullet") {
        flushText();
        insertText(QString(QChar(0x2022)));
    } else if (word == "lquote" || word == "rquote") {
        flushText();
        insertText(QString(QChar(word == "lquote" ? 0x2018 : 0x2019)));
    } else if (word == "ldblquote" || word == "rdblquote") {
        flushText();
        insertText(QString(QChar(word == "ldblquote" ? 0x201C : 0x201D)));
    }
    // Every other word (page setup, code page, language...) changes nothing shown.
}

} // namespace

bool RtfReader::looksLikeRtf(const QByteArray& bytes)
{
    return bytes.trimmed().startsWith("{\\rtf");
}

bool RtfReader::read(const QByteArray& rtf, QTextDocument& document)
{
    m_error.clear();
    if (!looksLikeRtf(rtf)) {
        m_error = QStringLiteral("not rich text");
        return false;
    }
    Parser parser(rtf, document);
    m_error = parser.run();
    document.setModified(false);
    return m_error.isEmpty();
}
