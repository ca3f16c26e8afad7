#include "platform/framework/Mask.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>

namespace {
QString QOf(const String& s) { return ToQString(s); }
} // namespace

bool TMaskChar::Accepts(char16_t c) const
{
    const QChar q(c);
    switch (kind) {
    case Digit: case DigitOpt: return q.isDigit();
    case DigitSign: return q.isDigit() || c == u'+' || c == u'-' || c == u' ';
    case Letter: case LetterOpt: return q.isLetter();
    case AlphaNum: case AlphaNumOpt: return q.isLetterOrNumber();
    case Any: case AnyOpt: return c >= 32;
    default: return false;
    }
}

TParsedMask ParseEditMask(const String& maskText)
{
    TParsedMask parsed;
    const QString all = QOf(maskText);
    // the fields: the last two are the flags when they are single characters after ';'
    QString mask = all;
    const qsizetype last = all.lastIndexOf(u';');
    if (last >= 0 && last > 0 && all[last - 1] != u'\\') {
        const QString tail = all.mid(last + 1);
        QString head = all.left(last);
        const qsizetype prev = head.lastIndexOf(u';');
        if (prev >= 0 && (prev == 0 || head[prev - 1] != u'\\')) {
            // mask;save;blank
            const QString save = head.mid(prev + 1);
            mask = head.left(prev);
            parsed.saveLiterals = save != u"0";
            if (!tail.isEmpty())
                parsed.blank = tail[0].unicode();
        } else {
            mask = head;
            parsed.saveLiterals = tail != u"0";
        }
    }
    int caseMode = 0;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask[i];
        TMaskChar m;
        switch (c.unicode()) {
        case '!': parsed.trimLeading = true; continue;
        case '>':
            if (i + 1 < mask.size() && mask[i + 1] == u'<') {
                caseMode = 0;
                ++i;
            } else {
                caseMode = 1;
            }
            continue;
        case '<': caseMode = -1; continue;
        case '\\':
            if (i + 1 < mask.size()) {
                m.literal = mask[++i].unicode();
                parsed.chars.push_back(m);
            }
            continue;
        case '0': m.kind = TMaskChar::Digit; break;
        case '9': m.kind = TMaskChar::DigitOpt; break;
        case '#': m.kind = TMaskChar::DigitSign; break;
        case 'L': m.kind = TMaskChar::Letter; break;
        case 'l': m.kind = TMaskChar::LetterOpt; break;
        case 'A': m.kind = TMaskChar::AlphaNum; break;
        case 'a': m.kind = TMaskChar::AlphaNumOpt; break;
        case 'C': m.kind = TMaskChar::Any; break;
        case 'c': m.kind = TMaskChar::AnyOpt; break;
        case ':': m.literal = char16_t(FormatSettings().TimeSeparator); break;
        case '/': m.literal = char16_t(FormatSettings().DateSeparator); break;
        case '_': m.literal = u' '; break;
        default: m.literal = c.unicode(); break;
        }
        m.caseMode = caseMode;
        parsed.chars.push_back(m);
    }
    return parsed;
}

namespace {
// The shown text for a value: with the literals saved the value runs position by position,
// otherwise its characters fill the editable positions in turn.
QString Fill(const TParsedMask& mask, const QString& value)
{
    QString shown;
    qsizetype v = 0;
    for (const TMaskChar& m : mask.chars) {
        if (!m.Editable()) {
            shown += QChar(m.literal);
            if (mask.saveLiterals && v < value.size())
                ++v;
            continue;
        }
        char16_t c = v < value.size() ? value[v++].unicode() : mask.blank;
        if (c == u' ' || !m.Accepts(c))
            c = mask.blank;
        if (m.caseMode > 0)
            c = QChar(c).toUpper().unicode();
        else if (m.caseMode < 0)
            c = QChar(c).toLower().unicode();
        shown += QChar(c);
    }
    return shown;
}

QString Extract(const TParsedMask& mask, const QString& shown)
{
    QString text;
    for (qsizetype i = 0; i < qsizetype(mask.chars.size()) && i < shown.size(); ++i) {
        const TMaskChar& m = mask.chars[size_t(i)];
        if (!m.Editable()) {
            if (mask.saveLiterals)
                text += shown[i];
            continue;
        }
        text += shown[i] == QChar(mask.blank) ? QChar(u' ') : shown[i];
    }
    if (!mask.saveLiterals) {
        // blank optional characters go from the end (or with '!' from the front)
        if (mask.trimLeading) {
            qsizetype k = 0;
            while (k < text.size() && text[k] == u' ')
                ++k;
            text = text.mid(k);
        } else {
            while (!text.isEmpty() && text.back() == u' ')
                text.chop(1);
        }
    }
    return text;
}
} // namespace

