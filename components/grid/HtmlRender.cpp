#include "components/grid/HtmlRender.h"

#include "components/grid/HtmlFormat.h"
#include "components/grid/HtmlUtils.h"
#include "platform/win/WinFrameControl.h"
#include "platform/win/WinShellIcons.h"
#include "platform/win/WinUxTheme.h"

#include <cmath>
#include <sys/stat.h>
#include <unordered_map>

namespace {

// Text metrics of the fonts met, kept across calls: a font's height does not depend on the
// text, and a run's width depends only on the font, the run and (with an ellipsis) the box.
// The renderer runs on the user-interface thread only.
struct RunMetrics {
    int Width = 0;
    int Height = 0;
};
std::unordered_map<String, RunMetrics> gMetrics;
constexpr size_t kMaxMetrics = 16384;

String FontKey(const TFont& f)
{
    String key = f.Name;
    key += '\x1f';
    key += std::to_string(f.Height);
    key += '\x1f';
    key += char('0' + (f.Style.Contains(fsBold) ? 1 : 0) + (f.Style.Contains(fsItalic) ? 2 : 0) +
                (f.Style.Contains(fsUnderline) ? 4 : 0) + (f.Style.Contains(fsStrikeOut) ? 8 : 0));
    key += std::to_string(f.Orientation);
    key += '\x1f';
    key += std::to_string(int(f.Charset) * 4 + int(f.Pitch));
    key += '\x1f';
    return key;
}

constexpr UINT kTextFlags = DT_BOTTOM | DT_SINGLELINE | DT_EXPANDTABS | DT_EXTERNALLEADING | DT_NOPREFIX;

TColor gHighlightBackground = clHighlight;
TColor gHighlightText = clHighlightText;
bool gMiddleEastLocale = false;

TColor TagColor(const String& value)
{
    return TColor(HtmlColorValueToColor(value));
}

// Numbers of tags are kept within +-100000 pixels, so that no position sum can overflow.
bool ValidNumber(const String& value, int& number)
{
    if (!TryStrToInt(value, number))
        return false;
    number = std::clamp(number, -100000, 100000);
    return true;
}

// Text runs up to and including a blank, or up to the next tag.
struct Run {
    size_t Length = 0; // as written
};

class Renderer {
public:
    Renderer(TCanvas* canvas, const TRect& textRect, const THtmlDrawArgs& args, THtmlDrawResult& out)
        : c_(canvas), textRect_(textRect), a_(args), out_(out)
    {
    }

    bool Render(const String& html);

private:
    // What one pass over a line has laid out so far: the text taken as written, the decoded runs,
    // the box of the next run (D) and the width of the blank that ends the last run.
    struct LineProgress {
        String taken;
        String lineSoFar;
        TRect D;
        int trailingBlank = 0;
    };
    // One pass over one line: answers the text it took and removes it from text.
    String Line(String& text, TRect R, bool measuring, bool firstPass);
    // Steps of Line. BeginLine clears the line's marks, keeps R clear of the last subscript and
    // paints the paragraph's background; NextRunLength is the length of the text run at the start
    // (up to a blank when wrapping, or up to the next tag); TakeTextRun lays out that run (measured
    // or drawn) and takes it when it fits, answering false for a hidden run (skipped whole);
    // TakeTag applies the tag at the start and takes it; EndLine sets the line's width and draws
    // the focus rectangle of a link that goes on past the line.
    void BeginLine(TRect& R, bool measuring);
    size_t NextRunLength(const String& text) const;
    bool TakeTextRun(String& text, size_t n, const TRect& R, bool measuring, bool firstPass, LineProgress& line);
    // A run measured at D (from R) with the hit point tested against it; a run drawn at D, which
    // then moves on past it. Both answer the run's width.
    int MeasureRunOnLine(const String& run, const TRect& R, TRect& D);
    int DrawRunOnLine(const String& run, const TRect& R, TRect& D);
    void TakeTag(String& text, TRect& R, LineProgress& line, bool measuring, bool firstPass);
    void EndLine(const TRect& R, const LineProgress& line, bool measuring);
    void OpeningTag(const String& text, const THtmlTagInfo& info, TRect& R, TRect& D, bool measuring,
                    bool firstPass);
    void ClosingTag(const THtmlTagInfo& info, TRect& R, TRect& D, bool measuring);
    // Steps of OpeningTag for the tags that take more than a mark: each applies its tag (tag is
    // the tag's text up to its ">") to the font, the brush, the line or the state kept for the call.
    void AnchorTag(const String& tag, const TRect& R, const TRect& D, bool drawing);
    void BodyTag(const String& tag);
    void FontTag(const String& tag, bool drawing);
    void HorizontalRuleTag(const TRect& R, const TRect& D, bool drawing);
    void IndentTag(const String& tag, TRect& D);
    void ListItemTag(TRect& D, bool drawing);
    void ParagraphTag(const String& tag, const TRect& R, bool drawing);
    void RotateTag(const String& tag);
    void ControlTag(const String& tag, TRect& R, TRect& D, bool measuring);
    void ImageTag(const String& tag, TRect& R, TRect& D, bool measuring);
    void BodyBackground(const String& source);
    THTMLPicture* FindPicture(const String& source);

