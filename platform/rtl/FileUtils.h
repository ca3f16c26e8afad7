#pragma once
#include <optional>
#include <string>
// File and path routines of the run-time library, and a text-file writer.
// Paths use '/' as separator; every path is built with these helpers.
#include "platform/rtl/Classes.h"
#include "platform/rtl/DateUtils.h"

#include <cstdio>
#include <memory>

constexpr char PathDelim = '/';

bool FileExists(const String& path);
bool DirectoryExists(const String& path);
bool ForceDirectories(const String& path);
bool CreateDir(const String& path);
bool RemoveDir(const String& path);
bool DeleteFile(const String& path);
bool RenameFile(const String& from, const String& to); // replaces an existing target
bool CopyFileTo(const String& from, const String& to, bool failIfExists);
int64_t FileSize(const String& path); // -1 when absent
// True when the file or folder exists and cannot be written: it carries no write permission at
// all (a file marked read-only, whoever the user is), or this process may not write it (its
// permissions, a read-only file system).
bool FileIsReadOnly(const String& path);
TDateTime FileAgeDateTime(const String& path); // 0 when absent (needs DateUtils)

String ExtractFilePath(const String& path);   // with the trailing delimiter
String ExtractFileDir(const String& path);    // without it
String ExtractFileName(const String& path);
String ExtractFileExt(const String& path);    // with the dot, "" when none
String ChangeFileExt(const String& path, const String& ext);
String IncludeTrailingPathDelimiter(const String& path);
String ExcludeTrailingPathDelimiter(const String& path);
String ExpandFileName(const String& path);
String PathJoin(const String& folder, const String& name);
String GetCurrentDir();
bool SetCurrentDir(const String& path);

// Wildcards '*' and '?'; case-sensitive unless caseBlind.
bool MatchesMask(const String& name, const String& mask, bool caseBlind = false);
// Names (not paths) of the plain files in folder that match mask, sorted.
std::vector<String> FindFiles(const String& folder, const String& mask);

// The temp folder: $TMP, then $TEMP, then $TMPDIR, then /tmp (with a trailing delimiter).
String GetTempDir();
// A folder in the temp folder that only this user can enter, for files of fixed names (no other
// user can put a file or link there first): "quelm-<user id>", made with mode 0700 when missing.
// When a folder of that name is not this user's own private folder (another owner, a link, open
// to others), a folder of a fresh unique name is made instead. With a trailing delimiter; when no
// folder can be made, the path names one that does not exist, so that writing there fails.
String GetPrivateTempDir();
// Creates an empty file with a unique name "<prefix>XXXXXX<suffix>" in folder (the temp
// folder when empty) and returns its path. EInOutError when none can be made.
String CreateUniqueFile(const String& prefix, const String& suffix = String(), const String& folder = String());

// Whole-file helpers (bytes as they stand).
String ReadFileToString(const String& path); // EInOutError when unreadable
void WriteStringToFile(const String& path, const String& bytes); // EInOutError on failure

// A text file opened for writing. Lines end with CR LF or LF as chosen. Any failure to
// create or write raises EInOutError; the file is closed by Close or the destructor.
class TTextWriter {
public:
    TTextWriter(const String& path, TLineBreakStyle lineBreak, bool append = false);
    ~TTextWriter();
    TTextWriter(const TTextWriter&) = delete;
    TTextWriter& operator=(const TTextWriter&) = delete;
    void Write(const String& text);
    void WriteLine(const String& line = String());
    void Close();
    const String& Path() const { return path_; }

private:
    String path_;
    std::FILE* file_ = nullptr;
    TLineBreakStyle lineBreak_;
};

// The bytes of a file compiled into the program (its resources), by its path there such as
// "quelm/database/schema.sql"; nothing when the program has no such file.
std::optional<std::string> ReadEmbeddedFile(const String& path);
