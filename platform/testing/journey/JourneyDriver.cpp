// The journey driver: a Qt input plugin that the journey runner loads into a real, unchanged
// program (QT_QPA_GENERIC_PLUGINS=quelmjourney). It reads the steps of a journey script and
// plays them on the program's shown windows as a person would: key presses and mouse clicks go
// through the window system to the windows, menus are opened by clicking the menu bar.
//
// Steps run from a polling timer. A step that acts (click, key, menu...) is posted and the next
// step starts as soon as the action has begun, so an action that opens a modal window (a nested
// event loop) does not stop the journey: the timer keeps polling inside that loop. A step that
// waits has a deadline; when it passes, the driver writes a report of the failure (the step, what
// it waited for, the windows shown, a picture of each) and ends the process with status 86.
//
// The script language is described in README.md (development notes, journey tests).
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGenericPlugin>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextEdit>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>

Q_GUI_EXPORT void qt_handleKeyEvent(QWindow* w, QEvent::Type t, int k, Qt::KeyboardModifiers mods,
                                    const QString& text, bool autorep, ushort count);

namespace {

constexpr int kFailureStatus = 86;

struct JourneyStep {
    int line = 0;
    QString verb;
    QString arg;
    QString source; // the line as written
};

QString StripMnemonic(QString text)
{
    text.replace(QLatin1String("&&"), QChar(0xE000));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(0xE000), QLatin1Char('&'));
    const int tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0)
        text.truncate(tab);
    return text.trimmed();
}

