#pragma once
// The framework's rich-edit control on a QTextEdit, and the rich-text format (RTF) reader and
// writer it loads and saves its content with.
//
// Model: the control's content is a formatted document of paragraphs. Lines are its paragraphs
// as plain text; Lines()->LoadFromStream reads rich text (or plain text with PlainText, or when
// the bytes are no rich text) and SaveToStream writes it. SelAttributes are the font of the
// selection (the typing format without one).
//
// Messages and notices, in the control's own numbering: keys and characters reach the control
// as messages first (as the edits' do), then the window's own handling edits the document. A
// change of the text sends EN_CHANGE (WM_COMMAND, reflected as CN_COMMAND: OnChange). With the
// event mask (EM_SETEVENTMASK) a change of the selection sends EN_SELCHANGE (WM_NOTIFY with a
// SELCHANGE record, reflected as CN_NOTIFY: OnSelectionChange), and a change of the size the
// content needs, or EM_REQUESTRESIZE, sends EN_REQUESTRESIZE (a REQRESIZE record: the control's
// rectangle in its parent with the height the content needs; with word wrap off also the width
// its widest line needs) - OnResizeRequest. EM_SETRECT sets the formatting rectangle (client
// coordinates); EM_FORMATRANGE draws the content into a device context (rectangles in twips).
// WS_EX_TRANSPARENT (SetWindowLong) leaves the background unpainted.
#include "platform/framework/Controls.h"
#include "platform/framework/Graphics.h"
#include "platform/rtl/Classes.h"

#include <memory>
#include <string>

class QTextDocument;
class QTextEdit;

enum : UINT {
    EM_EXGETSEL = 0x0434, EM_EXSETSEL = 0x0437, EM_FORMATRANGE = 0x0439, EM_GETEVENTMASK = 0x043B,
    EM_REQUESTRESIZE = 0x0441, EM_SETBKGNDCOLOR = 0x0443, EM_SETEVENTMASK = 0x0445,
};
enum : UINT { EN_REQUESTRESIZE = 0x0701, EN_SELCHANGE = 0x0702 };
enum : DWORD { ENM_NONE = 0, ENM_CHANGE = 0x1, ENM_UPDATE = 0x2, ENM_REQUESTRESIZE = 0x40000, ENM_SELCHANGE = 0x80000 };
enum : WORD { SEL_EMPTY = 0, SEL_TEXT = 1 };

struct CHARRANGE {
    LONG cpMin = 0;
    LONG cpMax = 0; // -1: to the end
};
struct REQRESIZE {
    NMHDR nmhdr;
    RECT rc{};
};
struct SELCHANGE {
    NMHDR nmhdr;
    CHARRANGE chrg;
    WORD seltyp = SEL_EMPTY;
};
// EM_FORMATRANGE (lParam; null releases cached data): rc is where to draw, in twips of the
// target (1440 an inch); wParam non-zero draws, zero only measures. The answer is the index of
// the first character that did not fit (the text's length when all did).
struct FORMATRANGE {
    HDC hdc = nullptr;
    HDC hdcTarget = nullptr;
    RECT rc{};
    RECT rcPage{};
    CHARRANGE chrg;
};

// Rich text into a document. The reader takes groups, the \rtf1 header, the font and colour
// tables, \b \i \ul \ulnone \strike \fs \f \cf \plain \par \line \tab \ql \qc \qr \qj, the
// \'hh (code page) and \uN escapes (\ucN replacement counts); other control words and the
// destinations it does not know (and every \* destination) are skipped. It never fails: bytes
// that are not rich text become the document's plain text (answer false). A final \par ends
// the last paragraph and adds none.
bool ReadRichText(const std::string& bytes, QTextDocument& document);
// The document as rich text that ReadRichText reads back to the same paragraphs, characters
// and character formats (font name, size, bold, italic, underline, strike-out, colour).
std::string WriteRichText(const QTextDocument& document);

class TCustomRichEdit;

