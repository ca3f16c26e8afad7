#include "platform/framework/RichEdit.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/WinGdi.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <cmath>
#include <vector>

// ---------------------------------------------------------------- rich text reader

namespace {

constexpr QChar kLineSeparator(0x2028); // a line break inside a paragraph (\line)

struct TRtfState {
    bool bold = false, italic = false, underline = false, strike = false;
    int font = -1;     // index into the font table; -1: the document's default
    int halfPoints = 0; // 0: the document's default size
    int color = 0;     // index into the colour table; 0: automatic
    int ucSkip = 1;    // characters that follow \uN as its replacement
    int align = 0;     // 0 left, 1 centre, 2 right, 3 justified
    enum { Text, Skip, FontTable, ColorTable } dest = Text;
};

class TRtfReader {
public:
    TRtfReader(const std::string& bytes, QTextDocument& doc) : in_(bytes), doc_(doc), cursor_(&doc) {}

    void Run()
    {
        doc_.clear();
        cursor_ = QTextCursor(&doc_);
        stack_.push_back(TRtfState());
        while (pos_ < in_.size() && stack_.size() > 0) {
            if (opened_ && stack_.size() == 1)
                break; // the document's group is closed: what follows is not part of it
            const char c = in_[pos_++];
            if (c == '{')
                Open();
            else if (c == '}')
                Close();
            else if (c == '\\')
                Control();
            else if (c == '\r' || c == '\n')
                continue;
            else
                Byte(static_cast<unsigned char>(c));
        }
        Flush();
        // a \par that ends the document ends its last paragraph and starts none
        if (pendingPars_ > 0)
            --pendingPars_;
        EmitPars();
    }

private:
    static constexpr size_t kMaxDepth = 256;
    TRtfState& Top() { return stack_.back(); }

    void Open()
    {
        if (stack_.size() >= kMaxDepth) { // deeper groups share the innermost state
            ++overflow_;
            return;
        }
        Flush();
        stack_.push_back(Top());
        opened_ = true;
    }

    void Close()
    {
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        Flush();
        const TRtfState leaving = Top();
        if (leaving.dest == TRtfState::FontTable && fontEntry_ >= 0) {
            EndFontEntry();
        }
        stack_.pop_back();
    }