String FormatMaskText(const String& mask, const String& value)
{
    const TParsedMask parsed = ParseEditMask(mask);
    if (parsed.Empty())
        return value;
    return FromQString(Extract(parsed, Fill(parsed, QOf(value))));
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

QString TCustomMaskEdit::Blank() const
{
    return Fill(parsed_, QString());
}

void TCustomMaskEdit::SetEditMask(const String& mask)
{
    const String old = Text();
    mask_ = mask;
    parsed_ = ParseEditMask(mask);
    if (IsMasked()) {
        Perform(EM_LIMITTEXT, WPARAM(parsed_.chars.size()), 0);
        SetText(old);
    } else {
        Perform(EM_LIMITTEXT, WPARAM(MaxLength()), 0);
    }
}

String TCustomMaskEdit::Text() const
{
    if (!IsMasked())
        return TCustomEdit::Text();
    return FromQString(Extract(parsed_, QOf(TCustomEdit::Text())));
}

void TCustomMaskEdit::SetText(const String& text)
{
    if (!IsMasked()) {
        TCustomEdit::SetText(text);
        return;
    }
    TCustomEdit::SetText(FromQString(Fill(parsed_, QOf(text))));
}

void TCustomMaskEdit::SetEditText(const String& text)
{
    if (!IsMasked()) {
        TCustomEdit::SetText(text);
        return;
    }
    // the shown text, position by position
    TParsedMask literal = parsed_;
    literal.saveLiterals = true;
    TCustomEdit::SetText(FromQString(Fill(literal, QOf(text))));
}

void TCustomMaskEdit::Put(const QString& shown, int caret)
{
    const bool had = saved_;
    const String before = EditText();
    TCustomEdit::SetText(FromQString(shown));
    if (!had)
        savedText_ = before;
    saved_ = true;
    SetModified(true);
    Perform(EM_SETSEL, WPARAM(caret), LPARAM(caret));
}

int TCustomMaskEdit::NextEditable(int from) const
{
    for (int i = std::max(0, from); i < int(parsed_.chars.size()); ++i)
        if (parsed_.chars[size_t(i)].Editable())
            return i;
    return -1;
}

int TCustomMaskEdit::PrevEditable(int from) const
{
    for (int i = std::min(from, int(parsed_.chars.size())) - 1; i >= 0; --i)
        if (parsed_.chars[size_t(i)].Editable())
            return i;
    return -1;
}

void TCustomMaskEdit::BlankRange(int from, int to)
{
    QString shown = QOf(EditText());
    for (int i = from; i < to && i < int(shown.size()); ++i)
        if (parsed_.chars[size_t(i)].Editable())
            shown[i] = QChar(parsed_.blank);
    Put(shown, from);
}

void TCustomMaskEdit::TypeChar(char16_t c)
{
    if (ReadOnly())
        return;
    QString shown = QOf(EditText());
    const int start = SelStart(), length = SelLength();
    const int at = NextEditable(start);
    if (at < 0 || !parsed_.chars[size_t(at)].Accepts(c)) {
        MessageBeep(0);
        return;
    }
    for (int i = start; i < start + length && i < int(shown.size()); ++i)
        if (parsed_.chars[size_t(i)].Editable())
            shown[i] = QChar(parsed_.blank);
    const TMaskChar& m = parsed_.chars[size_t(at)];
    QChar q(c);
    if (m.caseMode > 0)
        q = q.toUpper();
    else if (m.caseMode < 0)
        q = q.toLower();
    shown[at] = q;
    const int next = NextEditable(at + 1);
    Put(shown, next < 0 ? int(shown.size()) : next);
    // one character stays selected: typing overwrites it
    if (next >= 0)
        Perform(EM_SETSEL, WPARAM(next), LPARAM(next + 1));
}

void TCustomMaskEdit::KeyDown(WORD& key, TShiftState shift)
{
    TCustomEdit::KeyDown(key, shift);
    if (!IsMasked() || key == 0)
        return;
    if (key == VK_ESCAPE && Modified()) {
        Reset();
        key = 0;
    } else if (key == VK_DELETE && !shift.Contains(ssShift) && !ReadOnly()) {
        const int start = SelStart(), length = SelLength();
        const int at = length ? start : NextEditable(start);
        if (at >= 0)
            BlankRange(at, length ? start + length : at + 1);
        key = 0;
    }
}

void TCustomMaskEdit::KeyPress(char& key)
{
    TCustomEdit::KeyPress(key);
    if (!IsMasked() || key == 0)
        return;
    const unsigned char k = static_cast<unsigned char>(key);
    if (k == 3 || k == 22 || k == 24 || k == 1 || k == 13 || k == 27 || k == 9)
        return; // clipboard keys and the keys of the form go on
    if (k == 8) {
        if (!ReadOnly()) {
            const int start = SelStart(), length = SelLength();
            if (length)
                BlankRange(start, start + length);
            else if (const int at = PrevEditable(start); at >= 0)
                BlankRange(at, at + 1);
        }
    } else if (k >= 32) {
        TypeChar(k);
    }
    key = 0; // the mask has done it; the edit window gets nothing
}

void TCustomMaskEdit::Dispatch(TMessage& m)
{
    if (IsMasked()) {
        switch (m.Msg) {
        case CM_WANTSPECIALKEY:
            if (m.CharCode() == VK_ESCAPE && Modified()) {
                m.Result = 1;
                return;
            }
            break;
        case WM_PASTE: {
            // each pasted character goes into the mask as if typed
            if (ReadOnly())
                return;
            const QString text = QGuiApplication::clipboard()->text();
            for (QChar c : text)
                if (c.unicode() >= 32)
                    TypeChar(c.unicode());
            return;
        }
        case WM_CUT:
        case WM_CLEAR:
            if (m.Msg == WM_CUT)
                Perform(WM_COPY, 0, 0);
            if (!ReadOnly() && SelLength())
                BlankRange(SelStart(), SelStart() + SelLength());
            return;
        case WM_SETTEXT:
            saved_ = false;
            break;
        default: break;
        }
    }
    TCustomEdit::Dispatch(m);
}

void TCustomMaskEdit::Reset()
{
    if (!saved_)
        return;
    const String text = savedText_;
    TCustomEdit::SetText(text);
    SetModified(false);
    saved_ = false;
    SelectAll();
}

void TCustomMaskEdit::ValidateEdit()
{
    if (!IsMasked())
        return;
    const QString shown = QOf(EditText());
    for (int i = 0; i < int(parsed_.chars.size()); ++i) {
        if (parsed_.chars[size_t(i)].Required() && (i >= int(shown.size()) || shown[i] == QChar(parsed_.blank))) {
            if (CanFocus())
                SetFocus();
            Perform(EM_SETSEL, WPARAM(i), LPARAM(i));
            throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
        }
    }
}

void TCustomMaskEdit::DoExit()
{
    if (IsMasked() && Modified())
        ValidateEdit();
    TCustomEdit::DoExit();
}