// The font of the rich edit's selection; setting a value formats the selection (or, without
// one, the text typed next).
class TTextAttributes {
public:
    explicit TTextAttributes(TCustomRichEdit* edit) : edit_(edit) {}
    String Name() const;
    void SetName(const String& name);
    int Size() const; // points
    void SetSize(int size);
    TFontStyles Style() const;
    void SetStyle(TFontStyles style);
    TColor Color() const;
    void SetColor(TColor color);
    // Copies name, size, style and colour from a font.
    void Assign(const TFont* font);

private:
    TCustomRichEdit* edit_;
};

// The paragraphs of a rich edit as lines of plain text.
class TRichEditStrings : public TStrings {
public:
    explicit TRichEditStrings(TCustomRichEdit* edit) : edit_(edit) {}
    int Count() const override;
    String Get(int index) const override;
    void Put(int index, const String& s) override;
    TObject* GetObject(int) const override { return nullptr; }
    void PutObject(int, TObject*) override {}
    void Insert(int index, const String& s) override;
    void Delete(int index) override;
    void Clear() override;
    // The stream's bytes from its position on replace the content: rich text, or plain text
    // with the edit's PlainText or when the bytes are no rich text.
    void LoadFromStream(TStream& stream);
    // The content as rich text (plain text lines with PlainText) at the stream's position.
    void SaveToStream(TStream& stream) const;

private:
    TCustomRichEdit* edit_;
};

using TRichEditResizeEvent = std::function<void(TObject* Sender, const TRect& Rect)>;

class TCustomRichEdit : public TWinControl {
public:
    explicit TCustomRichEdit(TComponent* owner);
    ~TCustomRichEdit() override;
    String ClassName() const override { return "TCustomRichEdit"; }

    TRichEditStrings* Lines() const { return lines_.get(); }
    TTextAttributes* SelAttributes() const { return selAttributes_.get(); }
    // The plain text, paragraphs ended by CR LF except the last.
    String Text() const override;
    void SetText(const String& text) override;
    void Clear();
    bool PlainText = false;

    int SelStart() const;
    void SetSelStart(int start);
    int SelLength() const;
    void SetSelLength(int length);
    String SelText() const;
    void SetSelText(const String& text);
    void SelectAll();

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool on);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    bool ReadOnly() const;
    void SetReadOnly(bool on);
    void SetColor(TColor color) override;
    // Whether WS_EX_TRANSPARENT is set: the background is not painted.
    bool Transparent() const;
    // The formatting rectangle (EM_GETRECT), client coordinates.
    TRect FormatRect() const;

    TNotifyEvent OnChange;
    TNotifyEvent OnSelectionChange;
    TRichEditResizeEvent OnResizeRequest;

    QTextEdit* Widget() const;
    QTextDocument* Document() const;

protected:
    void CreateWnd() override;
    virtual void Change();
    virtual void SelectionChange();
    virtual void RequestSize(const TRect& rect);
    void Dispatch(TMessage& message) override;
    void DefaultHandler(TMessage& message) override;

private:
    friend class TRichEditHost;
    friend class TRichEditStrings;
    friend class TTextAttributes;
    void Notify(UINT code);
    void ContentChanged();
    void SelectionMoved();
    void SendRequestResize();
    TSize NeededSize() const;
    void ApplyFormatRect();
    void ApplyLook();
    LRESULT FormatRange(bool render, const FORMATRANGE* range);

    std::unique_ptr<TRichEditStrings> lines_;
    std::unique_ptr<TTextAttributes> selAttributes_;
    TFormBorderStyle borderStyle_ = bsSingle;
    bool hideSelection_ = true;
    bool wordWrap_ = true;
    DWORD eventMask_ = ENM_NONE;
    bool formatRectSet_ = false;
    TRect formatRect_;
    TSize lastNeeded_{-1, -1};
    int loading_ = 0;
    bool emptyLine_ = false; // the empty document holds one empty line
};

class TRichEdit : public TCustomRichEdit {
public:
    explicit TRichEdit(TComponent* owner) : TCustomRichEdit(owner) {}
    String ClassName() const override { return "TRichEdit"; }
};