    // A control word with its optional numeric parameter, or a control symbol.
    void Control()
    {
        if (pos_ >= in_.size())
            return;
        const char c = in_[pos_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            Symbol(c);
            return;
        }
        std::string word;
        while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_])) && word.size() < 32)
            word += in_[pos_++];
        while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_])))
            ++pos_; // an over-long word is read whole and ignored by its name
        bool hasParam = false;
        bool negative = false;
        long long param = 0;
        if (pos_ < in_.size() && in_[pos_] == '-') {
            negative = true;
            ++pos_;
        }
        while (pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_]))) {
            hasParam = true;
            if (param < 100000000)
                param = param * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        if (negative)
            param = -param;
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
        Word(word, hasParam, int(param));
    }

    void Symbol(char c)
    {
        switch (c) {
        case '\\': case '{': case '}': Char(QChar(c)); break;
        case '~': Char(QChar(0xA0)); break;
        case '_': Char(QChar(0x2011)); break;
        case '-': break; // optional hyphen
        case '*': Top().dest = TRtfState::Skip; break;
        case '\r': case '\n': Word("par", false, 0); break;
        case '\'': {
            int value = 0, digits = 0;
            while (digits < 2 && pos_ < in_.size() && std::isxdigit(static_cast<unsigned char>(in_[pos_]))) {
                const char h = in_[pos_++];
                value = value * 16 + (std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : (std::tolower(h) - 'a' + 10));
                ++digits;
            }
            if (digits > 0)
                Byte(static_cast<unsigned char>(value));
            break;
        }
        default: break;
        }
    }

    void Word(const std::string& w, bool hasParam, int p)
    {
        TRtfState& s = Top();
        if (s.dest == TRtfState::Skip)
            return;
        if (s.dest == TRtfState::FontTable) {
            if (w == "f") {
                if (fontEntry_ >= 0)
                    EndFontEntry();
                fontEntry_ = p;
                fontName_.clear();
            }
            return;
        }
        if (s.dest == TRtfState::ColorTable) {
            if (w == "red")
                red_ = std::clamp(p, 0, 255);
            else if (w == "green")
                green_ = std::clamp(p, 0, 255);
            else if (w == "blue")
                blue_ = std::clamp(p, 0, 255);
            return;
        }
        static const char* const kSkipped[] = {
            "stylesheet", "info", "pict", "header", "footer", "headerl", "headerr", "headerf", "footerl", "footerr",
            "footerf", "object", "listtable", "listoverridetable", "generator", "themedata", "colorschememapping",
            "latentstyles", "datastore", "xmlnstbl", "rsidtbl", "filetbl", "revtbl", "footnote", "fldinst", "bkmkstart",
            "bkmkend", "field", "shp", "nonshppict", "pntext", "pntxta", "pntxtb", "mmathPr", "userprops", "comment",
        };
        if (w == "fonttbl") {
            Flush();
            s.dest = TRtfState::FontTable;
            return;
        }
        if (w == "colortbl") {
            Flush();
            s.dest = TRtfState::ColorTable;
            colors_.clear();
            return;
        }
        for (const char* k : kSkipped)
            if (w == k) {
                Flush();
                s.dest = TRtfState::Skip;
                return;
            }
        auto flag = [&](bool& field) {
            Flush();
            field = !hasParam || p != 0;
        };
        if (w == "b") flag(s.bold);
        else if (w == "i") flag(s.italic);
        else if (w == "ul") flag(s.underline);
        else if (w == "ulnone") { Flush(); s.underline = false; }
        else if (w == "strike") flag(s.strike);
        else if (w == "fs") { Flush(); s.halfPoints = hasParam ? std::clamp(p, 0, 3276) : 24; }
        else if (w == "f") { Flush(); s.font = p; }
        else if (w == "cf") { Flush(); s.color = p; }
        else if (w == "deff") defaultFont_ = p;
        else if (w == "plain") {
            Flush();
            const TRtfState keep = s;
            s = TRtfState();
            s.ucSkip = keep.ucSkip;
            s.align = keep.align;
            s.dest = keep.dest;
        }
        else if (w == "par") { Flush(); ++pendingPars_; parAlign_ = s.align; }
        else if (w == "line") Char(kLineSeparator);
        else if (w == "tab") Char(QChar('\t'));
        else if (w == "emdash") Char(QChar(0x2014));
        else if (w == "endash") Char(QChar(0x2013));
        else if (w == "bullet") Char(QChar(0x2022));
        else if (w == "lquote") Char(QChar(0x2018));
        else if (w == "rquote") Char(QChar(0x2019));
        else if (w == "ldblquote") Char(QChar(0x201C));
        else if (w == "rdblquote") Char(QChar(0x201D));
        else if (w == "pard") { s.align = 0; }
        else if (w == "ql") s.align = 0;
        else if (w == "qc") s.align = 1;
        else if (w == "qr") s.align = 2;
        else if (w == "qj") s.align = 3;
        else if (w == "uc") s.ucSkip = std::clamp(p, 0, 16);
        else if (w == "u") {
            const int unit = p < 0 ? p + 65536 : p;
            Char(QChar(char16_t(std::clamp(unit, 0, 0xFFFF))));
            SkipReplacement(s.ucSkip);
        }
    }

    // The characters that stand for a \uN for readers that do not know it.
    void SkipReplacement(int count)
    {
        while (count > 0 && pos_ < in_.size()) {
            const char c = in_[pos_];
            if (c == '{' || c == '}')
                return;
            if (c == '\\') {
                if (pos_ + 1 < in_.size() && in_[pos_ + 1] == '\'') {
                    pos_ += 2;
                    for (int d = 0; d < 2 && pos_ < in_.size() && std::isxdigit(static_cast<unsigned char>(in_[pos_])); ++d)
                        ++pos_;
                } else {
                    return; // a control word ends the replacement
                }
            } else if (c == '\r' || c == '\n') {
                ++pos_;
                continue;
            } else {
                ++pos_;
            }
            --count;
        }
    }

    void Byte(unsigned char b)
    {
        TRtfState& s = Top();
        if (s.dest == TRtfState::Skip)
            return;
        const QChar c = ToQString(String(1, char(b))).at(0);
        if (s.dest == TRtfState::FontTable) {
            if (b == ';')
                EndFontEntry();
            else if (fontEntry_ >= 0 && fontName_.size() < 128)
                fontName_ += c;
            return;
        }
        if (s.dest == TRtfState::ColorTable) {
            if (b == ';') {
                colors_.push_back(red_ < 0 ? QColor() : QColor(std::max(0, red_), std::max(0, green_), std::max(0, blue_)));
                red_ = green_ = blue_ = -1;
            }
            return;
        }
        Char(c);
    }

    void EndFontEntry()
    {
        if (fontEntry_ >= 0 && fonts_.size() < 1024)
            fonts_.push_back({fontEntry_, fontName_.trimmed()});
        fontEntry_ = -1;
        fontName_.clear();
    }

    void Char(QChar c)
    {
        TRtfState& s = Top();
        if (s.dest != TRtfState::Text)
            return;
        EmitPars();
        if (!pendingText_.isEmpty() && !SameFormat(pendingState_, s))
            Flush();
        if (pendingText_.isEmpty())
            pendingState_ = s;
        pendingText_ += c;
        blockAlign_ = s.align;
        sawText_ = true;
    }

    static bool SameFormat(const TRtfState& a, const TRtfState& b)
    {
        return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline && a.strike == b.strike &&
               a.font == b.font && a.halfPoints == b.halfPoints && a.color == b.color;
    }

    QTextCharFormat FormatOf(const TRtfState& s) const
    {
        QTextCharFormat f;
        if (s.bold)
            f.setFontWeight(QFont::Bold);
        if (s.italic)
            f.setFontItalic(true);
        if (s.underline)
            f.setFontUnderline(true);
        if (s.strike)
            f.setFontStrikeOut(true);
        if (s.halfPoints > 0)
            f.setFontPointSize(s.halfPoints / 2.0);
        const int fontIndex = s.font >= 0 ? s.font : defaultFont_;
        for (const auto& entry : fonts_)
            if (entry.first == fontIndex && !entry.second.isEmpty()) {
                f.setFontFamilies({entry.second});
                break;
            }
        if (s.color > 0 && s.color < int(colors_.size()) && colors_[size_t(s.color)].isValid())
            f.setForeground(colors_[size_t(s.color)]);
        return f;
    }

    void Flush()
    {
        if (pendingText_.isEmpty())
            return;
        ApplyAlign(blockAlign_);
        cursor_.insertText(pendingText_, FormatOf(pendingState_));
        pendingText_.clear();
    }

    void ApplyAlign(int align)
    {
        static const Qt::Alignment kAlign[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
        QTextBlockFormat bf = cursor_.blockFormat();
        if (bf.alignment() != kAlign[align]) {
            bf.setAlignment(kAlign[align]);
            cursor_.setBlockFormat(bf);
        }
    }

    void EmitPars()
    {
        for (; pendingPars_ > 0; --pendingPars_) {
            ApplyAlign(parAlign_);
            cursor_.insertBlock();
        }
    }

    const std::string& in_;
    QTextDocument& doc_;
    QTextCursor cursor_;
    size_t pos_ = 0;
    std::vector<TRtfState> stack_;
    size_t overflow_ = 0;
    std::vector<std::pair<int, QString>> fonts_;
    int fontEntry_ = -1;
    QString fontName_;
    int defaultFont_ = 0;
    std::vector<QColor> colors_;
    int red_ = -1, green_ = -1, blue_ = -1;
    QString pendingText_;
    TRtfState pendingState_;
    int pendingPars_ = 0;
    int parAlign_ = 0;
    int blockAlign_ = 0;
    bool sawText_ = false;
    bool opened_ = false;
};

