#pragma once
// THtmlReport: a simple HTML page in the user's private temporary folder (GetPrivateTempDir: no
// other user can place a file or link under its name first), opened in the program that
// the desktop associates with HTML files. The page has a fixed head with a small style sheet,
// then titles, text lines that keep their spacing, and tables copied from a string grid.
//
// The page declares the ISO 8859-1 character set and holds only what that declaration reads
// correctly: every text a caller gives is escaped ('<', '>', '&' and '"' as entities) and the
// characters of the system code page outside Latin-1 (0x80..0x9F) are written as numeric
// references. Lines end with CR LF.
#include "platform/rtl/Classes.h"

class TStringGrid;

class THtmlReport : public TObject {
public:
    // Starts the page: its head, with the page title, and the body's opening tag.
    THtmlReport(const String& reportName, const String& pageTitle);
    ~THtmlReport() override;
    THtmlReport(const THtmlReport&) = delete;
    THtmlReport& operator=(const THtmlReport&) = delete;

    void AddTitle(const String& text);
    // One line of the fixed-width body; every blank becomes a non-breaking space.
    void AddLine(const String& text);
    // The grid's visible columns (width above 0) in its current order as a table; the first
    // grid row is the header when withHeaderRow, a thin rule sets off the last row when
    // separateLastRow.
    void AddGridTable(const TStringGrid& grid, bool withHeaderRow, bool separateLastRow, int borderWidth);
    // Ends the page and writes it, replacing an existing file; EFCreateError when the file
    // cannot be made.
    void Save();
    // Opens the saved page; "Could not start <full path>" when no program opens it, so that the
    // user can open the page by hand.
    void Show();
    String FilePath() const { return folder_ + fileName_; }
    const TStringList& Lines() const { return lines_; }

private:
    String folder_;
    String fileName_;
    TStringList lines_;
};

// The text with the characters that HTML reads as markup written as entities, and the code
// page's characters outside ISO 8859-1 as numeric character references.
String HtmlEscape(const String& text);
