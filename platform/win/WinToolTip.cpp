#include "platform/win/WinToolTip.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kPopTimer = 2;

// geometry of the look, in pixels
constexpr int kPlainPadX = 4, kPlainPadY = 2;
constexpr int kBalloonPadX = 10, kBalloonPadY = 8;
constexpr int kCorner = 8;        // radius of the balloon's corners
constexpr int kStemHeight = 14;   // from the point to the body
constexpr int kStemBase = 16;     // the stem's width where it meets the body
constexpr int kStemInset = 16;    // the point lies this far right of the body's left edge
constexpr int kIconSide = 16;
constexpr int kIconGap = 6;       // between the icon and the title
constexpr int kTitleGap = 6;      // between the title row and the text
constexpr int kCursorHeight = 20; // a plain tip shows this far below the mouse

// The windows CreateWindowEx made that are not destroyed yet; a handle not in here is never
// touched.
std::set<const QWidget*>& CreatedWindows()
{
    static std::set<const QWidget*> windows;
    return windows;
}

QColor QColorOf(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

QFont DefaultTipFont()
{
    FontObject f;
    f.font.lfHeight = -11; // 8 points at 96 pixels per inch
    std::strcpy(f.font.lfFaceName, "Tahoma");
    return f.QtFont();
}

// A stock icon of the title row, drawn at 16 x 16.
void DrawTitleIcon(QPainter& p, const QRect& box, int icon)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF r = QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(11);
    p.setFont(f);
    switch (icon) {
    case TTI_INFO:
        p.setPen(QColor(0x1C, 0x4F, 0xA8));
        p.setBrush(QColor(0x3A, 0x7B, 0xD5));
        p.drawEllipse(r);
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignCenter, QStringLiteral("i"));
        break;
    case TTI_WARNING: {
        QPainterPath triangle;
        triangle.moveTo(r.center().x(), r.top());
        triangle.lineTo(r.right(), r.bottom());
        triangle.lineTo(r.left(), r.bottom());
        triangle.closeSubpath();
        p.setPen(QColor(0x9C, 0x7A, 0x00));
        p.setBrush(QColor(0xF8, 0xD2, 0x2A));
        p.drawPath(triangle);
        p.setPen(Qt::black);
        p.drawText(box.adjusted(0, 3, 0, 0), Qt::AlignCenter, QStringLiteral("!"));
        break;
    }
    case TTI_ERROR: {
        p.setPen(QColor(0x9E, 0x12, 0x12));
        p.setBrush(QColor(0xD9, 0x2B, 0x2B));
        p.drawEllipse(r);
        QPen cross(Qt::white, 2.0);
        p.setPen(cross);
        const QPointF c = r.center();
        p.drawLine(c + QPointF(-3.5, -3.5), c + QPointF(3.5, 3.5));
        p.drawLine(c + QPointF(-3.5, 3.5), c + QPointF(3.5, -3.5));
        break;
    }
    default: break;
    }
    p.restore();
}