// What a person reads on a widget: a button's caption, a label, an edit's text...
QString VisibleText(const QWidget* w)
{
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return StripMnemonic(b->text());
    if (auto* l = qobject_cast<const QLabel*>(w))
        return StripMnemonic(l->text());
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return StripMnemonic(g->title());
    if (auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    if (auto* p = qobject_cast<const QPlainTextEdit*>(w))
        return p->toPlainText();
    if (auto* t = qobject_cast<const QTextEdit*>(w))
        return t->toPlainText();
    if (auto* s = qobject_cast<const QAbstractSpinBox*>(w))
        return s->text();
    // an edit that draws itself tells its text to input methods
    if (w->testAttribute(Qt::WA_InputMethodEnabled))
        return w->inputMethodQuery(Qt::ImSurroundingText).toString();
    return {};
}

QString ExpandEnvironment(QString text)
{
    static const QRegularExpression var(QStringLiteral("\\$\\{([A-Za-z_][A-Za-z0-9_]*)\\}"));
    QRegularExpressionMatch m;
    int from = 0;
    while ((m = var.match(text, from)).hasMatch()) {
        const QString value = qEnvironmentVariable(m.captured(1).toUtf8().constData());
        text.replace(m.capturedStart(), m.capturedLength(), value);
        from = int(m.capturedStart() + value.size());
    }
    return text;
}

// A widget selector: "name=edtRunName", "text=^Yes$", "class=QPushButton", combined with spaces.
struct Selector {
    QString name;
    QRegularExpression text;
    bool hasText = false;
    QString className;
    QString error;

    static Selector Parse(const QString& selectorText)
    {
        Selector s;
        static const QRegularExpression key(QStringLiteral("(?:^|\\s+)(name|text|class)="));
        auto it = key.globalMatch(selectorText);
        QList<QRegularExpressionMatch> keys;
        while (it.hasNext())
            keys.append(it.next());
        if (keys.isEmpty() || keys.first().capturedStart() != 0) {
            s.error = QStringLiteral("a selector is name=..., text=... or class=...: ") + selectorText;
            return s;
        }
        for (int i = 0; i < keys.size(); ++i) {
            const int start = int(keys[i].capturedEnd());
            const int end = i + 1 < keys.size() ? int(keys[i + 1].capturedStart()) : int(selectorText.size());
            const QString value = selectorText.mid(start, end - start);
            const QString k = keys[i].captured(1);
            if (k == QLatin1String("name"))
                s.name = value;
            else if (k == QLatin1String("class"))
                s.className = value;
            else {
                s.text = QRegularExpression(value);
                s.hasText = true;
                if (!s.text.isValid())
                    s.error = QStringLiteral("bad pattern ") + value + QStringLiteral(": ") + s.text.errorString();
            }
        }
        return s;
    }

    bool Matches(const QWidget* w) const
    {
        if (!name.isEmpty() && w->objectName() != name)
            return false;
        if (!className.isEmpty() && !w->inherits(className.toLatin1().constData()))
            return false;
        if (hasText && !text.match(VisibleText(w)).hasMatch())
            return false;
        return true;
    }
};

bool ShownTopLevel(const QWidget* w)
{
    return w->isVisible() && w->isWindow() && !(w->windowType() == Qt::Popup) && !(w->windowType() == Qt::ToolTip);
}

class JourneyDriver : public QObject {
public:
    JourneyDriver()
    {
        program_ = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        if (program_.isEmpty())
            program_ = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section(QLatin1Char('/'), -1);
        outDir_ = qEnvironmentVariable("QUELM_JOURNEY_OUT");
        if (outDir_.isEmpty())
            outDir_ = QDir::tempPath();
        QDir().mkpath(outDir_);
        log_.setFileName(outDir_ + QStringLiteral("/%1-%2.log").arg(program_).arg(::getpid()));
        log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
        defaultWaitMs_ = qEnvironmentVariableIntValue("QUELM_JOURNEY_WAIT_MS");
        if (defaultWaitMs_ <= 0)
            defaultWaitMs_ = 10000;
        lingerMs_ = defaultWaitMs_;
        Log(QStringLiteral("driver loaded in %1").arg(program_));
        // message boxes and file dialogs are shown on the screen-less platform too: the
        // journey answers them
        QCoreApplication::instance()->setProperty("quelmDrivenWindows", true);
        LoadScript();
        connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        timer_.start(20);
    }

private:
    QString program_;
    QString outDir_;
    QFile log_;
    QList<JourneyStep> steps_;
    int current_ = 0;
    int defaultWaitMs_ = 10000;
    int waitMs_ = 0;
    bool stepStarted_ = false;
    QElapsedTimer stepClock_;
    QElapsedTimer endClock_;
    int lingerMs_ = 10000;
    QTimer timer_;
    QSet<QString> seenWindows_;
    QPointer<QWidget> window_;       // the window of the last "window" step
    QPointer<QWidget> widget_;       // the widget of the last "find" step (or of a click)
    // The actions posted and not returned yet, innermost last. While one runs, the journey moves
    // on only once it waits in a window of its own (a modal window or a menu it opened); keys and
    // clicks let events through, and the next step must not run in between.
    struct RunningAction {
        bool begun = false;
        QPointer<QWidget> modal;
        QPointer<QWidget> popup;
        QElapsedTimer clock;
    };
    QList<std::shared_ptr<RunningAction>> actions_;
    QString waitingFor_;
    // the phases of a menu step: the menu bar's item, then the item of each popup
    QStringList menuPath_;
    int menuPhase_ = 0;

    void Log(const QString& line)
    {
        if (!log_.isOpen())
            return;
        log_.write(line.toUtf8());
        log_.write("\n");
        log_.flush();
    }

    void LoadScript()
    {
        const QString path = qEnvironmentVariable("QUELM_JOURNEY_SCRIPT");
        if (path.isEmpty()) {
            Log(QStringLiteral("no script: watching only"));
            return;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            Fail(QStringLiteral("cannot read the script ") + path);
            return;
        }
        // lines before the first [program] header belong to the program the runner started
        const QString mainProgram = qEnvironmentVariable("QUELM_JOURNEY_PROGRAM");
        bool mine = mainProgram.isEmpty() || mainProgram == program_;
        int number = 0;
        QTextStream in(&file);
        while (!in.atEnd()) {
            QString raw = in.readLine();
            ++number;
            const QString trimmed = raw.trimmed();
            if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
                continue;
            if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
                mine = trimmed.mid(1, trimmed.size() - 2) == program_;
                continue;
            }
            if (!mine)
                continue;
            // the verb ends at the first space; the argument is the rest after that one space
            // (so "type  x" types " x")
            while (raw.startsWith(QLatin1Char(' ')) || raw.startsWith(QLatin1Char('\t')))
                raw.remove(0, 1);
            const int space = int(raw.indexOf(QLatin1Char(' ')));
            JourneyStep step;
            step.line = number;
            step.source = trimmed;
            step.verb = space < 0 ? raw : raw.left(space);
            step.arg = space < 0 ? QString() : raw.mid(space + 1);
            if (step.verb != QLatin1String("type"))
                step.arg = step.arg.trimmed();
            steps_.append(step);
        }
        Log(QStringLiteral("script %1: %2 steps for %3").arg(path).arg(steps_.size()).arg(program_));
    }

    void NoteWindows()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!ShownTopLevel(w))
                continue;
            const QString key = QStringLiteral("%1|%2").arg(quintptr(w)).arg(w->windowTitle());
            if (seenWindows_.contains(key))
                continue;
            seenWindows_.insert(key);
            QString text;
            if (auto* box = qobject_cast<QMessageBox*>(w))
                text = QStringLiteral(" | ") + box->text().replace(QLatin1Char('\n'), QLatin1Char(' '));
            Log(QStringLiteral("shown: %1%2").arg(w->windowTitle(), text));
        }
    }

    QList<QWidget*> ShownWindows() const
    {
        QList<QWidget*> list;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (ShownTopLevel(w))
                list.append(w);
        return list;
    }

    QWidget* FindWidget(const Selector& s, const std::function<bool(QWidget*)>& also = nullptr) const
    {
        QList<QWidget*> roots;
        if (window_ && window_->isVisible())
            roots.append(window_);
        else
            roots = ShownWindows();
        for (QWidget* root : roots) {
            if (s.Matches(root) && (!also || also(root)))
                return root;
            for (QWidget* w : root->findChildren<QWidget*>())
                if (w->isVisible() && s.Matches(w) && (!also || also(w)))
                    return w;
        }
        return nullptr;
    }

    QWidget* KeyTarget() const
    {
        if (window_ && window_->isVisible())
            return window_;
        if (QWidget* active = QApplication::activeWindow())
            return active;
        const auto shown = ShownWindows();
        return shown.isEmpty() ? nullptr : shown.first();
    }

    void Poll()
    {
        NoteWindows();
        if (current_ >= steps_.size()) {
            // a journey ends with the program: one that is still running long after the last
            // step waits for something the script did not do
            if (!steps_.isEmpty() && endClock_.isValid() && endClock_.elapsed() > lingerMs_)
                Fail(QStringLiteral("the journey is over but the program still runs %1 ms later").arg(endClock_.elapsed()));
            return;
        }
        if (!actions_.isEmpty()) {
            const RunningAction& last = *actions_.last();
            if (!last.begun)
                return;
            const bool waitsInItsWindow = (QApplication::activeModalWidget() && QApplication::activeModalWidget() != last.modal) ||
                                          (QApplication::activePopupWidget() && QApplication::activePopupWidget() != last.popup);
            if (!waitsInItsWindow) {
                if (last.clock.elapsed() > defaultWaitMs_)
                    Fail(QStringLiteral("the action of the last step has not returned after %1 ms").arg(last.clock.elapsed()));
                return;
            }
        }
        const JourneyStep& step = steps_[current_];
        if (!stepStarted_) {
            stepStarted_ = true;
            stepClock_.start();
            waitMs_ = defaultWaitMs_;
            waitingFor_.clear();
            menuPhase_ = 0;
        }
        QString error;
        const bool done = Try(step, error);
        if (!error.isEmpty()) {
            Fail(error);
            return;
        }
        if (done) {
            Log(QStringLiteral("step %1 (line %2) done: %3").arg(current_ + 1).arg(step.line).arg(step.source));
            ++current_;
            stepStarted_ = false;
            if (current_ == steps_.size()) {
                Log(QStringLiteral("journey done"));
                endClock_.start();
            }
            return;
        }
        if (stepClock_.elapsed() > waitMs_)
            Fail(QStringLiteral("waited %1 ms for %2").arg(stepClock_.elapsed()).arg(waitingFor_));
    }

    // Runs <action> from the event loop; the journey moves on once it has begun.
    void Post(std::function<void()> action)
    {
        auto running = std::make_shared<RunningAction>();
        actions_.append(running);
        QTimer::singleShot(0, this, [this, action, running] {
            running->begun = true;
            running->modal = QApplication::activeModalWidget();
            running->popup = QApplication::activePopupWidget();
            running->clock.start();
            action();
            actions_.removeOne(running);
        });
    }

    static QPoint ParsePoint(const QString& text, bool* ok)
    {
        const QStringList parts = text.split(QLatin1Char(','));
        bool a = false, b = false;
        QPoint p;
        if (parts.size() == 2) {
            p.setX(parts[0].trimmed().toInt(&a));
            p.setY(parts[1].trimmed().toInt(&b));
        }
        *ok = a && b;
        return p;
    }

    // Acts or tests the condition of <step>: true when the step is done; an error ends the journey.
    bool Try(const JourneyStep& step, QString& error)
    {
        const QString& verb = step.verb;
        const QString arg = ExpandEnvironment(step.arg);
        if (verb == QLatin1String("timeout")) {
            bool ok = false;
            defaultWaitMs_ = arg.toInt(&ok);
            if (!ok || defaultWaitMs_ <= 0)
                error = QStringLiteral("timeout takes milliseconds: ") + arg;
            return true;
        }
        if (verb == QLatin1String("window")) {
            const QRegularExpression title(arg);
            if (!title.isValid()) {
                error = QStringLiteral("bad pattern ") + arg;
                return false;
            }
            waitingFor_ = QStringLiteral("a shown window titled like /%1/").arg(arg);
            // the active window first: a modal dialog over a window of the same title wins
            QList<QWidget*> candidates = ShownWindows();
            if (QWidget* active = QApplication::activeWindow())
                candidates.prepend(active);
            for (QWidget* w : candidates)
                if (ShownTopLevel(w) && title.match(w->windowTitle()).hasMatch()) {
                    window_ = w;
                    widget_ = nullptr;
                    return true;
                }
            return false;
        }
        if (verb == QLatin1String("gone")) {
            const QRegularExpression title(arg);
            waitingFor_ = QStringLiteral("no shown window titled like /%1/").arg(arg);
            for (QWidget* w : ShownWindows())
                if (title.match(w->windowTitle()).hasMatch())
                    return false;
            return true;
        }
        if (verb == QLatin1String("find") || verb == QLatin1String("focus")) {
            const Selector s = Selector::Parse(arg);
            if (!s.error.isEmpty()) {
                error = s.error;
                return false;
            }
            waitingFor_ = QStringLiteral("a shown widget %1").arg(arg);
            QWidget* w = FindWidget(s);
            if (!w)
                return false;
            widget_ = w;
            if (verb == QLatin1String("focus")) {
                QPointer<QWidget> target = w;
                Post([target] {
                    if (target) {
                        target->activateWindow();
                        target->setFocus(Qt::TabFocusReason);
                    }
                });
            }
            return true;
        }
        if (verb == QLatin1String("click") || verb == QLatin1String("dblclick") || verb == QLatin1String("rclick")) {
            QString selectorText = arg;
            QPoint at;
            bool hasPoint = false;
            static const QRegularExpression atPart(QStringLiteral("(?:^|\\s+)at\\s+(-?\\d+\\s*,\\s*-?\\d+)$"));
            const auto m = atPart.match(selectorText);
            if (m.hasMatch()) {
                at = ParsePoint(m.captured(1), &hasPoint);
                selectorText.truncate(m.capturedStart());
            }
            QWidget* w = widget_;
            if (!selectorText.isEmpty()) {
                const Selector s = Selector::Parse(selectorText);
                if (!s.error.isEmpty()) {
                    error = s.error;
                    return false;
                }
                waitingFor_ = QStringLiteral("a shown, enabled widget %1").arg(selectorText);
                w = FindWidget(s);
                if (!w || !w->isEnabled())
                    return false;
                widget_ = w;
            } else if (!w) {
                error = QStringLiteral("click without a widget: name one or find it first");
                return false;
            }
            QPointer<QWidget> target = w;
            const bool dbl = verb == QLatin1String("dblclick");
            const Qt::MouseButton button = verb == QLatin1String("rclick") ? Qt::RightButton : Qt::LeftButton;
            Post([target, at, hasPoint, dbl, button] {
                if (!target)
                    return;
                const QPoint p = hasPoint ? at : target->rect().center();
                QWindow* window = target->window()->windowHandle();
                if (dbl && window)
                    // press, release, press, release through the window, which makes the second
                    // press a double click for the widget under the point, as a mouse does
                    QTest::mouseDClick(window, button, Qt::NoModifier,
                                       window->mapFromGlobal(target->mapToGlobal(p)));
                else if (dbl)
                    QTest::mouseDClick(target.data(), button, Qt::NoModifier, p);
                else
                    QTest::mouseClick(target.data(), button, Qt::NoModifier, p);
            });
            return true;
        }
        if (verb == QLatin1String("key")) {
            QWidget* target = KeyTarget();
            waitingFor_ = QStringLiteral("a window to take the keys");
            if (!target || !target->windowHandle())
                return false;
            QList<QKeyCombination> keys;
            for (const QString& token : arg.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                const QKeySequence seq = QKeySequence::fromString(token, QKeySequence::PortableText);
                if (seq.isEmpty() || seq[0].key() == Qt::Key_unknown) {
                    error = QStringLiteral("unknown key ") + token;
                    return false;
                }
                for (int i = 0; i < seq.count(); ++i)
                    keys.append(seq[i]);
            }
            QPointer<QWindow> window = target->windowHandle();
            Post([window, keys] {
                for (const QKeyCombination& k : keys) {
                    if (!window)
                        return;
                    QTest::keyClick(window.data(), k.key(), k.keyboardModifiers());
                }
            });
            return true;
        }
        if (verb == QLatin1String("type")) {
            QWidget* target = KeyTarget();
            waitingFor_ = QStringLiteral("a window to take the keys");
            if (!target || !target->windowHandle())
                return false;
            QPointer<QWindow> window = target->windowHandle();
            const QString text = arg;
            Post([window, text] {
                for (const QChar c : text) {
                    if (!window)
                        return;
                    int key = c.toUpper().unicode();
                    if (c == QLatin1Char(' '))
                        key = Qt::Key_Space;
                    const Qt::KeyboardModifiers mods = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
                    qt_handleKeyEvent(window, QEvent::KeyPress, key, mods, QString(c), false, 1);
                    qt_handleKeyEvent(window, QEvent::KeyRelease, key, mods, QString(c), false, 1);
                    QCoreApplication::processEvents();
                }
            });
            return true;
        }
        if (verb == QLatin1String("menu"))
            return TryMenu(arg, error);
        if (verb == QLatin1String("close")) {
            if (!window_) {
                error = QStringLiteral("close without a window: wait for one first");
                return false;
            }
            QPointer<QWidget> w = window_;
            Post([w] {
                if (w)
                    w->close();
            });
            return true;
        }
        if (verb == QLatin1String("file")) {
            waitingFor_ = QStringLiteral("the file ") + arg;
            return QFileInfo::exists(arg);
        }
        if (verb == QLatin1String("touch")) {
            QFile f(arg);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Append))
                error = QStringLiteral("cannot write ") + arg;
            return true;
        }
        if (verb == QLatin1String("shot")) {
            QWidget* w = window_ ? window_.data() : KeyTarget();
            if (!w) {
                waitingFor_ = QStringLiteral("a window to picture");
                return false;
            }
            const QString file = outDir_ + QLatin1Char('/') + arg + QStringLiteral(".png");
            if (!w->grab().save(file))
                error = QStringLiteral("cannot save ") + file;
            return true;
        }
        if (verb == QLatin1String("text")) {
            // text <selector> is <pattern>: waits until the widget's text matches
            const int is = int(arg.indexOf(QLatin1String(" is ")));
            if (is < 0) {
                error = QStringLiteral("text takes <selector> is <pattern>");
                return false;
            }
            const Selector s = Selector::Parse(arg.left(is));
            const QRegularExpression want(arg.mid(is + 4));
            if (!s.error.isEmpty() || !want.isValid()) {
                error = s.error.isEmpty() ? QStringLiteral("bad pattern ") + arg.mid(is + 4) : s.error;
                return false;
            }
            if (FindWidget(s, [&want](QWidget* w) { return want.match(VisibleText(w)).hasMatch(); }))
                return true;
            QWidget* w = FindWidget(s);
            waitingFor_ = QStringLiteral("%1 to read like /%2/ (it reads \"%3\")")
                              .arg(arg.left(is), arg.mid(is + 4), w ? VisibleText(w) : QStringLiteral("<no widget>"));
            return false;
        }
        error = QStringLiteral("unknown step: ") + step.source;
        return false;
    }

    static QAction* MenuAction(const QList<QAction*>& actions, const QString& text)
    {
        for (QAction* a : actions)
            if (a->isVisible() && !a->isSeparator() && StripMnemonic(a->text()).compare(text, Qt::CaseInsensitive) == 0)
                return a;
        return nullptr;
    }

    // menu File > Exit: clicks the menu bar's item, then each item of the popups that open.
    bool TryMenu(const QString& arg, QString& error)
    {
        if (menuPhase_ == 0) {
            menuPath_.clear();
            for (const QString& part : arg.split(QLatin1Char('>')))
                menuPath_.append(part.trimmed());
            if (menuPath_.size() < 2 || menuPath_.contains(QString())) {
                error = QStringLiteral("menu takes Menu > Item [> Item...]");
                return false;
            }
            QWidget* root = window_ ? window_.data() : KeyTarget();
            QMenuBar* bar = root ? root->findChild<QMenuBar*>() : nullptr;
            waitingFor_ = QStringLiteral("a menu bar with %1").arg(menuPath_[0]);
            if (!bar || !bar->isVisible())
                return false;
            QAction* a = MenuAction(bar->actions(), menuPath_[0]);
            if (!a || !a->isEnabled())
                return false;
            QPointer<QMenuBar> target = bar;
            const QPoint p = bar->actionGeometry(a).center();
            Post([target, p] {
                if (target)
                    QTest::mouseClick(target.data(), Qt::LeftButton, Qt::NoModifier, p);
            });
            menuPhase_ = 1;
            return false;
        }
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        waitingFor_ = QStringLiteral("an open menu with the item %1").arg(menuPath_[menuPhase_]);
        if (!popup || !popup->isVisible())
            return false;
        QAction* a = MenuAction(popup->actions(), menuPath_[menuPhase_]);
        if (!a)
            return false;
        if (!a->isEnabled()) {
            waitingFor_ = QStringLiteral("the menu item %1 to be enabled").arg(menuPath_[menuPhase_]);
            return false;
        }
        QPointer<QMenu> target = popup;
        const QPoint p = popup->actionGeometry(a).center();
        Post([target, p] {
            if (target)
                QTest::mouseClick(target.data(), Qt::LeftButton, Qt::NoModifier, p);
        });
        ++menuPhase_;
        return menuPhase_ == menuPath_.size();
    }

    void DescribeWidgets(QTextStream& out, QWidget* w, int depth)
    {
        if (depth > 12)
            return;
        out << QString(depth * 2 + 4, QLatin1Char(' ')) << w->metaObject()->className();
        if (!w->objectName().isEmpty())
            out << " name=" << w->objectName();
        const QString text = VisibleText(w).left(60).replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (!text.isEmpty())
            out << " text=\"" << text << "\"";
        if (!w->isEnabled())
            out << " (disabled)";
        if (w == QApplication::focusWidget())
            out << " (focus)";
        out << "\n";
        for (QObject* child : w->children())
            if (auto* cw = qobject_cast<QWidget*>(child); cw && cw->isVisible() && !cw->isWindow())
                DescribeWidgets(out, cw, depth + 1);
    }

    [[noreturn]] void Fail(const QString& why)
    {
        QString report;
        QTextStream out(&report);
        if (current_ < steps_.size())
            out << "journey step " << current_ + 1 << " (script line " << steps_[current_].line << ") failed: "
                << steps_[current_].source << "\n";
        else
            out << "journey failed\n";
        out << "  " << why << "\n";
        out << "  windows shown:\n";
        int index = 0;
        for (QWidget* w : ShownWindows()) {
            out << "  - \"" << w->windowTitle() << "\" (" << w->metaObject()->className() << ")"
                << (w == QApplication::activeWindow() ? " active" : "") << "\n";
            DescribeWidgets(out, w, 0);
            const QString picture = outDir_ + QStringLiteral("/failure-%1-%2.png").arg(program_).arg(++index);
            if (w->grab().save(picture))
                out << "    picture: " << picture << "\n";
        }
        if (auto* popup = QApplication::activePopupWidget())
            out << "  open popup: " << popup->metaObject()->className() << "\n";
        out.flush();
        Log(report);
        QFile failure(outDir_ + QStringLiteral("/failure-%1.txt").arg(program_));
        if (failure.open(QIODevice::WriteOnly | QIODevice::Text))
            failure.write(report.toUtf8());
        failure.close();
        std::fputs(report.toUtf8().constData(), stderr);
        std::fflush(stderr);
        ::_exit(kFailureStatus);
    }
};

class JourneyDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "journey_driver.json")
public:
    QObject* create(const QString& key, const QString&) override
    {
        if (key.compare(QLatin1String("quelmjourney"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new JourneyDriver;
    }
};

} // namespace

#include "JourneyDriver.moc"
