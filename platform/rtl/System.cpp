#include "platform/rtl/System.h"

#include <QList>
#include <QString>

namespace {

// Code points of Windows-1252 bytes 0x80..0x9F (0 where the code page has no character;
// such bytes map to the C1 control of the same number so the round trip stays lossless).
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t ByteToUnicode(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F)
        return kCp1252High[b - 0x80];
    return b;
}

char UnicodeToByte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

QString ToQString(const String& s)
{
    QString out;
    out.reserve(static_cast<qsizetype>(s.size()));
    for (unsigned char b : s)
        out.append(QChar(ByteToUnicode(b)));
    return out;
}

String FromQString(const QString& s)
{
    String out;
    out.reserve(static_cast<size_t>(s.size()));
    for (char32_t c : s.toUcs4())
        out.push_back(UnicodeToByte(c));
    return out;
}

String Utf8ToString(const std::string& utf8)
{
    return FromQString(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

std::string StringToUtf8(const String& s)
{
    return ToQString(s).toStdString();
}

WideString StringToWide(const String& s)
{
    WideString out;
    out.reserve(s.size());
    for (unsigned char b : s)
        out.push_back(ByteToUnicode(b));
    return out;
}

String WideToString(const WideString& w)
{
    return FromQString(WideToQString(w));
}

QString WideToQString(const WideString& w)
{
    return QString::fromUtf16(w.data(), static_cast<qsizetype>(w.size()));
}

WideString QStringToWide(const QString& s)
{
    return WideString(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()));
}