class TToolTipWindow final : public QWidget, public IMessageTarget, public IWindowStyles {
public:
    TToolTipWindow(HWND owner, DWORD style, DWORD exStyle)
        : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowDoesNotAcceptFocus),
          style_(style), exStyle_(exStyle), font_(DefaultTipFont())
    {
        setAttribute(Qt::WA_ShowWithoutActivating, true);
        // the mouse goes through to the tool below, which pops the tip on a press
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
        const int d = int(GetDoubleClickTime());
        initial_ = d;
        autoPop_ = 10 * d;
        reshow_ = d / 5;
        CreatedWindows().insert(this);
    }
    ~TToolTipWindow() override { CreatedWindows().erase(this); }

    void Destroy()
    {
        CreatedWindows().erase(this);
        dead_ = true;
        KillTimer(this, kShowTimer);
        KillTimer(this, kPopTimer);
        hide();
        if (busy_ > 0)
            deleteLater(); // a notice of ours is running: the window goes after it
        else
            delete this;
    }

    LRESULT DeliverMessage(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (dead_)
            return 0;
        Busy busy(this);
        return Handle(msg, wParam, lParam);
    }

    LONG StyleWord(int index) const override
    {
        if (index == GWL_STYLE)
            return LONG(style_ | WS_POPUP | (isVisible() ? WS_VISIBLE : 0));
        if (index == GWL_EXSTYLE)
            return LONG(exStyle_ | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
        return 0;
    }
    void SetStyleWord(int index, LONG value) override
    {
        if (index == GWL_STYLE)
            style_ = DWORD(value) & ~DWORD(WS_POPUP | WS_VISIBLE);
        else if (index == GWL_EXSTYLE)
            exStyle_ = DWORD(value);
        Relayout();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        auto* w = qobject_cast<QWidget*>(watched);
        if (dead_ || !w)
            return false;
        Busy busy(this);
        switch (e->type()) {
        case QEvent::MouseMove:
            MouseAt(w, static_cast<QMouseEvent*>(e)->globalPosition().toPoint());
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            Pressed();
            break;
        case QEvent::Leave:
            if (const Tool* hot = Find(hot_); hot && AreaWindow(*hot) == w)
                LeaveTools();
            break;
        default: break;
        }
        return false; // the tool's window handles its input as before
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QColor back = QColorOf(back_), fore = QColorOf(text_);
        if (Balloon()) {
            p.setRenderHint(QPainter::Antialiasing, true);
            const QPainterPath path = BalloonPath().translated(0.5, 0.5);
            p.fillPath(path, back);
            p.setPen(QPen(QColorOf(GetSysColor(COLOR_WINDOWFRAME)), 1.0));
            p.drawPath(path);
            p.setRenderHint(QPainter::Antialiasing, false);
        } else {
            p.fillRect(rect(), back);
            p.setPen(QColorOf(GetSysColor(COLOR_WINDOWFRAME)));
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        QPoint at = body_.topLeft() + Padding() + QPoint(margin_.left, margin_.top);
        if (HasTitleRow()) {
            const int row = TitleRowHeight();
            int x = at.x();
            if (IconShown()) {
                DrawTitleIcon(p, QRect(x, at.y() + (row - kIconSide) / 2, kIconSide, kIconSide), icon_);
                x += kIconSide + kIconGap;
            }
            QFont bold = font_;
            bold.setBold(true);
            p.setFont(bold);
            p.setPen(fore);
            p.drawText(QRect(x, at.y(), body_.right() - x, row), Qt::AlignLeft | Qt::AlignVCenter,
                       QString::fromUtf8(title_.c_str()));
            at.ry() += row + kTitleGap;
        }
        p.setFont(font_);
        p.setPen(fore);
        p.drawText(QRect(at, textSize_), TextFlags(), ShownText());
    }

private:
    struct Tool {
        uint64_t serial = 0;
        UINT flags = 0;
        QPointer<QWidget> window; // gets the notices
        UINT_PTR id = 0;
        QPointer<QWidget> idWindow; // TTF_IDISHWND: the tool's window
        RECT rect{};
        std::string text;
        bool callback = false;
        HINSTANCE hinst = nullptr;
        LPARAM lParam = 0;
    };
    struct Busy {
        explicit Busy(TToolTipWindow* w) : w_(w) { ++w_->busy_; }
        ~Busy() { --w_->busy_; }
        TToolTipWindow* w_;
    };

    bool Balloon() const { return (style_ & TTS_BALLOON) != 0; }
    bool IconShown() const { return icon_ >= TTI_INFO && icon_ <= TTI_ERROR; }
    bool HasTitleRow() const { return !title_.empty() || IconShown(); }
    bool Wraps() const { return maxWidth_ >= 0; }
    QPoint Padding() const { return Balloon() ? QPoint(kBalloonPadX, kBalloonPadY) : QPoint(kPlainPadX, kPlainPadY); }
    int TextFlags() const { return Qt::AlignLeft | Qt::AlignTop | (Wraps() ? int(Qt::TextWordWrap) : 0); }

    int TitleRowHeight() const
    {
        QFont bold = font_;
        bold.setBold(true);
        return std::max(IconShown() ? kIconSide : 0, title_.empty() ? 0 : QFontMetrics(bold).height());
    }

    // The text as drawn: one line unless the tip wraps, then line breaks as '\n'.
    QString ShownText() const
    {
        QString t = QString::fromUtf8(shown_.c_str());
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (!Wraps())
            t.replace(QLatin1Char('\n'), QLatin1Char(' '));
        return t;
    }

    // What a tool's text shows as: without TTS_NOPREFIX it ends at a tab and loses its '&'.
    std::string Displayed(const std::string& text) const
    {
        if (style_ & TTS_NOPREFIX)
            return text;
        std::string out;
        for (size_t i = 0; i < text.size() && text[i] != '\t'; ++i) {
            if (text[i] == '&') {
                if (i + 1 < text.size() && text[i + 1] == '&')
                    out += '&', ++i;
                continue;
            }
            out += text[i];
        }
        return out;
    }

    Tool* Find(uint64_t serial)
    {
        if (serial == 0)
            return nullptr;
        for (Tool& t : tools_)
            if (t.serial == serial)
                return &t;
        return nullptr;
    }
    Tool* FindByInfo(const TOOLINFO* info)
    {
        if (!info)
            return nullptr;
        for (Tool& t : tools_)
            if (t.window.data() == info->hwnd && t.id == info->uId)
                return &t;
        return nullptr;
    }
    static QWidget* AreaWindow(const Tool& t) { return (t.flags & TTF_IDISHWND) ? t.idWindow.data() : t.window.data(); }

    // The tool's area in screen coordinates; empty when its window is gone.
    QRect ToolScreenRect(const Tool& t) const
    {
        QWidget* w = AreaWindow(t);
        if (!w)
            return QRect();
        RECT r = t.rect;
        if (t.flags & TTF_IDISHWND)
            GetClientRect(w, &r);
        POINT tl{r.left, r.top};
        ClientToScreen(w, &tl);
        return QRect(tl.x, tl.y, r.right - r.left, r.bottom - r.top);
    }

    uint64_t ToolAt(QWidget* w, const QPoint& global)
    {
        for (const Tool& t : tools_) {
            if ((t.flags & TTF_TRACK) || AreaWindow(t) != w)
                continue;
            POINT p{global.x(), global.y()};
            ScreenToClient(w, &p);
            RECT r = t.rect;
            if (t.flags & TTF_IDISHWND)
                GetClientRect(w, &r);
            if (PtInRect(&r, p))
                return t.serial;
        }
        return 0;
    }

    void Watch(QWidget* w)
    {
        if (!w)
            return;
        w->setMouseTracking(true);
        w->installEventFilter(this); // installing twice keeps one filter
    }
    void Unwatch(QWidget* w)
    {
        if (!w)
            return;
        for (const Tool& t : tools_)
            if ((t.flags & TTF_SUBCLASS) && AreaWindow(t) == w)
                return;
        w->removeEventFilter(this);
    }

    // ---- the mouse

    void MouseAt(QWidget* w, const QPoint& global)
    {
        mouse_ = global;
        if (!active_ || tracking_)
            return;
        const uint64_t tool = ToolAt(w, global);
        if (tool == 0) {
            LeaveTools();
            return;
        }
        if (tool != hot_) {
            const bool wasShown = current_ != 0;
            hot_ = tool;
            quiet_ = false;
            afterPop_ = false;
            if (wasShown) {
                Pop();
                if (dead_)
                    return;
            }
            Arm(wasShown ? reshow_ : initial_);
            return;
        }
        if (current_ == 0 && !quiet_ && !armed_)
            Arm(afterPop_ ? reshow_ : initial_);
    }

    void LeaveTools()
    {
        hot_ = 0;
        quiet_ = false;
        afterPop_ = false;
        Disarm();
        if (current_ && !tracking_)
            Pop();
    }

    void Pressed()
    {
        if (tracking_)
            return;
        Disarm();
        if (current_)
            Pop();
        quiet_ = hot_ != 0;
    }

    void Arm(int ms)
    {
        armed_ = true;
        afterPop_ = false;
        SetTimer(this, kShowTimer, UINT(std::max(ms, 0)), nullptr);
    }
    void Disarm()
    {
        if (armed_)
            KillTimer(this, kShowTimer);
        armed_ = false;
    }

    void ShowTimer()
    {
        Disarm();
        const Tool* t = Find(hot_);
        if (!t || quiet_ || !active_ || tracking_ || current_)
            return;
        if (!(style_ & TTS_ALWAYSTIP)) {
            QWidget* w = AreaWindow(*t);
            if (!w || !w->window()->isActiveWindow())
                return;
        }
        Show(hot_, false);
    }

    // ---- showing and hiding

    // The text the tool shows now: its own, or what its window answers to TTN_GETDISPINFO.
    bool TextOf(uint64_t serial, std::string& text)
    {
        Tool* t = Find(serial);
        if (!t)
            return false;
        if (!t->callback) {
            text = t->text;
            return true;
        }
        NMTTDISPINFO info;
        info.hdr.hwndFrom = this;
        info.hdr.idFrom = t->id;
        info.hdr.code = TTN_GETDISPINFO;
        info.lpszText = info.szText;
        info.hinst = t->hinst;
        info.uFlags = t->flags;
        info.lParam = t->lParam;
        QPointer<QWidget> target = t->window;
        const UINT_PTR id = t->id;
        if (target)
            SendMessage(target.data(), WM_NOTIFY, WPARAM(id), LPARAM(&info));
        if (dead_ || !(t = Find(serial)))
            return false;
        // a string-table number or nothing gives no text
        const auto p = reinterpret_cast<uintptr_t>(info.lpszText);
        if (p < 0x10000 || info.lpszText == LPSTR_TEXTCALLBACK)
            text.clear();
        else if (info.lpszText == info.szText)
            text.assign(info.szText, strnlen(info.szText, sizeof info.szText));
        else
            text = info.lpszText;
        if (info.uFlags & TTF_DI_SETITEM) {
            t->text = text;
            t->callback = false;
        }
        return true;
    }

    void Notify(const Tool& t, UINT code, LRESULT* result = nullptr)
    {
        NMHDR hdr;
        hdr.hwndFrom = this;
        hdr.idFrom = t.id;
        hdr.code = code;
        const LRESULT r = t.window ? SendMessage(t.window.data(), WM_NOTIFY, WPARAM(t.id), LPARAM(&hdr)) : 0;
        if (result)
            *result = r;
    }

    void Show(uint64_t serial, bool tracking)
    {
        std::string text;
        if (!TextOf(serial, text))
            return;
        shown_ = Displayed(text);
        if (shown_.empty())
            return;
        const Tool* t = Find(serial);
        current_ = serial;
        tracking_ = tracking;
        anchorTool_ = ToolScreenRect(*t);
        centreTip_ = (t->flags & TTF_CENTERTIP) != 0;
        absolute_ = (t->flags & TTF_ABSOLUTE) != 0;
        Layout();
        LRESULT placed = 0;
        Notify(*t, TTN_SHOW, &placed);
        if (dead_ || current_ != serial)
            return;
        Layout(); // the notice may have changed title, colours or width
        if (placed == 0)
            Place();
        else
            PlaceBodyOnly();
        show();
        if (QGuiApplication::platformName() != QLatin1String("offscreen"))
            raise(); // stacking needs a window system
        update();
        if (!tracking)
            SetTimer(this, kPopTimer, UINT(std::max(autoPop_, 0)), nullptr);
    }

    void Pop()
    {
        Tool* t = Find(current_);
        KillTimer(this, kPopTimer);
        current_ = 0;
        tracking_ = false;
        if (t)
            Notify(*t, TTN_POP);
        if (!dead_)
            hide();
    }

    // ---- layout

    // Measures the body around title row and text.
    void Layout()
    {
        const QFontMetrics fm(font_);
        const QString text = ShownText();
        if (Wraps()) {
            const QRect r = fm.boundingRect(QRect(0, 0, std::max(maxWidth_, 1), 1 << 20), TextFlags(), text);
            textSize_ = QSize(r.width(), r.height());
        } else {
            textSize_ = QSize(fm.horizontalAdvance(text), fm.height());
        }
        int w = textSize_.width(), h = textSize_.height();
        if (HasTitleRow()) {
            QFont bold = font_;
            bold.setBold(true);
            const int titleW = (IconShown() ? kIconSide + (title_.empty() ? 0 : kIconGap) : 0) +
                               QFontMetrics(bold).horizontalAdvance(QString::fromUtf8(title_.c_str()));
            w = std::max(w, titleW);
            h += TitleRowHeight() + kTitleGap;
        }
        const QPoint pad = Padding();
        bodySize_ = QSize(w + 2 * pad.x() + margin_.left + margin_.right,
                          h + 2 * pad.y() + margin_.top + margin_.bottom);
    }

    // The tip changed while shown: measure again and keep its point.
    void Relayout()
    {
        if (!current_ || !isVisible())
            return;
        Layout();
        Place();
        update();
    }

    QRect ScreenArea(const QPoint& at) const
    {
        QScreen* s = QGuiApplication::screenAt(at);
        if (!s)
            s = QGuiApplication::primaryScreen();
        return s ? s->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
    }

    // The point the tip belongs to: the tracking point, the tool's middle below it, or the mouse.
    QPoint Anchor() const
    {
        if (tracking_)
            return track_;
        if (centreTip_ && anchorTool_.isValid())
            return QPoint(anchorTool_.center().x(), anchorTool_.bottom() + 1);
        return mouse_;
    }

    void Place()
    {
        const QPoint a = Anchor();
        const QRect screen = ScreenArea(a);
        const int w = bodySize_.width(), h = bodySize_.height();
        if (!Balloon()) {
            QPoint at = a;
            if (tracking_)
                at = track_;
            else if (centreTip_ && anchorTool_.isValid())
                at = QPoint(a.x() - w / 2, a.y() + 2);
            else
                at = a + QPoint(0, kCursorHeight);
            if (!tracking_ || !absolute_) {
                if (at.y() + h > screen.bottom() + 1)
                    at.setY(tracking_ ? screen.bottom() + 1 - h : a.y() - h - 2);
                at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - w)));
                at.setY(std::max(at.y(), screen.top()));
            }
            body_ = QRect(0, 0, w, h);
            stem_ = QPolygon();
            clearMask();
            setGeometry(QRect(at, bodySize_));
            return;
        }
        // a balloon: below the point when it fits, else above; the body slides along the
        // screen's edges while the stem keeps pointing at the point
        stemDown_ = a.y() + kStemHeight + h > screen.bottom() + 1 && a.y() - kStemHeight - h >= screen.top();
        int left = a.x() - kStemInset;
        left = std::clamp(left, screen.left(), std::max(screen.left(), screen.right() + 1 - w));
        const int top = stemDown_ ? a.y() + 1 - kStemHeight - h : a.y();
        const QRect window(left, top, w, h + kStemHeight);
        const int bodyTop = stemDown_ ? 0 : kStemHeight;
        body_ = QRect(0, bodyTop, w, h);
        // the stem's base on the body's edge, inside its straight part
        const int tipX = a.x() - left;
        int b0 = tipX, b1 = tipX + kStemBase;
        if (b1 > w - kCorner) {
            b0 = tipX - kStemBase;
            b1 = tipX;
        }
        const int shift = std::max(0, kCorner - b0) - std::max(0, b1 - (w - kCorner));
        b0 += shift;
        b1 += shift;
        const int edge = stemDown_ ? bodyTop + h - 1 : bodyTop;
        const int tipY = stemDown_ ? h + kStemHeight - 1 : 0;
        stem_ = QPolygon({QPoint(b0, edge), QPoint(std::clamp(tipX, 0, w - 1), tipY), QPoint(b1, edge)});
        setGeometry(window);
        ShapeToBalloon();
    }

    // The window takes the balloon's shape: every pixel the balloon's paint touches.
    void ShapeToBalloon()
    {
        QImage shape(size(), QImage::Format_ARGB32_Premultiplied);
        shape.fill(Qt::transparent);
        QPainter p(&shape);
        p.setRenderHint(QPainter::Antialiasing, true);
        const QPainterPath path = BalloonPath().translated(0.5, 0.5);
        p.fillPath(path, Qt::black);
        p.setPen(QPen(Qt::black, 1.0));
        p.drawPath(path);
        p.end();
        std::vector<QRect> runs;
        for (int y = 0; y < shape.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(shape.constScanLine(y));
            for (int x = 0; x < shape.width();) {
                if (qAlpha(line[x]) == 0) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < shape.width() && qAlpha(line[x]) != 0)
                    ++x;
                runs.emplace_back(start, y, x - start, 1);
            }
        }
        QRegion region;
        region.setRects(runs.data(), int(runs.size()));
        setMask(region);
    }

    // The receiver placed the window: the body fills it below a stem at its left.
    void PlaceBodyOnly()
    {
        const QPoint at = pos();
        if (!Balloon()) {
            body_ = QRect(0, 0, bodySize_.width(), bodySize_.height());
            stem_ = QPolygon();
            resize(bodySize_);
            return;
        }
        stemDown_ = false;
        body_ = QRect(0, kStemHeight, bodySize_.width(), bodySize_.height());
        stem_ = QPolygon({QPoint(kStemInset, kStemHeight), QPoint(kStemInset, 0),
                          QPoint(kStemInset + kStemBase, kStemHeight)});
        setGeometry(QRect(at, QSize(bodySize_.width(), bodySize_.height() + kStemHeight)));
        ShapeToBalloon();
    }

    QPainterPath BalloonPath() const
    {
        QPainterPath body;
        body.addRoundedRect(QRectF(body_).adjusted(0, 0, -1, -1), kCorner, kCorner);
        QPainterPath stem;
        if (stem_.size() == 3) {
            stem.moveTo(stem_[0]);
            stem.lineTo(stem_[1]);
            stem.lineTo(stem_[2]);
            stem.closeSubpath();
        }
        return body.united(stem).simplified();
    }

    // ---- messages

    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam)
    {
        switch (msg) {
        case WM_TIMER:
            if (wParam == kShowTimer)
                ShowTimer();
            else if (wParam == kPopTimer) {
                Pop();
                quiet_ = hot_ != 0;
            }
            return 0;
        case TTM_ACTIVATE:
            active_ = wParam != 0;
            if (!active_) {
                Disarm();
                if (current_)
                    Pop();
            }
            return 0;
        case TTM_SETDELAYTIME: return SetDelay(UINT(wParam), int(int16_t(LOWORD(uintptr_t(lParam)))));
        case TTM_GETDELAYTIME:
            switch (wParam) {
            case TTDT_RESHOW: return reshow_;
            case TTDT_AUTOPOP: return autoPop_;
            default: return initial_;
            }
        case TTM_ADDTOOL: return AddTool(reinterpret_cast<const TOOLINFO*>(lParam));
        case TTM_DELTOOL: DelTool(reinterpret_cast<const TOOLINFO*>(lParam)); return 0;
        case TTM_NEWTOOLRECT:
            if (auto* info = reinterpret_cast<const TOOLINFO*>(lParam))
                if (Tool* t = FindByInfo(info))
                    t->rect = info->rect;
            return 0;
        case TTM_UPDATETIPTEXT: {
            auto* info = reinterpret_cast<const TOOLINFO*>(lParam);
            Tool* t = FindByInfo(info);
            if (!t)
                return 0;
            t->callback = info->lpszText == LPSTR_TEXTCALLBACK;
            t->text = t->callback || !info->lpszText ? std::string() : std::string(info->lpszText);
            if (current_ == t->serial) {
                std::string text;
                if (TextOf(t->serial, text) && !dead_) {
                    shown_ = Displayed(text);
                    Relayout();
                }
            }
            return 0;
        }
        case TTM_GETTEXT: {
            auto* info = reinterpret_cast<TOOLINFO*>(lParam);
            const Tool* t = FindByInfo(info);
            if (!t || !info->lpszText || info->lpszText == LPSTR_TEXTCALLBACK || wParam == 0)
                return 0;
            const size_t n = std::min(size_t(wParam) - 1, t->text.size());
            std::memcpy(info->lpszText, t->text.data(), n);
            info->lpszText[n] = 0;
            return LRESULT(n);
        }
        case TTM_GETTOOLCOUNT: return LRESULT(tools_.size());
        case TTM_GETCURRENTTOOL: {
            const Tool* t = Find(current_);
            if (!t)
                return FALSE;
            if (auto* info = reinterpret_cast<TOOLINFO*>(lParam)) {
                info->uFlags = t->flags;
                info->hwnd = t->window.data();
                info->uId = t->id;
                info->rect = t->rect;
                info->hinst = t->hinst;
                info->lParam = t->lParam;
                info->lpszText = nullptr;
            }
            return TRUE;
        }
        case TTM_TRACKACTIVATE: {
            Tool* t = FindByInfo(reinterpret_cast<const TOOLINFO*>(lParam));
            if (wParam) {
                if (!t)
                    return 0;
                Disarm();
                if (current_)
                    Pop();
                if (!dead_)
                    Show(t->serial, true);
            } else if (tracking_ && (!t || t->serial == current_)) {
                Pop();
            }
            return 0;
        }
        case TTM_TRACKPOSITION:
            track_ = QPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            if (tracking_ && current_) {
                Place();
                update();
            }
            return 0;
        case TTM_SETTIPBKCOLOR:
            back_ = COLORREF(wParam) & 0xFFFFFF;
            update();
            return 0;
        case TTM_SETTIPTEXTCOLOR:
            text_ = COLORREF(wParam) & 0xFFFFFF;
            update();
            return 0;
        case TTM_GETTIPBKCOLOR: return LRESULT(back_);
        case TTM_GETTIPTEXTCOLOR: return LRESULT(text_);
        case TTM_SETMAXTIPWIDTH: {
            const int old = maxWidth_;
            maxWidth_ = int(lParam) < 0 ? -1 : int(lParam);
            Relayout();
            return old;
        }
        case TTM_GETMAXTIPWIDTH: return maxWidth_;
        case TTM_SETMARGIN:
            if (auto* r = reinterpret_cast<const RECT*>(lParam)) {
                margin_ = *r;
                Relayout();
            }
            return 0;
        case TTM_GETMARGIN:
            if (auto* r = reinterpret_cast<RECT*>(lParam))
                *r = margin_;
            return 0;
        case TTM_POP:
            Disarm();
            if (current_) {
                Pop();
                afterPop_ = hot_ != 0;
            }
            return 0;
        case TTM_POPUP:
            if (hot_ && !current_ && active_) {
                Disarm();
                Show(hot_, false);
            }
            return 0;
        case TTM_UPDATE: update(); return 0;
        case TTM_SETTITLE: {
            const auto* title = reinterpret_cast<const char*>(lParam);
            title_ = title ? std::string(title) : std::string();
            icon_ = wParam <= TTI_ERROR ? int(wParam) : TTI_NONE;
            Relayout();
            return TRUE;
        }
        case TTM_GETTITLE: {
            auto* t = reinterpret_cast<TTGETTITLE*>(lParam);
            if (!t)
                return 0;
            t->uTitleBitmap = UINT(icon_);
            if (t->pszTitle && t->cch > 0) {
                const size_t n = std::min(size_t(t->cch) - 1, title_.size());
                std::memcpy(t->pszTitle, title_.data(), n);
                t->pszTitle[n] = 0;
            }
            return 0;
        }
        case WM_GETTEXTLENGTH: return LRESULT(shown_.size());
        case WM_GETTEXT: {
            auto* buffer = reinterpret_cast<char*>(lParam);
            if (!buffer || wParam == 0)
                return 0;
            const size_t n = std::min(size_t(wParam) - 1, shown_.size());
            std::memcpy(buffer, shown_.data(), n);
            buffer[n] = 0;
            return LRESULT(n);
        }
        case WM_SETFONT:
            fontHandle_ = reinterpret_cast<HFONT>(wParam);
            font_ = fontHandle_ ? fontHandle_->QtFont() : DefaultTipFont();
            Relayout();
            return 0;
        case WM_GETFONT: return LRESULT(fontHandle_);
        default: return 0;
        }
    }

    LRESULT SetDelay(UINT which, int ms)
    {
        const int d = int(GetDoubleClickTime());
        auto pick = [&](int fallback) { return ms < 0 ? fallback : ms; };
        switch (which) {
        case TTDT_AUTOMATIC:
            initial_ = pick(d);
            autoPop_ = ms < 0 ? 10 * d : 10 * ms;
            reshow_ = ms < 0 ? d / 5 : ms / 5;
            break;
        case TTDT_RESHOW: reshow_ = pick(d / 5); break;
        case TTDT_AUTOPOP: autoPop_ = pick(10 * d); break;
        case TTDT_INITIAL: initial_ = pick(d); break;
        default: break;
        }
        return 0;
    }

    LRESULT AddTool(const TOOLINFO* info)
    {
        if (!info || info->cbSize < offsetof(TOOLINFO, lParam))
            return FALSE;
        Tool t;
        t.serial = ++serials_;
        t.flags = info->uFlags;
        t.window = info->hwnd;
        t.id = info->uId;
        if (t.flags & TTF_IDISHWND)
            t.idWindow = reinterpret_cast<QWidget*>(info->uId);
        t.rect = info->rect;
        t.callback = info->lpszText == LPSTR_TEXTCALLBACK;
        if (!t.callback && info->lpszText && reinterpret_cast<uintptr_t>(info->lpszText) >= 0x10000)
            t.text = info->lpszText;
        t.hinst = info->hinst;
        t.lParam = info->cbSize >= offsetof(TOOLINFO, lpReserved) ? info->lParam : 0;
        tools_.push_back(t);
        if (t.flags & TTF_SUBCLASS)
            Watch(AreaWindow(t));
        return TRUE;
    }

    void DelTool(const TOOLINFO* info)
    {
        Tool* t = FindByInfo(info);
        if (!t)
            return;
        const uint64_t serial = t->serial;
        if (current_ == serial) {
            Pop();
            if (dead_)
                return;
        }
        if (hot_ == serial) {
            hot_ = 0;
            Disarm();
        }
        auto it = std::find_if(tools_.begin(), tools_.end(), [&](const Tool& x) { return x.serial == serial; });
        if (it == tools_.end())
            return;
        QPointer<QWidget> area = AreaWindow(*it);
        tools_.erase(it);
        Unwatch(area.data());
    }

    DWORD style_;
    DWORD exStyle_;
    QFont font_;
    HFONT fontHandle_ = nullptr;
    std::vector<Tool> tools_;
    uint64_t serials_ = 0;
    uint64_t hot_ = 0;     // the tool under the mouse
    uint64_t current_ = 0; // the tool whose tip shows
    bool tracking_ = false;
    bool armed_ = false;    // the show timer runs
    bool quiet_ = false;    // popped by time or press: nothing until the mouse leaves the tool
    bool afterPop_ = false; // popped by TTM_POP: the next move arms the reshow delay
    bool active_ = true;
    bool dead_ = false;
    int busy_ = 0;
    int initial_ = 500, autoPop_ = 5000, reshow_ = 100;
    int maxWidth_ = -1;
    RECT margin_{};
    COLORREF back_ = GetSysColor(COLOR_INFOBK);
    COLORREF text_ = GetSysColor(COLOR_INFOTEXT);
    std::string title_;
    int icon_ = TTI_NONE;
    std::string shown_;
    QPoint mouse_;
    QPoint track_;
    QRect anchorTool_;
    bool centreTip_ = false;
    bool absolute_ = false;
    QSize textSize_;
    QSize bodySize_;
    QRect body_;
    QPolygon stem_;
    bool stemDown_ = false;
};

bool SameClass(const char* a, const char* b)
{
    return a && QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

} // namespace

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, void* menu, HINSTANCE instance, void* param)
{
    (void)windowName, (void)x, (void)y, (void)width, (void)height, (void)menu, (void)instance, (void)param;
    if (SameClass(className, TOOLTIPS_CLASS))
        return new TToolTipWindow(parent, style, exStyle);
    return nullptr;
}

BOOL DestroyWindow(HWND window)
{
    if (!window || !CreatedWindows().count(window))
        return FALSE;
    if (auto* tip = dynamic_cast<TToolTipWindow*>(window))
        tip->Destroy();
    return TRUE;
}