bool LooksLikeRichText(const std::string& bytes)
{
    size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\r' || bytes[i] == '\n' || bytes[i] == '\t'))
        ++i;
    return bytes.compare(i, 5, "{\\rtf") == 0;
}

// ---------------------------------------------------------------- rich text writer

QString FamilyOf(const QTextCharFormat& f, const QTextDocument& doc)
{
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty())
        return families.first();
    return doc.defaultFont().family();
}

double PointsOf(const QTextCharFormat& f, const QTextDocument& doc)
{
    if (f.hasProperty(QTextFormat::FontPointSize) && f.fontPointSize() > 0)
        return f.fontPointSize();
    const double p = doc.defaultFont().pointSizeF();
    return p > 0 ? p : 8;
}

void AppendEscaped(std::string& out, const QString& text)
{
    for (QChar q : text) {
        const char16_t c = q.unicode();
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += char(c);
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == 0x2028) {
            out += "\\line ";
        } else if (c >= 32 && c < 127) {
            out += char(c);
        } else {
            const String byte = FromQString(QString(q));
            if (byte.size() == 1 && byte[0] != '?' && ToQString(byte).at(0) == q) {
                static const char kHex[] = "0123456789abcdef";
                const unsigned char b = static_cast<unsigned char>(byte[0]);
                out += "\\'";
                out += kHex[b >> 4];
                out += kHex[b & 15];
            } else {
                out += "\\u" + std::to_string(int(int16_t(c))) + "?";
            }
        }
    }
}

} // namespace

bool ReadRichText(const std::string& bytes, QTextDocument& document)
{
    if (!LooksLikeRichText(bytes)) {
        document.setPlainText(ToQString(bytes));
        return false;
    }
    TRtfReader reader(bytes, document);
    reader.Run();
    return true;
}

std::string WriteRichText(const QTextDocument& document)
{
    std::vector<QString> fonts;
    std::vector<QColor> colors;
    auto fontIndex = [&](const QString& family) {
        for (size_t i = 0; i < fonts.size(); ++i)
            if (fonts[i] == family)
                return int(i);
        fonts.push_back(family);
        return int(fonts.size() - 1);
    };
    auto colorIndex = [&](const QTextCharFormat& f) {
        if (!f.hasProperty(QTextFormat::ForegroundBrush) || f.foreground().style() == Qt::NoBrush)
            return 0;
        const QColor c = f.foreground().color();
        for (size_t i = 0; i < colors.size(); ++i)
            if (colors[i].rgb() == c.rgb())
                return int(i) + 1;
        colors.push_back(c);
        return int(colors.size());
    };
    fontIndex(document.defaultFont().family());
    std::string body;
    bool bold = false, italic = false, underline = false, strike = false;
    int font = 0, color = 0;
    int halfPoints = int(std::lround(PointsOf(QTextCharFormat(), document) * 2));
    body += "\\pard\\f0\\fs" + std::to_string(halfPoints) + " ";
    int lastAlign = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const Qt::Alignment a = block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        const int align = a == Qt::AlignHCenter ? 1 : a == Qt::AlignRight ? 2 : a == Qt::AlignJustify ? 3 : 0;
        if (align != lastAlign) {
            static const char* const kWords[] = {"\\ql ", "\\qc ", "\\qr ", "\\qj "};
            body += kWords[align];
            lastAlign = align;
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid())
                continue;
            const QTextCharFormat f = fragment.charFormat();
            std::string words;
            auto flag = [&](bool want, bool& have, const char* on, const char* off) {
                if (want != have) {
                    words += want ? on : off;
                    have = want;
                }
            };
            flag(f.fontWeight() >= QFont::Bold, bold, "\\b", "\\b0");
            flag(f.fontItalic(), italic, "\\i", "\\i0");
            flag(f.fontUnderline(), underline, "\\ul", "\\ulnone");
            flag(f.fontStrikeOut(), strike, "\\strike", "\\strike0");
            const int fi = fontIndex(FamilyOf(f, document));
            if (fi != font) {
                words += "\\f" + std::to_string(fi);
                font = fi;
            }
            const int hp = int(std::lround(PointsOf(f, document) * 2));
            if (hp != halfPoints) {
                words += "\\fs" + std::to_string(hp);
                halfPoints = hp;
            }
            const int ci = colorIndex(f);
            if (ci != color) {
                words += "\\cf" + std::to_string(ci);
                color = ci;
            }
            if (!words.empty())
                body += words + " ";
            AppendEscaped(body, fragment.text());
        }
        body += "\\par\r\n";
    }
    std::string out = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl";
    for (size_t i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + std::to_string(i) + "\\fnil ";
        AppendEscaped(out, fonts[i]);
        out += ";}";
    }
    out += "}\r\n";
    if (!colors.empty()) {
        out += "{\\colortbl ;";
        for (const QColor& c : colors)
            out += "\\red" + std::to_string(c.red()) + "\\green" + std::to_string(c.green()) + "\\blue" +
                   std::to_string(c.blue()) + ";";
        out += "}\r\n";
    }
    out += "\\viewkind4\\uc1" + body + "}\r\n";
    return out;
}

