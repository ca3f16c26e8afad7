#include "platform/framework/IniFiles.h"

#include "platform/rtl/FileUtils.h"

#include <algorithm>

// ---------------------------------------------------------------- file content

namespace {

bool IsSectionLine(const String& trimmed)
{
    return trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']';
}

String SectionName(const String& trimmed)
{
    return Trim(trimmed.substr(1, trimmed.size() - 2));
}

bool IsComment(const String& trimmed)
{
    return trimmed.empty() || trimmed[0] == ';';
}

String Unquoted(const String& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

class TIniContent {
public:
    std::vector<String> lines;
    String lineBreak = "\n";

    void Parse(const String& text)
    {
        lines.clear();
        const size_t firstBreak = text.find_first_of("\r\n");
        lineBreak = firstBreak != String::npos && text.compare(firstBreak, 2, "\r\n") == 0 ? "\r\n" : "\n";
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find_first_of("\r\n", start);
            if (end == String::npos)
                end = text.size();
            lines.push_back(text.substr(start, end - start));
            if (text.compare(end, 2, "\r\n") == 0)
                ++end;
            start = end + 1;
        }
    }

    String Text() const
    {
        String text;
        for (const String& line : lines)
            text += line + lineBreak;
        return text;
    }

    // Line range [first, last) of the section's body; first = -1 when absent.
    std::pair<int, int> Section(const String& name) const
    {
        for (size_t i = 0; i < lines.size(); ++i) {
            const String t = Trim(lines[i]);
            if (!IsSectionLine(t) || CompareText(SectionName(t), name) != 0)
                continue;
            size_t j = i + 1;
            while (j < lines.size() && !IsSectionLine(Trim(lines[j])))
                ++j;
            return {static_cast<int>(i + 1), static_cast<int>(j)};
        }
        return {-1, -1};
    }

    static bool SplitValue(const String& line, String& name, String& value)
    {
        const String t = Trim(line);
        if (IsComment(t))
            return false;
        const size_t eq = t.find('=');
        if (eq == String::npos)
            return false;
        name = Trim(t.substr(0, eq));
        value = Trim(t.substr(eq + 1));
        return !name.empty();
    }

    int FindValue(const String& section, const String& ident) const
    {
        const auto [first, last] = Section(section);
        for (int i = first; i >= 0 && i < last; ++i) {
            String name, value;
            if (SplitValue(lines[static_cast<size_t>(i)], name, value) && CompareText(name, ident) == 0)
                return i;
        }
        return -1;
    }

    bool Read(const String& section, const String& ident, String& value) const
    {
        const int i = FindValue(section, ident);
        if (i < 0)
            return false;
        String name;
        SplitValue(lines[static_cast<size_t>(i)], name, value);
        value = Unquoted(value);
        return true;
    }

    void Write(const String& section, const String& ident, const String& value)
    {
        const String line = Trim(ident) + "=" + value;
        const int i = FindValue(section, ident);
        if (i >= 0) {
            lines[static_cast<size_t>(i)] = line;
            return;
        }
        auto [first, last] = Section(section);
        if (first < 0) {
            if (!lines.empty() && !Trim(lines.back()).empty())
                lines.emplace_back();
            lines.push_back("[" + section + "]");
            lines.push_back(line);
            return;
        }
        // After the section's last value, before the blank lines that part it from the next.
        int at = last;
        while (at > first && Trim(lines[static_cast<size_t>(at - 1)]).empty())
            --at;
        lines.insert(lines.begin() + at, line);
    }

    void Names(const String& section, TStrings* names, bool withValues) const
    {
        const auto [first, last] = Section(section);
        for (int i = first; i >= 0 && i < last; ++i) {
            String name, value;
            if (SplitValue(lines[static_cast<size_t>(i)], name, value))
                names->Add(withValues ? name + "=" + Unquoted(value) : name);
        }
    }

    void Sections(TStrings* sections) const
    {
        for (const String& line : lines) {
            const String t = Trim(line);
            if (IsSectionLine(t))
                sections->Add(SectionName(t));
        }
    }

    void Erase(const String& section)
    {
        const auto [first, last] = Section(section);
        if (first >= 0)
            lines.erase(lines.begin() + (first - 1), lines.begin() + last);
    }

    void Delete(const String& section, const String& ident)
    {
        const int i = FindValue(section, ident);
        if (i >= 0)
            lines.erase(lines.begin() + i);
    }
};

// ---------------------------------------------------------------- TCustomIniFile

int TCustomIniFile::ReadInteger(const String& section, const String& ident, int def)
{
    const String text = ReadString(section, ident, String());
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        int value = 0;
        return TryStrToInt("$" + text.substr(2), value) ? value : def;
    }
    return StrToIntDef(text, def);
}

