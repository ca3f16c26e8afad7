// The MFC subset over Qt widgets.
#include "platform/mfc/AfxWin.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>

#include <map>

namespace {
CWinApp* the_app = nullptr;

UINT KeyFlags(const QMouseEvent* e)
{
    UINT f = 0;
    if (e->buttons() & Qt::LeftButton) f |= MK_LBUTTON;
    if (e->buttons() & Qt::RightButton) f |= MK_RBUTTON;
    if (e->modifiers() & Qt::ShiftModifier) f |= MK_SHIFT;
    if (e->modifiers() & Qt::ControlModifier) f |= MK_CONTROL;
    return f;
}

QString MenuText(const char* text) { return QString::fromLatin1(text); }
} // namespace

void AfxGuard(const std::function<void()>& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        if (the_app) the_app->HandleException(e);
    }
}

CWinApp* AfxGetApp() { return the_app; }
CWnd* AfxGetMainWnd() { return the_app ? the_app->m_pMainWnd : nullptr; }

// ---------------------------------------------------------------- message maps

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

bool CCmdTarget::OnCmdMsg(UINT nID, UINT nCode)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e)
            if (e->nID == nID && e->nCode == nCode) {
                (this->*(e->pfn))();
                return true;
            }
        if (map->pfnGetBaseMap == nullptr) break;
    }
    return false;
}

// ---------------------------------------------------------------- hosts

// The client area of a window: paints and mouse input go to the CWnd's handlers.
class CWndHost : public QWidget {
public:
    CWndHost(CWnd* owner, QWidget* parent) : QWidget(parent), owner_(owner)
    {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    CWnd* owner_;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!owner_) return;
        QPainter painter(this);
        DeviceContext dc(&painter, size());
        owner_->m_paintDC = &dc;
        AfxGuard([&] { owner_->OnPaint(); });
        if (owner_) owner_->m_paintDC = nullptr;
    }
    void resizeEvent(QResizeEvent*) override
    {
        if (owner_) AfxGuard([&] { owner_->OnSize(0, width(), height()); });
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (!owner_ || e->button() != Qt::LeftButton) return;
        const CPoint p(int(e->position().x()), int(e->position().y()));
        AfxGuard([&] { owner_->OnLButtonDown(KeyFlags(e), p); });
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (!owner_) return;
        const CPoint p(int(e->position().x()), int(e->position().y()));
        UINT f = KeyFlags(e);
        if (e->button() == Qt::LeftButton) AfxGuard([&] { owner_->OnLButtonUp(f, p); });
        else if (e->button() == Qt::RightButton) AfxGuard([&] { owner_->OnRButtonUp(f, p); });
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!owner_) return;
        const CPoint p(int(e->position().x()), int(e->position().y()));
        AfxGuard([&] { owner_->OnMouseMove(KeyFlags(e), p); });
    }
};

class CFrameHost : public QMainWindow {
public:
    explicit CFrameHost(CFrameWnd* owner) : owner_(owner) {}
    CFrameWnd* owner_;

protected:
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();
        if (owner_) AfxGuard([&] { owner_->OnClose(); });
    }
};

class CDialogHost : public QDialog {
public:
    CDialogHost(CDialog* owner, QWidget* parent) : QDialog(parent), owner_(owner) {}
    CDialog* owner_;
    void reject() override
    {
        if (owner_) AfxGuard([&] { owner_->OnCommand(IDCANCEL, BN_CLICKED); });
    }
};

// ---------------------------------------------------------------- CWnd

CWnd::CWnd() = default;
CWnd::~CWnd() = default;

void CWnd::SetWindowText(const std::string& text)
{
    if (!m_hWnd) return;
    const QString q = ToQString(text);
    if (auto* b = qobject_cast<QAbstractButton*>(m_hWnd)) b->setText(q);
    else if (auto* l = qobject_cast<QLabel*>(m_hWnd)) l->setText(q);
    else if (auto* e = qobject_cast<QLineEdit*>(m_hWnd)) e->setText(q);
    else if (auto* g = qobject_cast<QGroupBox*>(m_hWnd)) g->setTitle(q);
    else if (auto* t = qobject_cast<QPlainTextEdit*>(m_hWnd)) t->setPlainText(q);
    else m_hWnd->window()->setWindowTitle(q);
}