// ---------------------------------------------------------------- the host widget

class TRichEditHost : public QTextEdit, public TControlHostLink {
public:
    TRichEditHost()
    {
        setAttribute(Qt::WA_InputMethodEnabled);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setAcceptRichText(true);
        setTabChangesFocus(false);
        document()->setDocumentMargin(1);
        QObject::connect(document(), &QTextDocument::contentsChanged, this, [this] {
            if (auto* e = Edit())
                e->ContentChanged();
        });
        QObject::connect(this, &QTextEdit::cursorPositionChanged, this, [this] {
            if (auto* e = Edit())
                e->SelectionMoved();
        });
        QObject::connect(this, &QTextEdit::selectionChanged, this, [this] {
            if (auto* e = Edit())
                e->SelectionMoved();
        });
    }
    TCustomRichEdit* Edit() const { return dynamic_cast<TCustomRichEdit*>(control_); }
    void ApplyKey(QKeyEvent* e)
    {
        applying = true;
        QTextEdit::keyPressEvent(e);
        applying = false;
    }
    void SetMargins(const QMargins& m) { setViewportMargins(m); }
    QMargins Margins() const { return viewportMargins(); }
    bool applying = false;

protected:
    bool event(QEvent* e) override
    {
        try {
            return QTextEdit::event(e);
        } catch (...) {
            Application->HandleException(control_);
            return true;
        }
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (applying || !TControlInput::KeyPress(this, e))
            QTextEdit::keyPressEvent(e);
    }
    void keyReleaseEvent(QKeyEvent* e) override
    {
        if (applying)
            QTextEdit::keyReleaseEvent(e);
        else
            TControlInput::KeyRelease(this, e);
    }
    void inputMethodEvent(QInputMethodEvent* e) override { TControlInput::InputMethod(this, e); }
    void resizeEvent(QResizeEvent* e) override
    {
        QTextEdit::resizeEvent(e);
        if (auto* edit = Edit())
            edit->ApplyFormatRect();
    }
};

// ---------------------------------------------------------------- TTextAttributes

namespace {

QTextCharFormat SelectionFormat(TCustomRichEdit* edit)
{
    QTextEdit* w = edit->Widget();
    QTextCursor c = w->textCursor();
    if (!c.hasSelection())
        return w->currentCharFormat();
    // the format at the selection's start (the character after it)
    QTextCursor probe(w->document());
    probe.setPosition(c.selectionStart());
    probe.movePosition(QTextCursor::NextCharacter);
    return probe.charFormat();
}

void MergeSelection(TCustomRichEdit* edit, const QTextCharFormat& f)
{
    QTextEdit* w = edit->Widget();
    QTextCursor c = w->textCursor();
    if (c.hasSelection())
        c.mergeCharFormat(f);
    w->mergeCurrentCharFormat(f);
}

} // namespace

String TTextAttributes::Name() const
{
    return FromQString(FamilyOf(SelectionFormat(edit_), *edit_->Document()));
}

void TTextAttributes::SetName(const String& name)
{
    QTextCharFormat f;
    f.setFontFamilies({ToQString(name)});
    MergeSelection(edit_, f);
}

int TTextAttributes::Size() const
{
    return int(std::lround(PointsOf(SelectionFormat(edit_), *edit_->Document())));
}

void TTextAttributes::SetSize(int size)
{
    QTextCharFormat f;
    f.setFontPointSize(std::clamp(size, 1, 1638));
    MergeSelection(edit_, f);
}

TFontStyles TTextAttributes::Style() const
{
    const QTextCharFormat f = SelectionFormat(edit_);
    TFontStyles s;
    if (f.fontWeight() >= QFont::Bold)
        s << fsBold;
    if (f.fontItalic())
        s << fsItalic;
    if (f.fontUnderline())
        s << fsUnderline;
    if (f.fontStrikeOut())
        s << fsStrikeOut;
    return s;
}

void TTextAttributes::SetStyle(TFontStyles style)
{
    QTextCharFormat f;
    f.setFontWeight(style.Contains(fsBold) ? QFont::Bold : QFont::Normal);
    f.setFontItalic(style.Contains(fsItalic));
    f.setFontUnderline(style.Contains(fsUnderline));
    f.setFontStrikeOut(style.Contains(fsStrikeOut));
    MergeSelection(edit_, f);
}

TColor TTextAttributes::Color() const
{
    const QTextCharFormat f = SelectionFormat(edit_);
    if (!f.hasProperty(QTextFormat::ForegroundBrush) || f.foreground().style() == Qt::NoBrush)
        return clWindowText;
    return TColor(QColorToColorRef(f.foreground().color()));
}

void TTextAttributes::SetColor(TColor color)
{
    QTextCharFormat f;
    f.setForeground(ColorRefToQColor(ColorToColorRef(color)));
    MergeSelection(edit_, f);
}

void TTextAttributes::Assign(const TFont* font)
{
    if (!font)
        return;
    SetName(font->Name);
    SetSize(font->Size());
    SetStyle(font->Style);
    SetColor(font->Color);
}

// ---------------------------------------------------------------- TRichEditStrings

namespace {

QString LineToQt(const String& s)
{
    QString q = ToQString(s);
    q.replace(QChar(0x0B), kLineSeparator);
    q.remove(QChar('\r'));
    q.replace(QChar('\n'), kLineSeparator);
    return q;
}

String LineFromQt(QString q)
{
    q.replace(kLineSeparator, QChar(0x0B));
    return FromQString(q);
}

} // namespace