void TCustomIniFile::WriteInteger(const String& section, const String& ident, int value)
{
    WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const String& section, const String& ident, bool def)
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& section, const String& ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const String& section, const String& ident, double def)
{
    return StrToFloatDef(ReadString(section, ident, String()), def);
}

void TCustomIniFile::WriteFloat(const String& section, const String& ident, double value)
{
    WriteString(section, ident, FloatToStr(value));
}

bool TCustomIniFile::SectionExists(const String& section)
{
    TStringList names;
    ReadSection(section, &names);
    if (names.Count() > 0)
        return true;
    TStringList sections;
    ReadSections(&sections);
    return sections.IndexOf(section) >= 0;
}

bool TCustomIniFile::ValueExists(const String& section, const String& ident)
{
    TStringList names;
    ReadSection(section, &names);
    return names.IndexOf(ident) >= 0;
}

// ---------------------------------------------------------------- TMemIniFile

TMemIniFile::TMemIniFile(const String& fileName)
    : TCustomIniFile(fileName), content_(std::make_unique<TIniContent>()), name_(fileName)
{
    Reload();
}

TMemIniFile::~TMemIniFile() = default;

void TMemIniFile::Reload()
{
    String text;
    if (FileExists(name_)) {
        try {
            text = ReadFileToString(name_);
        } catch (const EInOutError&) {
            text.clear(); // an unreadable file reads as an empty one
        }
    }
    content_->Parse(text);
}

String TMemIniFile::ReadString(const String& section, const String& ident, const String& def)
{
    String value;
    return content_->Read(section, ident, value) ? value : def;
}

void TMemIniFile::WriteString(const String& section, const String& ident, const String& value)
{
    content_->Write(section, ident, value);
}

void TMemIniFile::ReadSection(const String& section, TStrings* names)
{
    names->BeginUpdate();
    names->Clear();
    content_->Names(section, names, false);
    names->EndUpdate();
}

void TMemIniFile::ReadSections(TStrings* sections)
{
    sections->Clear();
    content_->Sections(sections);
}

void TMemIniFile::ReadSectionValues(const String& section, TStrings* values)
{
    values->Clear();
    content_->Names(section, values, true);
}

void TMemIniFile::EraseSection(const String& section)
{
    content_->Erase(section);
}

void TMemIniFile::DeleteKey(const String& section, const String& ident)
{
    content_->Delete(section, ident);
}

void TMemIniFile::UpdateFile()
{
    // The new content replaces the file whole: a failed write never leaves half a file.
    const String temp = name_ + ".tmp";
    try {
        WriteStringToFile(temp, content_->Text());
    } catch (const EInOutError&) {
        throw EFCreateError("Cannot create file \"" + name_ + "\"");
    }
    if (!RenameFile(temp, name_)) {
        DeleteFile(temp);
        throw EFCreateError("Cannot create file \"" + name_ + "\"");
    }
}

void TMemIniFile::Rename(const String& fileName, bool reload)
{
    name_ = fileName;
    if (reload)
        Reload();
}

void TMemIniFile::Clear()
{
    content_->lines.clear();
}

void TMemIniFile::GetStrings(TStrings* lines)
{
    lines->Clear();
    for (const String& line : content_->lines)
        lines->Add(line);
}

void TMemIniFile::SetStrings(TStrings* lines)
{
    content_->lines.clear();
    for (int i = 0; i < lines->Count(); ++i)
        content_->lines.push_back(lines->Get(i));
}

// ---------------------------------------------------------------- TIniFile