std::string CWnd::GetWindowText() const
{
    if (!m_hWnd) return {};
    if (auto* b = qobject_cast<QAbstractButton*>(m_hWnd)) return FromQString(b->text());
    if (auto* l = qobject_cast<QLabel*>(m_hWnd)) return FromQString(l->text());
    if (auto* e = qobject_cast<QLineEdit*>(m_hWnd)) return FromQString(e->text());
    if (auto* t = qobject_cast<QPlainTextEdit*>(m_hWnd)) return FromQString(t->toPlainText());
    return FromQString(m_hWnd->window()->windowTitle());
}

void CWnd::ClientToScreen(RECT* rect) const
{
    if (!rect || !m_hWnd) return;
    const QPoint origin = m_hWnd->mapToGlobal(QPoint(0, 0));
    rect->left += origin.x();
    rect->right += origin.x();
    rect->top += origin.y();
    rect->bottom += origin.y();
}

void CWnd::GetClientRect(RECT* rect) const
{
    if (!rect) return;
    if (!m_hWnd) {
        *rect = RECT{0, 0, 0, 0};
        return;
    }
    ::GetClientRect(m_hWnd, rect);
}

void CWnd::Invalidate(BOOL) { if (m_hWnd) m_hWnd->update(); }
void CWnd::UpdateWindow() { if (m_hWnd) m_hWnd->repaint(); }

BOOL CWnd::ShowWindow(int command)
{
    if (!m_hWnd) return FALSE;
    const bool was = m_hWnd->isVisible();
    // A frame window's handle is its view: showing or hiding the frame means its top-level window.
    auto* frame = qobject_cast<QMainWindow*>(m_hWnd->parentWidget());
    QWidget* w = frame && frame->centralWidget() == m_hWnd ? static_cast<QWidget*>(frame) : m_hWnd;
    switch (command) {
    case SW_HIDE: w->hide(); break;
    case SW_SHOWMINIMIZED: case SW_MINIMIZE: w->window()->showMinimized(); break;
    case SW_SHOWMAXIMIZED:
        // without a window manager a maximised window keeps its size: give it the screen
        if (QScreen* screen = w->window()->screen()) w->window()->setGeometry(screen->availableGeometry());
        w->window()->showMaximized();
        break;
    default: w->show(); break;
    }
    return was;
}

void CWnd::MoveWindow(int x, int y, int width, int height)
{
    if (!m_hWnd) return;
    QWidget* w = m_hWnd->window();
    w->move(x, y);
    w->resize(width, height);
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    if (!m_hWnd) return FALSE;
    const bool was = !m_hWnd->isEnabled();
    m_hWnd->setEnabled(enable != FALSE);
    return was;
}

BOOL CWnd::IsWindowEnabled() const { return m_hWnd && m_hWnd->isEnabled(); }
BOOL CWnd::IsWindowVisible() const { return m_hWnd && m_hWnd->isVisible(); }
BOOL CWnd::DestroyWindow()
{
    m_hWnd = nullptr;
    return TRUE;
}
void CWnd::SetFocus() { if (m_hWnd) m_hWnd->setFocus(); }
HDC CWnd::GetDC() { return ::GetDC(m_hWnd); }
int CWnd::ReleaseDC(HDC dc) { return ::ReleaseDC(m_hWnd, dc); }

CWnd* CWnd::GetDlgItem(int id) const
{
    for (const auto& c : m_children)
        if (c->m_id == id) return c.get();
    return nullptr;
}

int CWnd::MessageBox(const std::string& text, const std::string& caption, UINT flags)
{
    return ::MessageBox(m_hWnd, text, caption, flags);
}

void CWnd::OnPaint() {}
void CWnd::OnSize(UINT, int, int) {}
void CWnd::OnLButtonDown(UINT, CPoint) {}
void CWnd::OnLButtonUp(UINT, CPoint) {}
void CWnd::OnMouseMove(UINT, CPoint) {}
void CWnd::OnRButtonUp(UINT, CPoint) {}
void CWnd::OnClose() { DestroyWindow(); }
BOOL CWnd::OnCommand(UINT id, UINT code) { return OnCmdMsg(id, code); }

// ---------------------------------------------------------------- menus