int TRichEditStrings::Count() const
{
    QTextDocument* d = edit_->Document();
    if (d->isEmpty())
        return edit_->emptyLine_ ? 1 : 0;
    return d->blockCount();
}

String TRichEditStrings::Get(int index) const
{
    if (index < 0 || index >= Count())
        throw EStringListError(Format("List index out of bounds (%d)", {index}));
    return LineFromQt(edit_->Document()->findBlockByNumber(index).text());
}

void TRichEditStrings::Put(int index, const String& s)
{
    if (index < 0 || index >= Count())
        throw EStringListError(Format("List index out of bounds (%d)", {index}));
    QTextCursor c(edit_->Document()->findBlockByNumber(index));
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.insertText(LineToQt(s));
}

void TRichEditStrings::Insert(int index, const String& s)
{
    const int n = Count();
    if (index < 0 || index > n)
        throw EStringListError(Format("List index out of bounds (%d)", {index}));
    QTextDocument* d = edit_->Document();
    if (n == 0) {
        QTextCursor c(d);
        c.insertText(LineToQt(s));
        // an empty line still counts: the document's one empty paragraph is that line
        edit_->emptyLine_ = s.empty();
        return;
    }
    if (index == n) {
        QTextCursor c(d->lastBlock());
        c.movePosition(QTextCursor::EndOfBlock);
        c.insertBlock();
        c.insertText(LineToQt(s));
        return;
    }
    QTextCursor c(d->findBlockByNumber(index));
    c.insertText(LineToQt(s));
    c.insertBlock();
}

void TRichEditStrings::Delete(int index)
{
    const int n = Count();
    if (index < 0 || index >= n)
        throw EStringListError(Format("List index out of bounds (%d)", {index}));
    QTextDocument* d = edit_->Document();
    QTextBlock b = d->findBlockByNumber(index);
    QTextCursor c(b);
    if (index + 1 < n) {
        c.setPosition(d->findBlockByNumber(index + 1).position(), QTextCursor::KeepAnchor);
    } else if (index > 0) {
        QTextBlock prev = b.previous();
        c.setPosition(prev.position() + prev.length() - 1);
        c.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
    } else {
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    }
    c.removeSelectedText();
}

void TRichEditStrings::Clear() { edit_->Clear(); }

void TRichEditStrings::LoadFromStream(TStream& stream)
{
    std::string bytes;
    const int64_t size = stream.Size() - stream.Position();
    if (size > 0) {
        bytes.resize(size_t(size));
        bytes.resize(size_t(stream.Read(bytes.data(), long(size))));
    }
    ++edit_->loading_;
    edit_->emptyLine_ = false;
    try {
        QTextDocument* d = edit_->Document();
        if (edit_->PlainText) {
            d->setPlainText(ToQString(bytes));
            if (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) {
                QTextCursor c(d->lastBlock());
                c.movePosition(QTextCursor::EndOfBlock);
                c.deletePreviousChar(); // the last line's break ends it and adds none
            }
        } else {
            ReadRichText(bytes, *d);
        }
    } catch (...) {
        --edit_->loading_;
        throw;
    }
    --edit_->loading_;
    edit_->ContentChanged();
}

void TRichEditStrings::SaveToStream(TStream& stream) const
{
    std::string bytes;
    if (edit_->PlainText) {
        for (int i = 0; i < Count(); ++i)
            bytes += Get(i) + "\r\n";
    } else {
        bytes = WriteRichText(*edit_->Document());
    }
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), long(bytes.size()));
}

// ---------------------------------------------------------------- TCustomRichEdit

TCustomRichEdit::TCustomRichEdit(TComponent* owner)
    : TWinControl(owner, new TRichEditHost),
      lines_(std::make_unique<TRichEditStrings>(this)),
      selAttributes_(std::make_unique<TTextAttributes>(this))
{
    TabStop = true;
    SetColor(clWindow);
    ApplyLook();
    Document()->setDefaultFont(QFont(ToQString(Font()->Name), Font()->Size()));
}

TCustomRichEdit::~TCustomRichEdit() = default;

QTextEdit* TCustomRichEdit::Widget() const { return static_cast<QTextEdit*>(Host()); }
QTextDocument* TCustomRichEdit::Document() const { return Widget()->document(); }

void TCustomRichEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    formatRectSet_ = false;
    ApplyFormatRect();
    lastNeeded_ = TSize{-1, -1};
    Perform(EM_SETEVENTMASK, 0, LPARAM(ENM_CHANGE | ENM_SELCHANGE | ENM_REQUESTRESIZE));
}

String TCustomRichEdit::Text() const
{
    String out;
    const int n = lines_->Count();
    for (int i = 0; i < n; ++i) {
        out += lines_->Get(i);
        if (i + 1 < n)
            out += "\r\n";
    }
    return out;
}

void TCustomRichEdit::SetText(const String& text) { Perform(WM_SETTEXT, 0, LPARAM(text.c_str())); }

void TCustomRichEdit::Clear()
{
    emptyLine_ = false;
    Document()->clear();
    Widget()->setCurrentCharFormat(QTextCharFormat());
}

int TCustomRichEdit::SelStart() const { return Widget()->textCursor().selectionStart(); }

void TCustomRichEdit::SetSelStart(int start)
{
    QTextCursor c = Widget()->textCursor();
    c.setPosition(std::clamp(start, 0, Document()->characterCount() - 1));
    Widget()->setTextCursor(c);
}

int TCustomRichEdit::SelLength() const
{
    const QTextCursor c = Widget()->textCursor();
    return c.selectionEnd() - c.selectionStart();
}