String TIniFile::ReadString(const String& section, const String& ident, const String& def)
{
    Reload();
    return TMemIniFile::ReadString(section, ident, def);
}

void TIniFile::WriteString(const String& section, const String& ident, const String& value)
{
    Reload();
    TMemIniFile::WriteString(section, ident, value);
    UpdateFile();
}

void TIniFile::ReadSection(const String& section, TStrings* names)
{
    Reload();
    TMemIniFile::ReadSection(section, names);
}

void TIniFile::ReadSections(TStrings* sections)
{
    Reload();
    TMemIniFile::ReadSections(sections);
}

void TIniFile::ReadSectionValues(const String& section, TStrings* values)
{
    Reload();
    TMemIniFile::ReadSectionValues(section, values);
}

void TIniFile::EraseSection(const String& section)
{
    Reload();
    TMemIniFile::EraseSection(section);
    UpdateFile();
}

void TIniFile::DeleteKey(const String& section, const String& ident)
{
    Reload();
    TMemIniFile::DeleteKey(section, ident);
    UpdateFile();
}

// ---------------------------------------------------------------- TRegIniFile

String TRegIniFile::KeyOf(const String& section) const
{
    String key = "\\" + FileName();
    if (!section.empty())
        key += "\\" + section;
    return key;
}

bool TRegIniFile::Open(TRegistry& registry, const String& section, bool create) const
{
    registry.SetRootKey(RootKey);
    return create ? registry.OpenKey(KeyOf(section), true) : registry.OpenKeyReadOnly(KeyOf(section));
}

String TRegIniFile::ReadString(const String& section, const String& ident, const String& def)
{
    TRegistry registry(KEY_READ);
    if (!Open(registry, section, false) || !registry.ValueExists(ident))
        return def;
    try {
        return registry.ReadString(ident);
    } catch (const ERegistryException&) {
        return IntToStr(registry.ReadInteger(ident));
    }
}

void TRegIniFile::WriteString(const String& section, const String& ident, const String& value)
{
    TRegistry registry;
    if (!Open(registry, section, true))
        throw ERegistryException("Failed to set data for '" + ident + "'");
    registry.WriteString(ident, value);
}

int TRegIniFile::ReadInteger(const String& section, const String& ident, int def)
{
    TRegistry registry(KEY_READ);
    if (!Open(registry, section, false) || !registry.ValueExists(ident))
        return def;
    try {
        return registry.ReadInteger(ident);
    } catch (const ERegistryException&) {
        return StrToIntDef(registry.ReadString(ident), def);
    }
}

void TRegIniFile::WriteInteger(const String& section, const String& ident, int value)
{
    WriteString(section, ident, IntToStr(value));
}

bool TRegIniFile::ReadBool(const String& section, const String& ident, bool def)
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const String& section, const String& ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

void TRegIniFile::ReadSection(const String& section, TStrings* names)
{
    names->Clear();
    TRegistry registry(KEY_READ);
    if (Open(registry, section, false))
        registry.GetValueNames(*names);
}

void TRegIniFile::ReadSections(TStrings* sections)
{
    sections->Clear();
    TRegistry registry(KEY_READ);
    if (Open(registry, String(), false))
        registry.GetKeyNames(*sections);
}

void TRegIniFile::ReadSectionValues(const String& section, TStrings* values)
{
    TStringList names;
    ReadSection(section, &names);
    values->Clear();
    for (int i = 0; i < names.Count(); ++i)
        values->Add(names[i] + "=" + ReadString(section, names[i], String()));
}

void TRegIniFile::EraseSection(const String& section)
{
    TRegistry registry;
    registry.SetRootKey(RootKey);
    registry.DeleteKey(KeyOf(section));
}

void TRegIniFile::DeleteKey(const String& section, const String& ident)
{
    TRegistry registry;
    registry.SetRootKey(RootKey);
    if (registry.OpenKey(KeyOf(section), false))
        registry.DeleteValue(ident);
}

bool TRegIniFile::ValueExists(const String& section, const String& ident)
{
    TRegistry registry(KEY_READ);
    return Open(registry, section, false) && registry.ValueExists(ident);
}