    TColor BrushOrNone() const { return c_->Brush->Style == bsClear ? clNone : c_->Brush->Color; }
    void SetBrush(TColor color)
    {
        if (color == clNone) {
            c_->Brush->Style = bsClear;
        } else {
            c_->Brush->Style = bsSolid;
            c_->Brush->Color = color;
        }
    }
    void SetStyle(TFontStyle s, bool on)
    {
        if (on)
            c_->Font->Style << s;
        else
            c_->Font->Style >> s;
    }
    // Cached text metrics of the canvas font.
    const String& CurrentFontKey()
    {
        const TFont& f = *c_->Font;
        if (!(keyValid_ && f.Name == keyFont_.Name && f.Height == keyFont_.Height && f.Style == keyFont_.Style &&
              f.Orientation == keyFont_.Orientation && f.Charset == keyFont_.Charset && f.Pitch == keyFont_.Pitch)) {
            keyFont_.Name = f.Name;
            keyFont_.Height = f.Height;
            keyFont_.Style = f.Style;
            keyFont_.Orientation = f.Orientation;
            keyFont_.Charset = f.Charset;
            keyFont_.Pitch = f.Pitch;
            fontKey_ = FontKey(f);
            keyValid_ = true;
        }
        return fontKey_;
    }
    const RunMetrics& Metrics(const String& kind, const String& text, int box, UINT flags)
    {
        String key = CurrentFontKey();
        key += kind;
        if (flags & DT_END_ELLIPSIS)
            key += std::to_string(box);
        key += '\x1f';
        key += text;
        auto it = gMetrics.find(key);
        if (it != gMetrics.end())
            return it->second;
        if (gMetrics.size() >= kMaxMetrics)
            gMetrics.clear();
        RunMetrics m;
        if (kind == "h") {
            m.Height = c_->TextHeight(text);
        } else if (kind == "w") {
            m.Width = c_->TextWidth(text);
        } else {
            RECT r{0, 0, box, 0};
            ::DrawTextEx(Dc(), text.data(), int(text.size()), &r, flags | DT_CALCRECT, nullptr);
            m.Width = r.right - r.left;
            m.Height = r.bottom - r.top;
        }
        return gMetrics.emplace(std::move(key), m).first->second;
    }
    int GhHeight() { return TextHeight("gh"); }
    // a single line's height does not depend on its text
    int TextHeight(const String&) { return Metrics("h", "gh", 0, 0).Height; }
    int TextWidth(const String& text) { return Metrics("w", text, 0, 0).Width; }
    HDC Dc()
    {
        c_->RequiredState();
        return c_->Handle();
    }
    int MeasureRun(const String& run, TRect& D)
    {
        const RunMetrics& m = Metrics("c", run, std::max(0, D.Right - D.Left), flags_);
        D.Right = D.Left + m.Width;
        D.Bottom = D.Top + m.Height;
        return m.Width;
    }
    void FlushPending()
    {
        if (!pending_)
            return;
        pending_ = false;
        DrawRun(pendingText_, pendingRect_);
    }
    // The run once more in the shadow colour, moved down and right by the shadow offset.
    void DrawRunShadow(const String& run, const TRect& D)
    {
        FlushPending();
        const TColor fontColor = c_->Font->Color;
        c_->Font->Color = a_.ShadowColor;
        TRect s = D;
        s.Left += a_.ShadowOffset;
        s.Right += a_.ShadowOffset;
        s.Top += a_.ShadowOffset;
        s.Bottom += a_.ShadowOffset;
        DrawRun(run, s);
        c_->Font->Color = fontColor;
    }
    // The red zigzag of an error mark from left to right on the line base; the pen stays.
    void DrawErrorMark(int left, int right, int base)
    {
        const TColor pen = c_->Pen->Color;
        const int penWidth = c_->Pen->Width;
        c_->Pen->Color = clRed;
        c_->Pen->Width = 1;
        const int x0 = left - (((left % 2) + 2) % 2);
        int offset = (x0 % 4 != 0) ? 0 : 2;
        c_->MoveTo(x0, base + offset);
        for (int x = x0 + 2; x <= right; x += 2) {
            offset = offset ? 0 : 2;
            c_->LineTo(x, base + offset);
        }
        c_->Pen->Color = pen;
        c_->Pen->Width = penWidth;
    }
    void DrawRun(const String& run, const TRect& D)
    {
        RECT r = D;
        ::DrawText(Dc(), run.data(), int(run.size()), &r, flags_);
    }
    bool PointIn(int x, int y, int left, int top, int right, int bottom) const
    {
        return left < x && x < right && top < y && y < bottom;
    }

    TCanvas* c_;
    TRect textRect_;
    const THtmlDrawArgs& a_;
    THtmlDrawResult& out_;
    UINT flags_ = kTextFlags;
    TFont base_;
    TColor entryBrush_ = clNone;

    // state kept for the whole call
    int align_ = 0; // 0 left, 1 right, 2 centre
    int indent_ = 0;
    bool inLink_ = false;
    String linkTarget_, linkTitle_;
    int linkCounter_ = 0;
    int listLevel_ = 0;
    int pictureCounter_ = 0;
    int hoveredPicture_ = -1;
    bool hoverLinkFound_ = false;
    TRect hoverLinkRect_;
    TRect focusRect_;
    bool shadow_ = false, hidden_ = false, sub_ = false, sup_ = false;
    bool errorMark_ = false, paragraphBackground_ = false;
    TColor bodyBackground_ = clNone;
    TColor anchorBrush_ = clNone, anchorFont_ = clBlack, hiFont_ = clBlack, hiBrush_ = clNone,
           paragraphBrush_ = clNone;
    bool themed_ = false;
    int boxWidth_ = 0, boxHeight_ = 0;
    bool rotated_ = false;
    int rotatedSaved_ = 0;