namespace {
QAction* FindAction(QWidget* menu, UINT id)
{
    if (!menu) return nullptr;
    for (QAction* a : menu->actions()) {
        if (a->menu()) {
            if (QAction* found = FindAction(a->menu(), id)) return found;
        } else if (!a->isSeparator() && a->data().toUInt() == id) {
            return a;
        }
    }
    return nullptr;
}
} // namespace

int CMenu::GetMenuItemCount() const { return m_widget ? int(m_widget->actions().size()) : 0; }

BOOL CMenu::DeleteMenu(UINT position, UINT flags)
{
    if (!m_widget) return FALSE;
    QAction* a = nullptr;
    if (flags & MF_BYPOSITION) {
        const auto list = m_widget->actions();
        if (position >= UINT(list.size())) return FALSE;
        a = list[int(position)];
    } else {
        a = FindAction(m_widget, position);
    }
    if (!a) return FALSE;
    m_widget->removeAction(a);
    for (QAction* top : m_widget->actions())
        if (top->menu()) top->menu()->removeAction(a);
    m_subs.clear();
    return TRUE;
}

CMenu* CMenu::GetSubMenu(int position)
{
    if (!m_widget) return nullptr;
    const auto list = m_widget->actions();
    if (position < 0 || position >= list.size() || !list[position]->menu()) return nullptr;
    m_subs.push_back(std::make_unique<CMenu>(list[position]->menu()));
    return m_subs.back().get();
}

BOOL CMenu::ModifyMenu(UINT id, UINT flags, UINT newId, const char* text)
{
    QAction* a = FindAction(m_widget, id);
    if (!a) return FALSE;
    a->setData(newId);
    if (text) a->setText(MenuText(text));
    a->setEnabled(!(flags & MF_GRAYED));
    return TRUE;
}

UINT CMenu::EnableMenuItem(UINT id, UINT flags)
{
    QAction* a = FindAction(m_widget, id);
    if (!a) return UINT(-1);
    const UINT was = a->isEnabled() ? MF_ENABLED : MF_GRAYED;
    a->setEnabled(!(flags & MF_GRAYED));
    return was;
}

std::string CMenu::GetMenuString(UINT id) const
{
    QAction* a = FindAction(m_widget, id);
    return a ? FromQString(a->text()) : std::string();
}

std::vector<std::string> CMenu::Texts() const
{
    std::vector<std::string> out;
    if (!m_widget) return out;
    for (QAction* a : m_widget->actions()) out.push_back(a->isSeparator() ? std::string() : FromQString(a->text()));
    return out;
}

// ---------------------------------------------------------------- CFrameWnd

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd()
{
    if (m_frame) {
        static_cast<CFrameHost*>(m_frame)->owner_ = nullptr;
        if (auto* host = dynamic_cast<CWndHost*>(m_frame->centralWidget())) host->owner_ = nullptr;
        delete m_frame;
    }
}

BOOL CFrameWnd::Create(const std::string& title, const std::vector<POPUPMENU>& menu, const std::vector<ACCELERATOR>& accelerators)
{
    auto* frame = new CFrameHost(this);
    m_frame = frame;
    frame->setWindowTitle(ToQString(title));
    auto* view = new CWndHost(this, frame);
    frame->setCentralWidget(view);
    m_hWnd = view;
    for (const POPUPMENU& popup : menu) {
        QMenu* m = frame->menuBar()->addMenu(MenuText(popup.title));
        for (const MENUITEM& item : popup.items) {
            if (item.id == 0) {
                m->addSeparator();
                continue;
            }
            QAction* a = m->addAction(MenuText(item.text));
            a->setData(item.id);
            a->setEnabled(!(item.flags & MF_GRAYED));
            QObject::connect(a, &QAction::triggered, frame, [this, a] {
                const UINT id = a->data().toUInt();
                AfxGuard([&] { OnCommand(id, 0); });
            });
        }
    }
    for (const ACCELERATOR& acc : accelerators) {
        QString key = QString::fromLatin1(acc.key);
        if (key == "Esc") key = "Escape";
        auto* s = new QShortcut(QKeySequence(key), frame);
        s->setContext(Qt::WindowShortcut);
        const UINT id = acc.id;
        QObject::connect(s, &QShortcut::activated, frame, [this, id] { AfxGuard([&] { OnCommand(id, 0); }); });
    }
    m_menu = std::make_unique<CMenu>(frame->menuBar());
    return TRUE;
}

