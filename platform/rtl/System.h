#pragma once
// Basic types of the run-time library: the single-byte String, the wide string,
// the base object, and conversions to Qt's text.
#include <cstdint>
#include <string>

class QString;

// Single-byte text as the system keeps it: Windows-1252 bytes (ASCII, Latin-1 and the
// 0x80..0x9F printable characters of the code page).
using String = std::string;
// UTF-16 text of the wide-string routines and the component library's wide cells.
using WideString = std::u16string;

// Base of every class the system derives "from the framework's base object".
class TObject {
public:
    virtual ~TObject() = default;
};

// Conversions between the system code page and Qt/UTF-8/UTF-16 text. Characters that the
// code page cannot hold become '?'.
QString ToQString(const String& s);
String FromQString(const QString& s);
String Utf8ToString(const std::string& utf8);
std::string StringToUtf8(const String& s);
WideString StringToWide(const String& s);
String WideToString(const WideString& w);
QString WideToQString(const WideString& w);
WideString QStringToWide(const QString& s);