    // per-line results
    int lineWidth_ = 0;
    int lineHeight_ = 0;
    int subExtra_ = 0, supExtra_ = 0, raise_ = 0;
    int gh_ = 0;
    bool linkHit_ = false;   // the point lies in a link's text (this pass)
    bool objectHit_ = false; // the point lies over a control or linked picture (this pass)
    bool lineEnded_ = false;
    bool overflow_ = false;
    bool listItemMet_ = false;
    int runningWidth_ = 0;
    bool pending_ = false;
    bool keyValid_ = false;
    TFont keyFont_;
    String fontKey_;
    String pendingText_;
    TRect pendingRect_;
};

bool Renderer::Render(const String& html)
{
    const TColor penColor = c_->Pen->Color;
    const int penWidth = c_->Pen->Width;
    const TColor brushColor = c_->Brush->Color;
    const TBrushStyle brushStyle = c_->Brush->Style;
    entryBrush_ = BrushOrNone();
    base_.Assign(c_->Font);
    TFont measureFont, drawFont;
    measureFont.Assign(c_->Font);
    drawFont.Assign(c_->Font);
    SetBrush(clNone);
    themed_ = IsThemeActive() != 0;

    out_.ControlRect = TRect(0, 0, 0, 0);
    out_.ControlValue.clear();
    out_.ControlType.clear();
    if (!a_.HitTestOnly)
        out_.ControlID.clear();
    out_.ExtentX = out_.ExtentY = out_.LinkCount = 0;
    out_.PlainText.clear();
    out_.FocusAnchor.clear();
    out_.AnchorTitle.clear();
    out_.MouseLink = -1;
    bool result = false;

    if (c_->Handle() || c_->AcquireHandle)
        ::SetBkMode(Dc(), TRANSPARENT);
    flags_ = ApplyBiDiTextFlags(kTextFlags, a_.BiDiMode);
    if (!a_.WrapWords)
        flags_ |= DT_END_ELLIPSIS;

    String text = html;
    if (text.find('&') != String::npos)
        text = DecodeFixedHtmlEntities(text);
    text = LineBreaksToBR(RemoveFieldMarks(text), true);

    TRect lineRect = textRect_;
    lineRect.Left += 1;
    while (!text.empty()) {
        const size_t before = text.size();
        c_->Font->Assign(&measureFont);
        const bool savedInLink = inLink_;
        const String savedTarget = linkTarget_, savedTitle = linkTitle_;
        sub_ = sup_ = false;
        subExtra_ = supExtra_ = raise_ = 0;
        gh_ = GhHeight();
        lineHeight_ = gh_;
        const int minHeight = gh_;
        const int savedPictures = pictureCounter_;
        const int savedLinks = linkCounter_;
        const int savedLevel = listLevel_;

        const String taken = Line(text, lineRect, true, true);

        inLink_ = savedInLink;
        linkTarget_ = savedTarget;
        linkTitle_ = savedTitle;
        measureFont.Assign(c_->Font);

        TRect aligned = lineRect;
        if (align_ == 1) {
            if (lineRect.Right - lineWidth_ > lineRect.Left)
                aligned.Left = lineRect.Right - lineWidth_;
        } else if (align_ == 2) {
            if (lineRect.Right - lineRect.Left - lineWidth_ > 0)
                aligned.Left = lineRect.Left + (lineRect.Right - lineRect.Left - lineWidth_) / 2;
        }
        aligned.Left += indent_;
        aligned.Bottom = aligned.Top + lineHeight_ + subExtra_ + supExtra_;

        if (!a_.MeasureOnly) {
            c_->Font->Assign(&drawFont);
            linkCounter_ = savedLinks;
            listLevel_ = savedLevel;
            pictureCounter_ = savedPictures;
            String again = taken;
            Line(again, aligned, a_.HitTestOnly, false);
            if (objectHit_)
                result = true;
            if (linkHit_ && aligned.Bottom - raise_ - gh_ < a_.HitY && a_.HitY < aligned.Bottom - raise_)
                result = true;
            drawFont.Assign(c_->Font);
        }

        const int step = lineHeight_ + subExtra_ + supExtra_;
        lineRect.Top += step;
        out_.ExtentY += step;
        if (!a_.MeasureOnly && lineRect.Top + minHeight > lineRect.Bottom)
            text.clear();
        if (text.size() >= before)
            break; // nothing was taken: the rest cannot be laid out
    }
    if (out_.ExtentY == 0) {
        c_->Font->Assign(&base_);
        out_.ExtentY = GhHeight();
    }
    out_.LinkCount = linkCounter_;
    c_->Pen->Color = penColor;
    c_->Pen->Width = penWidth;
    c_->Brush->Color = brushColor;
    c_->Brush->Style = brushStyle;
    c_->Font->Assign(&base_);
    return a_.MeasureOnly ? false : result;
}

String Renderer::Line(String& text, TRect R, bool measuring, bool firstPass)
{
    LineProgress line;
    line.D = R;
    BeginLine(R, measuring);
    while (!text.empty() && !lineEnded_ && !overflow_) {
        const size_t n = NextRunLength(text);
        if (n > 0 && !TakeTextRun(text, n, R, measuring, firstPass, line))
            continue;
        if (!text.empty() && text[0] == '<' && text.size() <= 2)
            text.clear();
        if (lineEnded_ || text.empty() || text[0] != '<' || text.size() < 3)
            continue;
        TakeTag(text, R, line, measuring, firstPass);
    }
    EndLine(R, line, measuring);
    return line.taken;
}

void Renderer::BeginLine(TRect& R, bool measuring)
{
    runningWidth_ = 0;
    lineEnded_ = false;
    overflow_ = false;
    listItemMet_ = false;
    linkHit_ = false;
    objectHit_ = false;
    R.Bottom -= subExtra_;
    if (paragraphBackground_ && !measuring) {
        const TColor pen = c_->Pen->Color;
        c_->Pen->Color = c_->Brush->Color;
        c_->Rectangle(textRect_.Left, R.Top, textRect_.Right, R.Top + lineHeight_);
        c_->Pen->Color = pen;
    }
}

size_t Renderer::NextRunLength(const String& text) const
{
    const size_t lt = text.find('<');
    const size_t blank = a_.WrapWords ? text.find(' ') : String::npos;
    if (lt == String::npos || (blank != String::npos && blank < lt))
        return blank == String::npos ? text.size() : blank + 1;
    return lt;
}

bool Renderer::TakeTextRun(String& text, size_t n, const TRect& R, bool measuring, bool firstPass, LineProgress& line)
{
    const String written = text.substr(0, n);
    const String run = DecodeTextRunEntities(written);
    const int h = TextHeight(run);
    if (sub_)
        subExtra_ = std::max(subExtra_, h / 4);
    if (sup_)
        supExtra_ = std::max(supExtra_, h / 4);
    lineHeight_ = std::max(lineHeight_, h);
    if (firstPass)
        out_.PlainText += run;
    if (hidden_) {
        text.erase(0, n);
        return false;
    }
    const int w = measuring ? MeasureRunOnLine(run, R, line.D) : DrawRunOnLine(run, R, line.D);
    const int width = R.Right - R.Left;
    const bool fits = runningWidth_ < width || w >= width || (!line.lineSoFar.empty() && line.lineSoFar.back() != ' ');
    const bool firstText = line.lineSoFar.empty();
    line.lineSoFar += run;
    if (fits || !a_.WrapWords) {
        line.taken += written;
        text.erase(0, n);
        if (measuring && !fits && !firstText)
            text.clear();
        line.trailingBlank = (run.size() >= n && run[n - 1] == ' ') ? TextWidth(" ") : 0;
    } else {
        lineEnded_ = true;
        runningWidth_ -= w;
    }
    return true;
}

int Renderer::MeasureRunOnLine(const String& run, const TRect& R, TRect& D)
{
    D = R;
    const int w = MeasureRun(run, D);
    runningWidth_ += w;
    const bool rtl = (flags_ & DT_RTLREADING) != 0;
    const int x = rtl ? (R.Right - a_.HitX) - D.Left : a_.HitX - D.Left;
    const int lineBottom = R.Top + lineHeight_ + subExtra_ + supExtra_;
    if (x >= runningWidth_ - w && runningWidth_ >= x && inLink_ && a_.HitY < lineBottom) {
        linkHit_ = true;
        if (R.Top < a_.HitY) {
            out_.AnchorUnderPoint = linkTarget_;
            out_.AnchorTitle = linkTitle_;
            hoverLinkFound_ = true;
        }
    }
    return w;
}

int Renderer::DrawRunOnLine(const String& run, const TRect& R, TRect& D)
{
    const bool rtl = (flags_ & DT_RTLREADING) != 0;
    if (sup_)
        D.Bottom -= supExtra_;
    if (sub_)
        D.Bottom += subExtra_;
    D.Bottom -= raise_;
    if (shadow_)
        DrawRunShadow(run, D);
    // runs in one state are drawn together (one text call instead of one per word)
    const bool plain = !shadow_ && !errorMark_ && !rtl && !(flags_ & DT_END_ELLIPSIS);
    if (plain) {
        if (!pending_) {
            pending_ = true;
            pendingRect_ = D;
            pendingText_.clear();
        }
        pendingText_ += run;
    } else {
        FlushPending();
        DrawRun(run, D);
    }
    const int right = D.Right;
    const int w = MeasureRun(run, D);
    if (inLink_ && linkCounter_ == a_.FocusLink + 1)
        out_.FocusAnchor = linkTarget_;
    if (errorMark_)
        DrawErrorMark(D.Left, D.Right, R.Bottom - 1);
    if (rtl) {
        D.Right = right - w;
    } else {
        D.Left = D.Right;
        D.Right = R.Right;
    }
    D.Top = R.Top;
    D.Bottom = R.Bottom;
    return w;
}

void Renderer::TakeTag(String& text, TRect& R, LineProgress& line, bool measuring, bool firstPass)
{
    FlushPending();
    const THtmlTagInfo info = IdentifyHtmlTag(text);
    if (text[1] == '/' && text.size() > 3)
        ClosingTag(info, R, line.D, measuring);
    else if (!info.Closing)
        OpeningTag(text, info, R, line.D, measuring, firstPass);
    if (overflow_)
        return;
    const size_t gt = text.find('>');
    if (gt != String::npos) {
        line.taken += text.substr(0, gt + 1);
        text.erase(0, gt + 1);
    } else {
        text.clear();
    }
}

void Renderer::EndLine(const TRect& R, const LineProgress& line, bool measuring)
{
    FlushPending();
    runningWidth_ -= line.trailingBlank;
    out_.ExtentX = std::max(out_.ExtentX, runningWidth_);
    lineWidth_ = runningWidth_;
    if (inLink_ && linkCounter_ == a_.FocusLink + 1 && !measuring) {
        focusRect_.Right = line.D.Left;
        focusRect_.Bottom = line.D.Bottom;
        focusRect_.Left -= 1;
        focusRect_.Right += 1;
        c_->DrawFocusRect(focusRect_);
        focusRect_.Left = R.Left + 1;
        focusRect_.Top = focusRect_.Bottom;
    }
}

// The text of a tag up to its ">" (all of the text when it has none).
String TagText(const String& text)
{
    const size_t gt = text.find('>');
    return gt == String::npos ? text : text.substr(0, gt + 1);
}

void Renderer::OpeningTag(const String& text, const THtmlTagInfo& info, TRect& R, TRect& D, bool measuring,
                          bool firstPass)
{
    const bool drawing = !measuring;
    const String tag = TagText(text);
    switch (info.Tag) {
    case THtmlTag::Anchor: AnchorTag(tag, R, D, drawing); break;
    case THtmlTag::Bold: SetStyle(fsBold, true); break;
    case THtmlTag::LineBreak:
        lineEnded_ = true;
        if (firstPass)
            out_.PlainText += '\r';
        break;
    case THtmlTag::Blink:
        if (!a_.BlinkVisible)
            c_->Font->Color = entryBrush_ == clNone ? clWhite : entryBrush_;
        break;
    case THtmlTag::Body:
        if (drawing)
            BodyTag(tag);
        break;
    case THtmlTag::Control: ControlTag(tag, R, D, measuring); break;
    case THtmlTag::ErrorMark:
        if (drawing)
            errorMark_ = true;
        break;
    case THtmlTag::Font:
        if (text.find('>') != String::npos)
            FontTag(tag, drawing);
        break;
    case THtmlTag::Highlight:
        if (drawing) {
            hiFont_ = c_->Font->Color;
            hiBrush_ = BrushOrNone();
            SetBrush(gHighlightBackground);
            c_->Font->Color = gHighlightText;
        }
        break;
    case THtmlTag::HorizontalRule: HorizontalRuleTag(R, D, drawing); break;
    case THtmlTag::Italic: SetStyle(fsItalic, true); break;
    case THtmlTag::Indent: IndentTag(tag, D); break;
    case THtmlTag::Image: ImageTag(tag, R, D, measuring); break;
    case THtmlTag::ListItem: ListItemTag(D, drawing); break;
    case THtmlTag::Paragraph: ParagraphTag(tag, R, drawing); break;
    case THtmlTag::Rotate: RotateTag(tag); break;
    case THtmlTag::Strike: SetStyle(fsStrikeOut, true); break;
    case THtmlTag::Shadow: shadow_ = true; break;
    case THtmlTag::Subscript: sub_ = true; break;
    case THtmlTag::Superscript: sup_ = true; break;
    case THtmlTag::Underline: SetStyle(fsUnderline, true); break;
    case THtmlTag::List:
        ++listLevel_;
        lineEnded_ = true;
        break;
    case THtmlTag::Hidden: hidden_ = true; break;
    default: break;
    }
}

void Renderer::AnchorTag(const String& tag, const TRect& R, const TRect& D, bool drawing)
{
    if (a_.FocusLink == linkCounter_ && drawing) {
        focusRect_.Left = D.Left;
        focusRect_.Top = D.Top;
    }
    ++linkCounter_;
    if ((!a_.UnderlineOnHover || a_.HoverLink == linkCounter_) && drawing) {
        SetStyle(fsUnderline, true);
        if (a_.HoverBrushColor != clNone) {
            anchorBrush_ = BrushOrNone();
            SetBrush(a_.HoverBrushColor);
        }
        if (a_.HoverFontColor != clNone) {
            anchorFont_ = c_->Font->Color;
            c_->Font->Color = a_.HoverFontColor;
        }
    }
    if (!a_.KeepColors && (a_.HoverFontColor == clNone || a_.HoverLink != linkCounter_ || !a_.UnderlineOnHover))
        c_->Font->Color = a_.LinkColor;
    const String upper = UpperCase(tag);
    if (upper.find("HREF") != String::npos) {
        linkTarget_ = HtmlTagAttribute(tag, "HREF");
        inLink_ = true;
    }
    if (upper.find("TITLE") != String::npos)
        linkTitle_ = HtmlTagAttribute(tag, "TITLE");
    hoverLinkRect_.Left = R.Left + runningWidth_;
    hoverLinkRect_.Top = R.Top;
}

void Renderer::BodyTag(const String& tag)
{
    const String background = HtmlTagAttribute(tag, "BACKGROUND");
    if (!background.empty())
        BodyBackground(background);
    const String color = HtmlTagAttribute(tag, "BGCOLOR");
    if (color.empty())
        return;
    if (color.find("CL") != String::npos)
        SetBrush(TColor(HtmlColorNameToColor(color)));
    if (color.find('#') != String::npos)
        SetBrush(TColor(HexColorToColor(color)));
    bodyBackground_ = BrushOrNone();
    const TColor pen = c_->Pen->Color;
    c_->Pen->Color = c_->Brush->Color;
    c_->Rectangle(textRect_);
    c_->Pen->Color = pen;
}

void Renderer::FontTag(const String& tag, bool drawing)
{
    const String face = HtmlTagAttribute(tag, "FACE");
    if (!face.empty())
        c_->Font->Name = face;
    const String color = HtmlTagAttribute(tag, " COLOR");
    if (!color.empty() && !a_.KeepColors)
        c_->Font->Color = TagColor(color);
    const String background = HtmlTagAttribute(tag, "BGCOLOR");
    if (!background.empty() && drawing && !a_.KeepColors) {
        bodyBackground_ = BrushOrNone();
        SetBrush(TagColor(background));
    }
    int size = 0;
    if (ValidNumber(HtmlTagAttribute(tag, "SIZE"), size) && size > 0)
        c_->Font->SetSize(std::min(HtmlFontSizeToPoints(size), 400));
}

void Renderer::HorizontalRuleTag(const TRect& R, const TRect& D, bool drawing)
{
    lineEnded_ = true;
    if (!drawing)
        return;
    const TColor pen = c_->Pen->Color;
    c_->Pen->Color = clBlack;
    c_->MoveTo(R.Left, D.Bottom + 1);
    c_->LineTo(R.Right, D.Bottom + 1);
    c_->Pen->Color = pen;
}

void Renderer::IndentTag(const String& tag, TRect& D)
{
    int x = 0;
    if (ValidNumber(HtmlTagAttribute(tag, "X"), x) && runningWidth_ < x) {
        runningWidth_ = x;
        D.Left = textRect_.Left + x;
    }
}

void Renderer::ListItemTag(TRect& D, bool drawing)
{
    runningWidth_ += 12 * listLevel_;
    if (listItemMet_) {
        overflow_ = true;
        return;
    }
    listItemMet_ = true;
    D.Left += 12 * (listLevel_ - 1);
    if (drawing) {
        const String name = c_->Font->Name;
        c_->Font->Name = "Symbol";
        const String bullet = (listLevel_ % 2 == 1) ? String(1, '\xB7') : String("o");
        RECT r = D;
        ::DrawText(Dc(), bullet.data(), 1, &r, 0);
        c_->Font->Name = name;
    }
    D.Left += 12;
}

void Renderer::ParagraphTag(const String& tag, const TRect& R, bool drawing)
{
    const String alignment = HtmlTagAttribute(tag, "ALIGN");
    if (alignment.find("RIGHT") != String::npos)
        align_ = 1;
    if (alignment.find("LEFT") != String::npos)
        align_ = 0;
    if (alignment.find("CENTER") != String::npos)
        align_ = 2;
    int indent = 0;
    if (ValidNumber(HtmlTagAttribute(tag, "INDENT"), indent))
        indent_ = indent;
    if (UpperCase(tag).find("BGCOLOR") == String::npos)
        return;
    const String value = HtmlTagAttribute(tag, "BGCOLOR");
    const TColor color = value.empty() ? clNone : TagColor(value);
    if (!drawing)
        return;
    paragraphBackground_ = true;
    paragraphBrush_ = BrushOrNone();
    SetBrush(color);
    if (color != clNone) {
        c_->Pen->Color = color;
        c_->Rectangle(textRect_.Left, R.Top, textRect_.Right, R.Bottom);
    }
}

void Renderer::RotateTag(const String& tag)
{
    int angle = 0;
    if (!ValidNumber(HtmlTagAttribute(tag, "A"), angle))
        return;
    if (!rotated_)
        rotatedSaved_ = c_->Font->Orientation;
    rotated_ = true;
    c_->Font->Orientation = (angle % 360) * 10;
}

void Renderer::ClosingTag(const THtmlTagInfo& info, TRect& R, TRect& D, bool measuring)
{
    const bool drawing = !measuring;
    switch (info.Tag) {
    case THtmlTag::Anchor:
        if (!(a_.UnderlineOnHover && a_.HoverLink != linkCounter_) && drawing) {
            SetStyle(fsUnderline, false);
            if (a_.HoverBrushColor != clNone)
                SetBrush(anchorBrush_);
            if (a_.HoverFontColor != clNone)
                c_->Font->Color = anchorFont_;
        }
        if (!a_.KeepColors)
            c_->Font->Color = base_.Color;
        inLink_ = false;
        if (hoverLinkFound_) {
            hoverLinkRect_.Right = R.Left + runningWidth_;
            hoverLinkRect_.Bottom = R.Bottom;
            if (hoverLinkRect_.Top != R.Top) {
                hoverLinkRect_.Left = R.Left;
                hoverLinkRect_.Top = R.Top;
            }
            out_.HoverRect = hoverLinkRect_;
            out_.MouseLink = linkCounter_;
            hoverLinkFound_ = false;
        }
        if (linkCounter_ == a_.FocusLink + 1) {
            focusRect_.Right = D.Left;
            focusRect_.Bottom = D.Bottom - raise_;
            focusRect_.Top = focusRect_.Bottom - gh_;
            focusRect_.Left -= 1;
            focusRect_.Right += 1;
            if (drawing)
                c_->DrawFocusRect(focusRect_);
        }
        break;
    case THtmlTag::Bold: SetStyle(fsBold, false); break;
    case THtmlTag::ColorReset: c_->Font->Color = base_.Color; break;
    case THtmlTag::ErrorMark:
        if (drawing)
            errorMark_ = false;
        break;
    case THtmlTag::Font:
        c_->Font->Name = base_.Name;
        c_->Font->Height = base_.Height;
        if (drawing && !a_.KeepColors) {
            c_->Font->Color = base_.Color;
            SetBrush(bodyBackground_);
        }
        break;
    case THtmlTag::Highlight:
        if (drawing) {
            c_->Font->Color = hiFont_;
            SetBrush(hiBrush_);
        }
        break;
    case THtmlTag::Italic: SetStyle(fsItalic, false); break;
    case THtmlTag::ListItem: lineEnded_ = true; break;
    case THtmlTag::Paragraph:
        lineEnded_ = true;
        if (drawing) {
            SetBrush(paragraphBrush_);
            paragraphBackground_ = false;
        }
        break;
    case THtmlTag::Rotate:
        if (rotated_)
            c_->Font->Orientation = rotatedSaved_;
        rotated_ = false;
        break;
    case THtmlTag::Subscript: sub_ = sup_ = false; break;
    case THtmlTag::Shadow: shadow_ = false; break;
    case THtmlTag::Strike: SetStyle(fsStrikeOut, false); break;
    case THtmlTag::Underline: SetStyle(fsUnderline, false); break;
    case THtmlTag::List:
        if (listLevel_ > 0)
            --listLevel_;
        else
            SetStyle(fsUnderline, false);
        break;
    case THtmlTag::Hidden: hidden_ = false; break;
    default: break;
    }
}

void Renderer::ControlTag(const String& tag, TRect& R, TRect& D, bool measuring)
{
    const size_t gt = tag.find('>');
    const String attributes = tag.size() > 8 ? tag.substr(8, gt == String::npos ? String::npos : gt - 8) : String();
    const THtmlControlTag ctl = ParseControlTag("CONTROL " + attributes);
    int H = 25;
    if (!ValidNumber(ctl.Height, H))
        H = 25;
    if (ctl.Width.empty())
        return;
    int W = 0;
    if (ValidNumber(ctl.Width, W)) {
        W = std::max(W, 0);
        boxWidth_ = W;
        boxHeight_ = GhHeight() + 10;
    }
    const String type = UpperCase(ctl.Type);
    lineHeight_ = (type == "CHECK" || type == "RADIO") ? 16 : 23;
    if (H > 25)
        lineHeight_ = H - 2;
    if (!measuring) {
        const TColor frame = themed_ ? TColor(0xB99D7F) : TColor(0x808080);
        const int b = D.Bottom, lh = lineHeight_, x = D.Left;
        const int X = a_.HitX, Y = a_.HitY;
        auto themedPart = [&](const char16_t* cls, int part, int state, const TRect& r) {
            HTHEME theme = OpenThemeData(a_.ThemeWindow, cls);
            RECT rr = r;
            DrawThemeBackground(theme, Dc(), part, state, &rr, nullptr);
            CloseThemeData(theme);
        };
        auto frameControl = [&](const TRect& r, UINT kind, UINT state) {
            RECT rr = r;
            DrawFrameControl(Dc(), &rr, kind, state);
        };
        if (type == "EDIT" || type == "PASSWORD" || type == "MASK" || type == "COMBO") {
            SetBrush(clWhite);
            c_->Pen->Color = frame;
            c_->Rectangle(x, b - lh + 4, x + W, b + 2);
            SetBrush(clNone);
            const String value = type == "PASSWORD" ? MaskText(ctl.Value) : ctl.Value;
            RECT r = type == "COMBO" ? RECT{x + 4, b - lh + 4, x + W - 18, b} : RECT{x + 2, b - lh + 4, x + W, b};
            ::DrawText(Dc(), value.data(), int(value.size()), &r, DT_SINGLELINE | DT_VCENTER);
            if (type == "COMBO") {
                const TRect button(x + W - 18, b - lh + 5, x + W - 1, b + 1);
                if (themed_) {
                    const bool hot = x - 2 < X && X < x + boxWidth_ - 2 && b - boxHeight_ - 2 < Y && Y < b - 2;
                    themedPart(u"combobox", 1, hot ? 2 : 1, button);
                } else {
                    frameControl(button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX);
                }
            }
        } else if (type == "CHECK" || type == "RADIO") {
            boxWidth_ = boxHeight_ = W = 16;
            SetBrush(clNone);
            const bool check = type == "CHECK";
            const TRect r = check ? TRect(x + 2, b - 15, x + 15, b) : TRect(x + 2, b - 14, x + 14, b);
            const bool checked = UpperCase(ctl.Value) == "TRUE";
            if (themed_)
                themedPart(u"button", check ? 3 : 2, checked ? 5 : 1, r);
            else
                frameControl(r, DFC_BUTTON, (check ? 0x4000u : 0x4004u) | (checked ? 0x400u : 0u));
        } else if (type == "BUTTON") {
            boxHeight_ = 24;
            TRect r(x + 2, b - H, x + W - 2, b);
            const bool hot = x - 2 < X && X < x + boxWidth_ - 2 && b - boxHeight_ - 2 < Y && Y < b - 2;
            if (themed_)
                themedPart(u"button", 1, a_.ControlDown ? 3 : hot ? 2 : 1, r);
            else
                frameControl(r, DFC_BUTTON, (hot && a_.ControlDown) ? 0x210u : 0x10u);
            RECT inner{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
            ::DrawText(Dc(), ctl.Value.data(), int(ctl.Value.size()), &inner, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        }
    }
    if (type == "BUTTON" || type == "COMBO")
        boxHeight_ = 25;
    if (type == "CHECK" || type == "RADIO")
        boxWidth_ = boxHeight_ = 16;
    const int px = a_.HitX - R.Left;
    if ((runningWidth_ < px && px < runningWidth_ + boxWidth_ && D.Top < a_.HitY && a_.HitY < D.Top + boxHeight_) ||
        (a_.HitTestOnly && ctl.ID == out_.ControlID)) {
        objectHit_ = true;
        out_.AnchorUnderPoint = "ctrl";
        out_.ControlRect =
            TRect(R.Left + runningWidth_, D.Top, R.Left + runningWidth_ + boxWidth_, D.Top + boxHeight_);
        out_.ControlValue = ctl.Value;
        out_.ControlID = ctl.ID;
        out_.ControlType = type;
    }
    const int width = R.Right - R.Left;
    if (width < runningWidth_ + boxWidth_ && boxWidth_ < width) {
        overflow_ = true;
    } else {
        runningWidth_ += boxWidth_;
        D.Left += boxWidth_;
        lineHeight_ = std::max(lineHeight_, boxHeight_);
    }
}

THTMLPicture* Renderer::FindPicture(const String& source)
{
    if (source.find(':') == String::npos)
        return a_.Pictures ? a_.Pictures->PictureByName(source) : nullptr;
    if (source.find("://") == String::npos || !a_.PictureCache)
        return nullptr;
    THTMLPicture* picture = a_.PictureCache->FindPicture(source);
    if (!picture) {
        THTMLPicture* added = a_.PictureCache->AddPicture();
        added->Asynch = false;
        try {
            added->LoadFromURL(source);
        } catch (const std::exception&) {
            // bytes that are no picture: the picture stays without an image and draws nothing
        }
        picture = a_.PictureCache->FindPicture(source);
    }
    return picture;
}

// The value of an attribute in the letter case it was written in.
String AttributeAsWritten(const String& tag, const String& name)
{
    const String upperTag = UpperCase(tag);
    const String upperValue = HtmlTagAttribute(tag, name);
    if (upperValue.empty())
        return upperValue;
    // the value stands in the tag at the same place in both letter cases
    const size_t at = upperTag.find(UpperCase(name), 2);
    if (at == String::npos)
        return upperValue;
    const size_t q = upperTag.find('"', at + name.size());
    if (q == String::npos || upperTag.compare(q + 1, upperValue.size(), upperValue) != 0)
        return upperValue;
    return tag.substr(q + 1, upperValue.size());
}

void Renderer::ImageTag(const String& tag, TRect& R, TRect& D, bool measuring)
{
    ++pictureCounter_;
    String source = AttributeAsWritten(tag, "SRC");
    const String alt = AttributeAsWritten(tag, "ALT");
    if (!alt.empty() && hoveredPicture_ == pictureCounter_)
        source = alt;
    int W = 0, H = 0;
    if (!ValidNumber(HtmlTagAttribute(tag, "WIDTH"), W))
        W = 0;
    if (!ValidNumber(HtmlTagAttribute(tag, "HEIGHT"), H))
        H = 0;
    W = std::clamp(W, 0, 32767);
    H = std::clamp(H, 0, 32767);
    boxWidth_ = boxHeight_ = 0;
    const int dpiX = GetDeviceCaps(Dc(), LOGPIXELSX), dpiY = GetDeviceCaps(Dc(), LOGPIXELSY);
    const String upper = UpperCase(source);
    if (upper.find("IDX:") != String::npos) {
        int n = -1;
        if (!ValidNumber(Trim(source.substr(std::min<size_t>(4, source.size()))), n))
            n = -1;
        if (a_.Images && n >= 0 && n < a_.Images->Count()) {
            boxWidth_ = MulDiv(a_.Images->Width(), dpiX, 96);
            boxHeight_ = MulDiv(a_.Images->Height(), dpiY, 96);
            if (!measuring) {
                if (!a_.ScaleImages) {
                    a_.Images->Draw(c_, D.Left, D.Top, n, true);
                } else {
                    TBitmap bitmap;
                    a_.Images->GetBitmap(n, &bitmap);
                    StretchDrawBitmapDIB(c_,
                                         TRect(D.Left, D.Top, D.Left + int(std::lround(a_.Images->Width() * a_.ImageScale)),
                                               D.Top + int(std::lround(a_.Images->Height() * a_.ImageScale))),
                                         &bitmap);
                }
            }
        }
    } else if (upper.find("SSYS:") != String::npos || upper.find("LSYS:") != String::npos) {
        const bool large = upper.find("LSYS:") != String::npos;
        const TSize size = DrawSystemIcon(c_, D.Left, D.Top, a_.ImageScale, a_.ScaleImages, !measuring, large,
                                          source.substr(std::min<size_t>(5, source.size())));
        boxWidth_ = MulDiv(size.cx, dpiX, 96);
        boxHeight_ = MulDiv(size.cy, dpiY, 96);
    } else if (THTMLPicture* picture = FindPicture(source); picture && !picture->Empty()) {
        int w = picture->Width(), h = picture->Height();
        if (W > 0 && H > 0) {
            w = W;
            h = H;
        } else if (W > 0 && w > 0) {
            h = int(std::nearbyint(double(picture->Height()) * W / w));
            w = W;
        } else if (H > 0 && h > 0) {
            w = int(std::nearbyint(double(picture->Width()) * H / h));
            h = H;
        }
        const bool sized = W > 0 || H > 0;
        if (!measuring) {
            if (sized) {
                picture->Stretch = true;
                picture->Draw(c_, TRect(D.Left, D.Top, D.Left + w, D.Top + h));
            } else {
                if (picture->FrameCount() > 1 && entryBrush_ != clNone) {
                    const TColor pen = c_->Pen->Color;
                    const TColor brush = BrushOrNone();
                    c_->Pen->Color = entryBrush_;
                    SetBrush(entryBrush_);
                    c_->Rectangle(D.Left, D.Top, D.Left + picture->MaxWidth(), D.Top + picture->MaxHeight());
                    c_->Pen->Color = pen;
                    SetBrush(brush);
                }
                const int x = D.Left + picture->FrameLeft(), y = D.Top + picture->FrameTop();
                picture->Draw(c_, TRect(x, y, x + picture->Width(), y + picture->Height()));
            }
        }
        boxWidth_ = MulDiv(sized ? w : picture->MaxWidth(), dpiX, 96);
        boxHeight_ = MulDiv(sized ? h : picture->MaxHeight(), dpiY, 96);
    }
    const int px = a_.HitX - R.Left;
    if (runningWidth_ < px && px < runningWidth_ + boxWidth_ && D.Top < a_.HitY && a_.HitY < D.Top + boxHeight_ &&
        inLink_) {
        objectHit_ = true;
        out_.AnchorUnderPoint = linkTarget_;
        out_.AnchorTitle = linkTitle_;
        hoveredPicture_ = pictureCounter_;
    }
    const int width = R.Right - R.Left;
    if (width < runningWidth_ + boxWidth_ && boxWidth_ < width) {
        overflow_ = true;
    } else {
        runningWidth_ += boxWidth_;
        D.Left += boxWidth_;
        lineHeight_ = std::max(lineHeight_, boxHeight_);
    }
    const String upperTag = UpperCase(tag);
    if (upperTag.find("\"TOP") != String::npos) {
        raise_ = lineHeight_ - gh_;
    } else if (upperTag.find("\"MIDDLE") != String::npos) {
        raise_ = std::max(0, (lineHeight_ - gh_) / 2);
    }
}

void Renderer::BodyBackground(const String& source)
{
    THTMLPicture* picture = nullptr;
    if (source.find(':') == String::npos)
        picture = a_.Pictures ? a_.Pictures->PictureByName(source) : nullptr;
    else if (source.find("://") != String::npos)
        picture = FindPicture(source);
    if (!picture || picture->Empty() || picture->Width() <= 0 || picture->Height() <= 0)
        return;
    const int w = picture->Width(), h = picture->Height();
    HDC dc = Dc();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, textRect_.Left, textRect_.Top, textRect_.Right, textRect_.Bottom);
    for (int i = 0; i * w < textRect_.Right - textRect_.Left; ++i)
        for (int j = 0; j * h < textRect_.Bottom - textRect_.Top; ++j) {
            const int x = textRect_.Left + i * w, y = textRect_.Top + j * h;
            picture->Draw(c_, TRect(x, y, x + w, y + h));
        }
    RestoreDC(dc, saved);
}

} // namespace

bool DrawHtml(TCanvas* Canvas, const String& HtmlText, const TRect& TextRect, const THtmlDrawArgs& Args,
              THtmlDrawResult& Result)
{
    if (!Canvas)
        return false;
    Renderer renderer(Canvas, TextRect, Args, Result);
    return renderer.Render(HtmlText);
}

bool DrawHtmlText(TCanvas* Canvas, const String& HtmlText, const TRect& TextRect, THtmlImages* Images, int HitX,
                  int HitY, int FocusLink, int HoverLink, int ShadowOffset, bool HitTestOnly, bool MeasureOnly,
                  bool ScaleImages, bool KeepColors, bool BlinkVisible, bool UnderlineOnHover, bool WrapWords,
                  bool ControlDown, double ImageScale, TColor LinkColor, TColor HoverBrushColor,
                  TColor HoverFontColor, TColor ShadowColor, String& AnchorUnderPoint, String& PlainText,
                  String& FocusAnchor, String& AnchorTitle, int& ExtentX, int& ExtentY, int& LinkCount,
                  int& MouseLink, TRect& HoverRect, TRect& ControlRect, String& ControlID, String& ControlValue,
                  String& ControlType, THTMLPictureCache* PictureCache, TPictureContainer* Pictures,
                  HWND ThemeWindow, int BiDiMode)
{
    THtmlDrawArgs args;
    args.Images = Images;
    args.HitX = HitX;
    args.HitY = HitY;
    args.FocusLink = FocusLink;
    args.HoverLink = HoverLink;
    args.ShadowOffset = ShadowOffset;
    args.HitTestOnly = HitTestOnly;
    args.MeasureOnly = MeasureOnly;
    args.ScaleImages = ScaleImages;
    args.KeepColors = KeepColors;
    args.BlinkVisible = BlinkVisible;
    args.UnderlineOnHover = UnderlineOnHover;
    args.WrapWords = WrapWords;
    args.ControlDown = ControlDown;
    args.ImageScale = ImageScale;
    args.LinkColor = LinkColor;
    args.HoverBrushColor = HoverBrushColor;
    args.HoverFontColor = HoverFontColor;
    args.ShadowColor = ShadowColor;
    args.PictureCache = PictureCache;
    args.Pictures = Pictures;
    args.ThemeWindow = ThemeWindow;
    args.BiDiMode = BiDiMode;
    THtmlDrawResult r;
    r.AnchorUnderPoint = AnchorUnderPoint;
    r.HoverRect = HoverRect;
    r.ControlID = ControlID;
    const bool hit = DrawHtml(Canvas, HtmlText, TextRect, args, r);
    AnchorUnderPoint = r.AnchorUnderPoint;
    PlainText = r.PlainText;
    FocusAnchor = r.FocusAnchor;
    AnchorTitle = r.AnchorTitle;
    ExtentX = r.ExtentX;
    ExtentY = r.ExtentY;
    LinkCount = r.LinkCount;
    MouseLink = r.MouseLink;
    HoverRect = r.HoverRect;
    ControlRect = r.ControlRect;
    ControlID = r.ControlID;
    ControlValue = r.ControlValue;
    ControlType = r.ControlType;
    return hit;
}

void SetHtmlHighlightColors(TColor Background, TColor Text)
{
    gHighlightBackground = Background;
    gHighlightText = Text;
}

void SetHtmlMiddleEastLocaleForTest(bool On)
{
    gMiddleEastLocale = On;
}

UINT ApplyBiDiTextFlags(UINT Flags, int BiDiMode)
{
    if (!gMiddleEastLocale)
        return Flags;
    if (BiDiMode == 1) {
        if (Flags & DT_RIGHT)
            Flags &= ~UINT(DT_RIGHT);
        else if (!(Flags & DT_CENTER))
            Flags |= DT_RIGHT;
    }
    if (BiDiMode != 0)
        Flags |= DT_RTLREADING;
    return Flags;
}

TSize DrawSystemIcon(TCanvas* Canvas, int X, int Y, double Scale, bool Stretch, bool Draw, bool Large,
                     const String& Name)
{
    // a file's icon (by its kind; a missing file by its name) or an index into the list
    int index = 0;
    if (!Name.empty() && !ValidNumber(Name, index)) {
        struct stat st {};
        const bool exists = stat(Name.c_str(), &st) == 0;
        SHFILEINFO info;
        SHGetFileInfo(Name.c_str(), 0, &info, sizeof info,
                      SHGFI_SYSICONINDEX | (exists ? 0 : SHGFI_USEFILEATTRIBUTES));
        index = info.iIcon;
    }
    SHFILEINFO listInfo;
    auto* list = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfo("", 0, &listInfo, sizeof listInfo, SHGFI_SYSICONINDEX | (Large ? 0 : SHGFI_SMALLICON)));
    int w = 0, h = 0;
    ImageList_GetIconSize(list, &w, &h);
    if (Draw && Canvas) {
        Canvas->RequiredState();
        if (!Stretch) {
            ImageList_Draw(list, index, Canvas->Handle(), X, Y, ILD_TRANSPARENT);
        } else {
            TBitmap bitmap;
            bitmap.SetSize(w, h);
            ImageList_Draw(list, index, bitmap.Canvas()->Handle(), 0, 0, ILD_NORMAL);
            StretchDrawBitmapDIB(Canvas,
                                 TRect(X, Y, X + int(std::lround(w * Scale)), Y + int(std::lround(h * Scale))),
                                 &bitmap);
        }
    }
    return TSize{w, h};
}

void StretchDrawBitmapDIB(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap)
{
    if (Canvas && Bitmap && !Bitmap->Empty())
        Canvas->StretchDraw(Rect, Bitmap);
}

bool DirExists(const String& Path)
{
    struct stat st {};
    return !Path.empty() && stat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