void TCustomRichEdit::SetSelLength(int length)
{
    QTextCursor c = Widget()->textCursor();
    const int start = c.selectionStart();
    const int last = Document()->characterCount() - 1;
    c.setPosition(start);
    c.setPosition(std::clamp(start + std::max(0, length), 0, last), QTextCursor::KeepAnchor);
    Widget()->setTextCursor(c);
}

String TCustomRichEdit::SelText() const { return LineFromQt(Widget()->textCursor().selectedText().replace(QChar(0x2029), "\r\n")); }

void TCustomRichEdit::SetSelText(const String& text) { Perform(EM_REPLACESEL, 1, LPARAM(text.c_str())); }

void TCustomRichEdit::SelectAll() { Widget()->selectAll(); }

void TCustomRichEdit::SetBorderStyle(TFormBorderStyle style)
{
    borderStyle_ = style;
    ApplyLook();
}

void TCustomRichEdit::SetHideSelection(bool on)
{
    hideSelection_ = on;
    ApplyLook();
}

void TCustomRichEdit::SetWordWrap(bool on)
{
    if (wordWrap_ == on)
        return;
    wordWrap_ = on;
    Widget()->setLineWrapMode(on ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    ContentChanged();
}

bool TCustomRichEdit::ReadOnly() const { return Widget()->isReadOnly(); }
void TCustomRichEdit::SetReadOnly(bool on) { Widget()->setReadOnly(on); }

void TCustomRichEdit::SetColor(TColor color)
{
    TWinControl::SetColor(color);
    ApplyLook();
}

bool TCustomRichEdit::Transparent() const { return (StyleWord(GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0; }

void TCustomRichEdit::ApplyLook()
{
    QTextEdit* w = Widget();
    w->setFrameShape(borderStyle_ == bsNone ? QFrame::NoFrame : QFrame::Box);
    w->setLineWidth(1);
    QPalette p = w->palette();
    const QColor base = Transparent() ? QColor(Qt::transparent) : ColorRefToQColor(ColorToColorRef(Color()));
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::Window, base);
    p.setColor(QPalette::Text, ColorRefToQColor(ColorToColorRef(Font()->Color)));
    // the selection shows while the control has no focus unless HideSelection
    for (QPalette::ColorGroup g : {QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::Highlight, hideSelection_ ? QColor(Qt::transparent) : p.color(QPalette::Active, QPalette::Highlight));
        p.setColor(g, QPalette::HighlightedText,
                   hideSelection_ ? p.color(g, QPalette::Text) : p.color(QPalette::Active, QPalette::HighlightedText));
    }
    w->setPalette(p);
    w->viewport()->setAutoFillBackground(!Transparent());
    w->setAutoFillBackground(!Transparent());
}

TRect TCustomRichEdit::FormatRect() const
{
    if (formatRectSet_)
        return formatRect_;
    const QRect v = Widget()->contentsRect();
    return TRect(v.left(), v.top(), v.right() + 1, v.bottom() + 1);
}

void TCustomRichEdit::ApplyFormatRect()
{
    auto* host = static_cast<TRichEditHost*>(Widget());
    if (!formatRectSet_) {
        host->SetMargins(QMargins());
        return;
    }
    const QRect c = host->contentsRect();
    const int left = std::max(0, formatRect_.Left - c.left());
    const int top = std::max(0, formatRect_.Top - c.top());
    const int right = std::max(0, c.right() + 1 - formatRect_.Right);
    const int bottom = std::max(0, c.bottom() + 1 - formatRect_.Bottom);
    host->SetMargins(QMargins(left, top, right, bottom));
}

TSize TCustomRichEdit::NeededSize() const
{
    std::unique_ptr<QTextDocument> measure(Document()->clone());
    const QRect contents = Widget()->contentsRect();
    const QMargins m = static_cast<TRichEditHost*>(Widget())->Margins();
    const int frame = Widget()->frameWidth();
    const int textWidth = std::max(0, contents.width() - m.left() - m.right());
    if (wordWrap_)
        measure->setTextWidth(textWidth);
    else
        measure->setTextWidth(-1);
    const int h = int(std::ceil(measure->size().height())) + m.top() + m.bottom() + 2 * frame;
    const int w = wordWrap_ ? Width() : int(std::ceil(measure->idealWidth())) + m.left() + m.right() + 2 * frame;
    return TSize{w, h};
}

void TCustomRichEdit::SendRequestResize()
{
    REQRESIZE r;
    r.nmhdr.hwndFrom = Handle();
    r.nmhdr.code = EN_REQUESTRESIZE;
    const TSize need = NeededSize();
    lastNeeded_ = need;
    r.rc = RECT{Left(), Top(), Left() + need.cx, Top() + need.cy};
    if (TWinControl* p = Parent())
        p->Perform(WM_NOTIFY, 0, LPARAM(&r));
    else
        Perform(CN_NOTIFY, 0, LPARAM(&r));
}

void TCustomRichEdit::ContentChanged()
{
    if (loading_)
        return; // a load reports once, when it is complete
    if (!Document()->isEmpty())
        emptyLine_ = false;
    Notify(EN_CHANGE);
    if ((eventMask_ & ENM_REQUESTRESIZE) && HandleAllocated()) {
        const TSize need = NeededSize();
        if (need.cx != lastNeeded_.cx || need.cy != lastNeeded_.cy)
            SendRequestResize();
    }
}

void TCustomRichEdit::SelectionMoved()
{
    if (!(eventMask_ & ENM_SELCHANGE) || !HandleAllocated())
        return;
    SELCHANGE s;
    s.nmhdr.hwndFrom = Handle();
    s.nmhdr.code = EN_SELCHANGE;
    const QTextCursor c = Widget()->textCursor();
    s.chrg.cpMin = c.selectionStart();
    s.chrg.cpMax = c.selectionEnd();
    s.seltyp = c.hasSelection() ? SEL_TEXT : SEL_EMPTY;
    if (TWinControl* p = Parent())
        p->Perform(WM_NOTIFY, 0, LPARAM(&s));
    else
        Perform(CN_NOTIFY, 0, LPARAM(&s));
}

void TCustomRichEdit::Notify(UINT code)
{
    if (!(eventMask_ & ENM_CHANGE) && code == EN_CHANGE)
        return;
    if (TWinControl* p = Parent())
        p->Perform(WM_COMMAND, MAKEWPARAM(0, int(code)), LPARAM(Host()));
    else
        Perform(CN_COMMAND, MAKEWPARAM(0, int(code)), LPARAM(Host()));
}

void TCustomRichEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomRichEdit::SelectionChange()
{
    if (OnSelectionChange)
        OnSelectionChange(this);
}

void TCustomRichEdit::RequestSize(const TRect& rect)
{
    if (OnResizeRequest)
        OnResizeRequest(this, rect);
}

void TCustomRichEdit::Dispatch(TMessage& m)
{
    switch (m.Msg) {
    case CN_COMMAND:
        if (HIWORD(m.WParam) == EN_CHANGE)
            Change();
        return;
    case CN_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(m.LParam);
        if (!hdr)
            return;
        if (hdr->code == EN_SELCHANGE)
            SelectionChange();
        else if (hdr->code == EN_REQUESTRESIZE) {
            const RECT& r = reinterpret_cast<const REQRESIZE*>(m.LParam)->rc;
            RequestSize(TRect(r.left, r.top, r.right, r.bottom));
        }
        return;
    }
    case WM_STYLECHANGED:
        TWinControl::Dispatch(m);
        if (m.WParam == WPARAM(GWL_EXSTYLE))
            ApplyLook();
        return;
    case CM_FONTCHANGED:
        TWinControl::Dispatch(m);
        Document()->setDefaultFont(QFont(ToQString(Font()->Name), Font()->Size()));
        ApplyLook();
        return;
    default: TWinControl::Dispatch(m); return;
    }
}

LRESULT TCustomRichEdit::FormatRange(bool render, const FORMATRANGE* range)
{
    if (!range || !range->hdc)
        return 0;
    HDC dc = range->hdc;
    const int dpiX = std::max(1, GetDeviceCaps(dc, LOGPIXELSX));
    const int dpiY = std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
    auto px = [](LONG twips, int dpi) { return int(std::lround(double(twips) * dpi / 1440.0)); };
    RECT logical{px(range->rc.left, dpiX), px(range->rc.top, dpiY), px(range->rc.right, dpiX),
                 px(range->rc.bottom, dpiY)};
    const QRect target = dc->ToDevice(logical);
    std::unique_ptr<QTextDocument> doc(Document()->clone());
    doc->setDocumentMargin(0);
    doc->setTextWidth(std::max(1, target.width())); // the rectangle's width is the line width
    const int last = doc->characterCount() - 1;
    const int start = std::clamp(int(range->chrg.cpMin), 0, last);
    const int end = range->chrg.cpMax < 0 ? last : std::clamp(int(range->chrg.cpMax), start, last);
    if (start > 0 || end < last) { // only the range is drawn
        QTextCursor c(doc.get());
        c.setPosition(end);
        c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        c.setPosition(0);
        c.setPosition(start, QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    // what fits: the characters above the rectangle's bottom
    int fitted = end;
    const double height = doc->size().height();
    if (height > target.height()) {
        const int hit = doc->documentLayout()->hitTest(QPointF(0, target.height()), Qt::FuzzyHit);
        if (hit >= 0)
            fitted = std::min(end, start + hit);
    }
    TGdiRecord rec = dc->MakeRecord("FormatRange");
    rec.Rect = logical;
    rec.Text = FromQString(doc->toPlainText());
    dc->Record(rec);
    if (render) {
        if (QPainter* p = BeginGdiPaint(dc)) {
            p->save();
            p->setCompositionMode(QPainter::CompositionMode_SourceOver);
            p->setClipRect(target, p->hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
            p->translate(target.topLeft());
            QAbstractTextDocumentLayout::PaintContext ctx;
            ctx.clip = QRectF(0, 0, target.width(), target.height());
            ctx.palette.setColor(QPalette::Text, ColorRefToQColor(ColorToColorRef(Font()->Color)));
            doc->documentLayout()->draw(p, ctx);
            p->restore();
        }
    }
    return fitted;
}

void TCustomRichEdit::DefaultHandler(TMessage& m)
{
    auto* host = static_cast<TRichEditHost*>(Widget());
    QTextEdit* w = Widget();
    switch (m.Msg) {
    case WM_GETDLGCODE: m.Result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTALLKEYS; return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        TextControlKeyDown(*this, m, [host](QKeyEvent* e) { host->ApplyKey(e); });
        return;
    }
    case WM_CHAR: {
        if (w->isReadOnly())
            return;
        const char16_t c = char16_t(m.CharCode());
        QTextCursor cur = w->textCursor();
        auto toggle = [&](TFontStyle style) {
            TFontStyles s = selAttributes_->Style();
            if (s.Contains(style))
                s >> style;
            else
                s << style;
            selAttributes_->SetStyle(s);
        };
        switch (c) {
        case 1: w->selectAll(); return;
        case 2: toggle(fsBold); return;
        case 3: Perform(WM_COPY, 0, 0); return;
        case 21: toggle(fsUnderline); return;
        case 22: Perform(WM_PASTE, 0, 0); return;
        case 24: Perform(WM_CUT, 0, 0); return;
        case 26: Perform(WM_UNDO, 0, 0); return;
        case 8:
            cur.deletePreviousChar();
            w->setTextCursor(cur);
            return;
        case 13:
            cur.insertBlock();
            w->setTextCursor(cur);
            return;
        case 9: cur.insertText(QString(QChar('\t'))); w->setTextCursor(cur); return;
        default: break;
        }
        if (c < 32)
            return;
        cur.insertText(QString(QChar(c)));
        w->setTextCursor(cur);
        return;
    }
    case WM_SETTEXT: {
        const char* text = reinterpret_cast<const char*>(m.LParam);
        ++loading_;
        emptyLine_ = false;
        QString q = ToQString(String(text ? text : ""));
        q.remove(QChar('\r'));
        q.replace(QChar(0x0B), kLineSeparator);
        Document()->setPlainText(q);
        --loading_;
        ContentChanged();
        m.Result = 1;
        return;
    }
    case WM_GETTEXTLENGTH: m.Result = LRESULT(Text().size()); return;
    case WM_GETTEXT: {
        const String t = Text();
        char* buffer = reinterpret_cast<char*>(m.LParam);
        const size_t room = size_t(m.WParam);
        if (!buffer || room == 0) {
            m.Result = 0;
            return;
        }
        const size_t n = std::min(room - 1, t.size());
        std::copy_n(t.data(), n, buffer);
        buffer[n] = 0;
        m.Result = LRESULT(n);
        return;
    }
    case EM_GETSEL: {
        const QTextCursor c = w->textCursor();
        if (m.WParam)
            *reinterpret_cast<DWORD*>(m.WParam) = DWORD(c.selectionStart());
        if (m.LParam)
            *reinterpret_cast<DWORD*>(m.LParam) = DWORD(c.selectionEnd());
        m.Result = MAKELPARAM(c.selectionStart(), c.selectionEnd());
        return;
    }
    case EM_SETSEL:
    case EM_EXSETSEL: {
        long start, end;
        if (m.Msg == EM_SETSEL) {
            start = long(intptr_t(m.WParam));
            end = long(intptr_t(m.LParam));
        } else {
            const auto* r = reinterpret_cast<const CHARRANGE*>(m.LParam);
            start = r ? r->cpMin : 0;
            end = r ? r->cpMax : 0;
        }
        const int last = Document()->characterCount() - 1;
        QTextCursor c = w->textCursor();
        if (start < 0) { // no selection: the caret stays where the selection ends
            c.clearSelection();
        } else {
            if (end < 0 || end > last)
                end = last;
            c.setPosition(std::clamp(int(start), 0, last));
            c.setPosition(std::clamp(int(end), 0, last), QTextCursor::KeepAnchor);
        }
        w->setTextCursor(c);
        m.Result = c.selectionEnd();
        return;
    }
    case EM_EXGETSEL: {
        if (auto* r = reinterpret_cast<CHARRANGE*>(m.LParam)) {
            const QTextCursor c = w->textCursor();
            r->cpMin = c.selectionStart();
            r->cpMax = c.selectionEnd();
        }
        return;
    }
    case EM_REPLACESEL: {
        const char* text = reinterpret_cast<const char*>(m.LParam);
        QTextCursor c = w->textCursor();
        QString q = ToQString(String(text ? text : ""));
        q.replace("\r\n", "\n");
        q.replace(QChar('\r'), QChar('\n'));
        c.insertText(q);
        w->setTextCursor(c);
        return;
    }
    case EM_GETLINECOUNT: m.Result = std::max(1, Document()->blockCount()); return;
    case EM_GETRECT:
        if (auto* r = reinterpret_cast<RECT*>(m.LParam)) {
            const TRect f = FormatRect();
            *r = RECT{f.Left, f.Top, f.Right, f.Bottom};
        }
        return;
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (const auto* r = reinterpret_cast<const RECT*>(m.LParam)) {
            formatRectSet_ = true;
            formatRect_ = TRect(r->left, r->top, r->right, r->bottom);
        } else {
            formatRectSet_ = false;
        }
        ApplyFormatRect();
        return;
    case EM_SETEVENTMASK: {
        m.Result = LRESULT(eventMask_);
        eventMask_ = DWORD(m.LParam);
        return;
    }
    case EM_GETEVENTMASK: m.Result = LRESULT(eventMask_); return;
    case EM_REQUESTRESIZE:
        if (eventMask_ & ENM_REQUESTRESIZE)
            SendRequestResize();
        return;
    case EM_SETBKGNDCOLOR:
        if (!m.WParam)
            SetColor(TColor(m.LParam));
        return;
    case EM_FORMATRANGE: m.Result = FormatRange(m.WParam != 0, reinterpret_cast<const FORMATRANGE*>(m.LParam)); return;
    case EM_GETMODIFY: m.Result = Document()->isModified() ? 1 : 0; return;
    case EM_SETMODIFY: Document()->setModified(m.WParam != 0); return;
    case EM_SETREADONLY: w->setReadOnly(m.WParam != 0); m.Result = 1; return;
    case WM_COPY: w->copy(); return;
    case WM_CUT: if (!w->isReadOnly()) w->cut(); return;
    case WM_PASTE: if (!w->isReadOnly()) w->paste(); return;
    case WM_UNDO:
    case EM_UNDO: w->undo(); m.Result = 1; return;
    case EM_CANUNDO: m.Result = Document()->isUndoAvailable() ? 1 : 0; return;
    default: TWinControl::DefaultHandler(m); return;
    }
}
