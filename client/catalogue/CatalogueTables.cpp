#include "client/catalogue/CatalogueTables.h"

#include "common/Cp932.h"

#include <algorithm>
#include <cstdio>

namespace kiro::catalogue {

const std::array<ReadingIndexTab, kTabCount> kReadingIndexTabs = {{
    {"あ", "00", 0}, {"か", "01", 0}, {"さ", "02", 0}, {"た", "03", 0}, {"な", "04", 0},
    {"は", "05", 0}, {"ま", "06", 0}, {"や", "07", 0}, {"ら", "08", 0}, {"わ", "09", 0},
    {"Ａ", "50", 1}, {"Ｄ", "51", 1}, {"Ｇ", "52", 1}, {"Ｊ", "53", 1}, {"Ｍ", "54", 1},
    {"Ｐ", "55", 1}, {"Ｓ", "56", 1}, {"Ｖ", "57", 1}, {"他", "99", 0},
}};

namespace {

constexpr std::array<std::string_view, 18> kFirstChars = {
    "ｱｲｳｴｵｧｨｩｪｫ", "ｶｷｸｹｺ", "ｻｼｽｾｿ", "ﾀﾁﾂﾃﾄ", "ﾅﾆﾇﾈﾉ", "ﾊﾋﾌﾍﾎ", "ﾏﾐﾑﾒﾓ", "ﾔﾕﾖｬｭｮ", "ﾗﾘﾙﾚﾛ", "ﾜﾝｦ",
    "ABCabc", "DEFdef", "GHIghi", "JKLjkl", "MNOmno", "PQRpqr", "STUstu", "VWXYZvwxyz",
};

size_t utf8Length(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1; // a stray byte stands alone
}

std::string_view firstChar(std::string_view text)
{
    return text.substr(0, std::min(text.size(), utf8Length(static_cast<unsigned char>(text[0]))));
}

// Whether `list` holds the character `c` (both UTF-8).
bool listHolds(std::string_view list, std::string_view c)
{
    for (size_t at = 0; at < list.size();) {
        const size_t n = utf8Length(static_cast<unsigned char>(list[at]));
        if (list.substr(at, n) == c)
            return true;
        at += n;
    }
    return false;
}

const ListLayout kLayouts[2][2] = {
    {{{3, 2, 2}, {"曲名", "アーティスト"}, {"曲名/曲集名", "作曲者/ｱｰﾃｨｽﾄ"}, {"商品名", "歌手名"}},
     {{2, 3, 2}, {"アーティスト", "曲名"}, {"作曲者/ｱｰﾃｨｽﾄ", "曲名/曲集名"}, {"歌手名", "商品名"}}},
    {{{3, 2, 2}, {"曲名", "アーティスト"}, {"曲名/曲集名", "作曲者/ｱｰﾃｨｽﾄ"}, {"商品名英語", "歌手名英語"}},
     {{2, 3, 2}, {"アーティスト", "曲名"}, {"作曲者/ｱｰﾃｨｽﾄ", "曲名/曲集名"}, {"歌手名英語", "商品名英語"}}},
};

char foldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

} // namespace

int firstCharTab(std::string_view text)
{
    if (text.empty())
        return -1;
    const std::string_view c = firstChar(text);
    for (size_t row = 0; row < kFirstChars.size(); ++row)
        if (listHolds(kFirstChars[row], c))
            return static_cast<int>(row);
    return kOtherTab;
}

const ListLayout& listLayout(int kind, int indexType) { return kLayouts[kind != 0][indexType != 0]; }

std::array<std::string, 3> listHeaders(int course, int kind, int indexType)
{
    const ListLayout& l = listLayout(kind, indexType);
    const auto& h = course == 50 ? l.headersCourse50 : l.headers;
    return {h[0], h[1], course == 50 ? "備考" : "歌いだし"};
}

std::vector<int> columnWidths(int clientWidth, const std::vector<int>& weights)
{
    std::vector<int> widths;
    int total = 0;
    for (int w : weights)
        total += w;
    if (weights.empty() || total <= 0)
        return widths;
    int used = 0;
    for (size_t i = 0; i + 1 < weights.size(); ++i) {
        const int share = static_cast<int>(static_cast<long long>(clientWidth) * weights[i] / total);
        widths.push_back(share);
        used += share;
    }
    widths.push_back(clientWidth - used);
    return widths;
}

std::vector<std::string> indexTypeItems(int course)
{
    if (course == 50)
        return {"曲名/曲集名索引", "作曲者/ｱｰﾃｨｽﾄ索引"};
    return {"曲名さくいん", "歌手名さくいん"};
}

int rowIcon(int course, int downloaded, int linkSign)
{
    return course == 50 ? downloaded + 2 * linkSign + 1 : downloaded;
}

const char* linkFilterCaption(int filter)
{
    static constexpr const char* kCaptions[] = {"全部表示", "親だけ", "子だけ"};
    return kCaptions[(filter % 3 + 3) % 3];
}

std::string courseText(int course)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%03d", course);
    return buffer;
}

std::string fitCp932Bytes(std::string_view text, size_t maxBytes)
{
    std::string out;
    size_t bytes = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t n = utf8Length(static_cast<unsigned char>(text[at]));
        const std::string_view c = text.substr(at, n);
        const auto encoded = kiro::cp932::tryFromUtf8(c);
        const size_t width = encoded ? encoded->size() : 2;
        if (bytes + width > maxBytes)
            break;
        bytes += width;
        out += c;
        at += n;
    }
    return out;
}

size_t commonPrefixBytes(std::string_view a, std::string_view b)
{
    size_t at = 0;
    while (at < a.size() && at < b.size()) {
        const size_t n = utf8Length(static_cast<unsigned char>(a[at]));
        if (a.substr(at, n) != b.substr(at, n))
            break;
        at += n;
    }
    return std::min(at, std::min(a.size(), b.size()));
}

bool startsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (foldAscii(text[i]) != foldAscii(prefix[i]))
            return false;
    return true;
}

} // namespace kiro::catalogue