CMenu* CFrameWnd::GetMenu() { return m_menu.get(); }
void CFrameWnd::DrawMenuBar() { if (m_frame) m_frame->menuBar()->update(); }

BOOL CFrameWnd::DestroyWindow()
{
    if (!m_frame) return FALSE;
    QMainWindow* frame = m_frame;
    m_frame = nullptr;
    m_hWnd = nullptr;
    static_cast<CFrameHost*>(frame)->owner_ = nullptr;
    if (auto* host = dynamic_cast<CWndHost*>(frame->centralWidget())) host->owner_ = nullptr;
    frame->hide();
    frame->deleteLater();
    // queued, so that a window destroyed before the message loop starts still ends it
    if (the_app && the_app->m_pMainWnd == this)
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    return TRUE;
}

// ---------------------------------------------------------------- CDialog

std::function<void(CDialog&)> CDialog::TestHook;

CDialog::CDialog(const DLGTEMPLATE& dialog_template, CWnd* parent) : m_template(dialog_template), m_parent(parent) {}

CDialog::~CDialog()
{
    if (m_dialog) {
        static_cast<CDialogHost*>(m_dialog)->owner_ = nullptr;
        delete m_dialog;
    }
}

void CDialog::Build()
{
    if (m_dialog) return;
    QWidget* parent = m_parent && m_parent->m_hWnd ? m_parent->m_hWnd->window() : nullptr;
    auto* dialog = new CDialogHost(this, parent);
    m_dialog = dialog;
    m_hWnd = dialog;
    dialog->setWindowTitle(QString::fromLatin1(m_template.title));
    auto px = [](int v) { return v * 3 / 2; };
    auto py = [](int v) { return v * 13 / 8; };
    dialog->setFixedSize(px(m_template.cx), py(m_template.cy));
    // The client area behind the controls: the dialog's own painting and mouse clicks.
    auto* client = new CWndHost(this, dialog);
    client->setAttribute(Qt::WA_OpaquePaintEvent, false);
    client->setGeometry(0, 0, px(m_template.cx), py(m_template.cy));
    client->lower();
    for (const DLGITEM& item : m_template.items) {
        QWidget* w = nullptr;
        const QString text = QString::fromLatin1(item.text ? item.text : "");
        const int id = item.id;
        switch (item.kind) {
        case DlgKind::Button:
        case DlgKind::DefButton: {
            auto* b = new QPushButton(text, dialog);
            b->setAutoDefault(false);
            b->setDefault(item.kind == DlgKind::DefButton || id == IDOK);
            QObject::connect(b, &QPushButton::clicked, dialog, [this, id] { AfxGuard([&] { OnCommand(UINT(id), BN_CLICKED); }); });
            w = b;
            break;
        }
        case DlgKind::CheckBox: {
            auto* b = new QCheckBox(text, dialog);
            QObject::connect(b, &QCheckBox::clicked, dialog, [this, id] { AfxGuard([&] { OnCommand(UINT(id), BN_CLICKED); }); });
            w = b;
            break;
        }
        case DlgKind::Radio: {
            auto* b = new QRadioButton(text, dialog);
            b->setAutoExclusive(false);
            QObject::connect(b, &QRadioButton::clicked, dialog, [this, id] { AfxGuard([&] { OnCommand(UINT(id), BN_CLICKED); }); });
            w = b;
            break;
        }
        case DlgKind::Edit: {
            auto* e = new QLineEdit(dialog);
            QObject::connect(e, &QLineEdit::textEdited, dialog, [this, id] { AfxGuard([&] { OnCommand(UINT(id), EN_CHANGE); }); });
            w = e;
            break;
        }
        case DlgKind::Static: w = new QLabel(text, dialog); break;
        case DlgKind::Text: {
            auto* t = new QPlainTextEdit(text, dialog);
            t->setReadOnly(true);
            // texts laid out in columns keep them: a fixed-pitch font, lines not wrapped
            t->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
            t->setLineWrapMode(QPlainTextEdit::NoWrap);
            w = t;
            break;
        }
        case DlgKind::Group: {
            auto* g = new QGroupBox(text, dialog);
            g->lower();
            w = g;
            break;
        }
        case DlgKind::ListBox: {
            auto* l = new QListWidget(dialog);
            QObject::connect(l, &QListWidget::itemSelectionChanged, dialog, [this, id] { AfxGuard([&] { OnCommand(UINT(id), LBN_SELCHANGE); }); });
            w = l;
            break;
        }
        case DlgKind::Progress: {
            auto* p = new QProgressBar(dialog);
            p->setRange(0, 100);
            w = p;
            break;
        }
        }
        w->setGeometry(px(item.x), py(item.y), px(item.cx), py(item.cy));
        if (item.kind == DlgKind::Group) w->lower();
        w->setVisible(!item.hidden);
        w->setEnabled(!item.disabled);
        auto child = std::make_unique<CWnd>();
        child->m_hWnd = w;
        child->m_id = id;
        m_children.push_back(std::move(child));
    }
    // Radio buttons of one run of the template form a group: checking one unchecks the others.
    const auto& items = m_template.items;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].kind != DlgKind::Radio) continue;
        std::size_t first = i, last = i;
        while (first > 0 && items[first - 1].kind == DlgKind::Radio) --first;
        while (last + 1 < items.size() && items[last + 1].kind == DlgKind::Radio) ++last;
        auto* me = qobject_cast<QRadioButton*>(GetDlgItem(items[i].id)->m_hWnd);
        std::vector<QRadioButton*> others;
        for (std::size_t k = first; k <= last; ++k)
            if (k != i) others.push_back(qobject_cast<QRadioButton*>(GetDlgItem(items[k].id)->m_hWnd));
        QObject::connect(me, &QRadioButton::toggled, dialog, [me, others](bool on) {
            if (!on) return;
            for (QRadioButton* o : others) o->setChecked(false);
            me->setChecked(true);
        });
    }
}

