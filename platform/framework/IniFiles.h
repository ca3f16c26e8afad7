#pragma once
// Settings files of the framework: TMemIniFile (the file read once, kept in memory, written by
// UpdateFile), TIniFile (every read sees the file as it is now, every write goes to disk at
// once, through a temporary file and a rename, as the profile API does) and TRegIniFile (the
// same interface over the registry: sections are subkeys of the file's key).
//
// File rules: "[Section]" lines open sections, "Name=Value" lines hold values, lines starting
// with ';' are comments. Section and value names compare case-blind; names and values are
// trimmed, and a value enclosed in one pair of double or single quotes loses them on reading.
// Writing keeps the order of the file and its comments; a new name goes to the end of its
// section, a new section to the end of the file. Lines end as the file's first line does
// (CR LF or LF; LF in a new file).
#include "platform/rtl/Classes.h"
#include "platform/win/WinRegistry.h"

#include <memory>

class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(const String& fileName) : fileName_(fileName) {}
    const String& FileName() const { return fileName_; }

    virtual String ReadString(const String& section, const String& ident, const String& def) = 0;
    virtual void WriteString(const String& section, const String& ident, const String& value) = 0;
    // "0x" prefixed values are hexadecimal; text that is no number gives the default.
    virtual int ReadInteger(const String& section, const String& ident, int def);
    virtual void WriteInteger(const String& section, const String& ident, int value);
    // Any integer but 0 is true; written as "1" and "0".
    virtual bool ReadBool(const String& section, const String& ident, bool def);
    virtual void WriteBool(const String& section, const String& ident, bool value);
    double ReadFloat(const String& section, const String& ident, double def);
    void WriteFloat(const String& section, const String& ident, double value);
    // The names of the section's values / the sections / the section's "Name=Value" lines.
    virtual void ReadSection(const String& section, TStrings* names) = 0;
    virtual void ReadSections(TStrings* sections) = 0;
    virtual void ReadSectionValues(const String& section, TStrings* values) = 0;
    virtual void EraseSection(const String& section) = 0;
    virtual void DeleteKey(const String& section, const String& ident) = 0;
    virtual void UpdateFile() {}
    bool SectionExists(const String& section);
    virtual bool ValueExists(const String& section, const String& ident);

private:
    String fileName_;
};

// The lines of one settings file.
class TIniContent;

class TMemIniFile : public TCustomIniFile {
public:
    // A missing file is an empty one.
    explicit TMemIniFile(const String& fileName);
    ~TMemIniFile() override;
    String ReadString(const String& section, const String& ident, const String& def) override;
    void WriteString(const String& section, const String& ident, const String& value) override;
    void ReadSection(const String& section, TStrings* names) override;
    void ReadSections(TStrings* sections) override;
    void ReadSectionValues(const String& section, TStrings* values) override;
    void EraseSection(const String& section) override;
    void DeleteKey(const String& section, const String& ident) override;
    // Writes the file (EFCreateError "Cannot create file "<name>"" when it cannot).
    void UpdateFile() override;
    void Rename(const String& fileName, bool reload);
    void Clear();
    void GetStrings(TStrings* lines);
    void SetStrings(TStrings* lines);

protected:
    void Reload();
    std::unique_ptr<TIniContent> content_;
    String name_;
};

class TIniFile : public TMemIniFile {
public:
    explicit TIniFile(const String& fileName) : TMemIniFile(fileName) {}
    String ReadString(const String& section, const String& ident, const String& def) override;
    void WriteString(const String& section, const String& ident, const String& value) override;
    void ReadSection(const String& section, TStrings* names) override;
    void ReadSections(TStrings* sections) override;
    void ReadSectionValues(const String& section, TStrings* values) override;
    void EraseSection(const String& section) override;
    void DeleteKey(const String& section, const String& ident) override;
};

// Settings in the registry below HKEY_CURRENT_USER\<fileName> (RootKey may change it):
// sections are subkeys, values are named values; integers and Booleans are written as text
// and read from text or number values alike.
class TRegIniFile : public TCustomIniFile {
public:
    explicit TRegIniFile(const String& fileName) : TCustomIniFile(fileName) {}
    HKEY RootKey = HKEY_CURRENT_USER;

    String ReadString(const String& section, const String& ident, const String& def) override;
    void WriteString(const String& section, const String& ident, const String& value) override;
    int ReadInteger(const String& section, const String& ident, int def) override;
    void WriteInteger(const String& section, const String& ident, int value) override;
    bool ReadBool(const String& section, const String& ident, bool def) override;
    void WriteBool(const String& section, const String& ident, bool value) override;
    void ReadSection(const String& section, TStrings* names) override;
    void ReadSections(TStrings* sections) override;
    void ReadSectionValues(const String& section, TStrings* values) override;
    void EraseSection(const String& section) override;
    void DeleteKey(const String& section, const String& ident) override;
    bool ValueExists(const String& section, const String& ident) override;

private:
    String KeyOf(const String& section) const;
    bool Open(TRegistry& registry, const String& section, bool create) const;
};