INT_PTR CDialog::DoModal()
{
    Build();
    m_modal = true;
    m_result = -1;
    OnInitDialog();
    if (TestHook) {
        TestHook(*this);
        m_modal = false;
        return m_result;
    }
    if (m_result != -1) return m_result;
    m_dialog->exec();
    m_modal = false;
    return m_result == -1 ? IDCANCEL : m_result;
}

BOOL CDialog::Create()
{
    Build();
    OnInitDialog();
    return TRUE;
}

void CDialog::EndDialog(int result)
{
    m_result = result;
    if (m_dialog && m_modal && m_dialog->isVisible()) m_dialog->done(result);
    else if (m_dialog && !m_modal) m_dialog->hide();
}

BOOL CDialog::DestroyWindow()
{
    if (m_dialog) m_dialog->hide();
    return TRUE;
}

BOOL CDialog::OnInitDialog() { return TRUE; }
void CDialog::OnOK() { EndDialog(IDOK); }
void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(UINT id, UINT code)
{
    if (OnCmdMsg(id, code)) return TRUE;
    if (code != BN_CLICKED) return FALSE;
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

void CDialog::SetDlgItemText(int id, const std::string& text)
{
    if (CWnd* w = GetDlgItem(id)) {
        if (auto* p = qobject_cast<QProgressBar*>(w->m_hWnd)) p->setFormat(ToQString(text));
        else w->SetWindowText(text);
    }
}

std::string CDialog::GetDlgItemText(int id) const
{
    CWnd* w = GetDlgItem(id);
    return w ? w->GetWindowText() : std::string();
}

void CDialog::CheckDlgButton(int id, UINT check)
{
    if (CWnd* w = GetDlgItem(id))
        if (auto* b = qobject_cast<QAbstractButton*>(w->m_hWnd)) b->setChecked(check != 0);
}

UINT CDialog::IsDlgButtonChecked(int id) const
{
    CWnd* w = GetDlgItem(id);
    auto* b = w ? qobject_cast<QAbstractButton*>(w->m_hWnd) : nullptr;
    return b && b->isChecked() ? 1 : 0;
}

void CDialog::CheckRadioButton(int first, int last, int check)
{
    for (int id = first; id <= last; ++id)
        if (GetDlgItem(id)) CheckDlgButton(id, id == check);
}

namespace {
QListWidget* ListOf(const CDialog& d, int id)
{
    CWnd* w = d.GetDlgItem(id);
    return w ? qobject_cast<QListWidget*>(w->m_hWnd) : nullptr;
}
} // namespace

int CDialog::ListAddString(int id, const std::string& text)
{
    QListWidget* l = ListOf(*this, id);
    if (!l) return -1;
    l->addItem(ToQString(text));
    return l->count() - 1;
}

int CDialog::ListInsertString(int id, int index, const std::string& text)
{
    QListWidget* l = ListOf(*this, id);
    if (!l) return -1;
    if (index < 0 || index > l->count()) index = l->count();
    l->insertItem(index, ToQString(text));
    return index;
}

int CDialog::ListDeleteString(int id, int index)
{
    QListWidget* l = ListOf(*this, id);
    if (!l || index < 0 || index >= l->count()) return -1;
    QSignalBlocker block(l);
    delete l->takeItem(index);
    return l->count();
}

void CDialog::ListResetContent(int id)
{
    if (QListWidget* l = ListOf(*this, id)) {
        QSignalBlocker block(l);
        l->clear();
    }
}

int CDialog::ListGetCount(int id) const
{
    QListWidget* l = ListOf(*this, id);
    return l ? l->count() : 0;
}

int CDialog::ListGetCurSel(int id) const
{
    QListWidget* l = ListOf(*this, id);
    if (!l) return -1;
    const auto selected = l->selectedItems();
    return selected.isEmpty() ? -1 : l->row(selected.front());
}

void CDialog::ListSetCurSel(int id, int index)
{
    QListWidget* l = ListOf(*this, id);
    if (!l) return;
    QSignalBlocker block(l);
    l->clearSelection();
    if (index >= 0 && index < l->count()) l->item(index)->setSelected(true);
}

std::string CDialog::ListGetText(int id, int index) const
{
    QListWidget* l = ListOf(*this, id);
    if (!l || index < 0 || index >= l->count()) return {};
    return FromQString(l->item(index)->text());
}

void CDialog::ProgressSetPos(int id, int position)
{
    if (CWnd* w = GetDlgItem(id))
        if (auto* p = qobject_cast<QProgressBar*>(w->m_hWnd)) p->setValue(position);
}

// ---------------------------------------------------------------- CWinApp

CWinApp::CWinApp() { the_app = this; }
CWinApp::~CWinApp()
{
    if (the_app == this) the_app = nullptr;
}

int CWinApp::Run()
{
    int status = 0;
    if (m_pMainWnd && m_pMainWnd->GetSafeHwnd()) status = QApplication::exec();
    return ExitInstance() ? ExitInstance() : status;
}

void CWinApp::HandleException(const std::exception& e)
{
    ::MessageBox(nullptr, e.what(), "Message", MB_OK | MB_ICONWARNING);
}

// ---------------------------------------------------------------- CFileDialog

std::function<std::string(const CFileDialog&)> CFileDialog::TestHook;

CFileDialog::CFileDialog(BOOL open, const char* default_extension, const char* file_name, const char* filter, CWnd* parent,
                         const char* title)
    : m_filter(filter ? filter : ""), m_title(title ? title : ""), m_defaultExtension(default_extension ? default_extension : ""),
      m_fileName(file_name ? file_name : ""), m_open(open), m_parent(parent)
{
}

INT_PTR CFileDialog::DoModal()
{
    if (TestHook) {
        m_path = TestHook(*this);
        return m_path.empty() ? IDCANCEL : IDOK;
    }
    // "Name (*.x)|*.x|..." becomes Qt's "Name (*.x);;..."
    QStringList filters;
    const QStringList parts = QString::fromLatin1(m_filter.c_str()).split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].isEmpty()) filters << parts[i];
    QWidget* parent = m_parent && m_parent->GetSafeHwnd() ? m_parent->GetSafeHwnd()->window() : nullptr;
    QFileDialog dialog(parent, QString::fromLatin1(m_title.c_str()));
    dialog.setAcceptMode(m_open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    QString ext = QString::fromLatin1(m_defaultExtension.c_str());
    ext.remove("*.");
    ext.remove('.');
    dialog.setDefaultSuffix(ext);
    if (m_fileName.find('*') == std::string::npos) dialog.selectFile(QString::fromLatin1(m_fileName.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return IDCANCEL;
    m_path = dialog.selectedFiles().front().toStdString();
    return IDOK;
}
