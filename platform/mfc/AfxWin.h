#pragma once
// The MFC subset of plotwell over Qt widgets: the application object, windows with message maps
// for commands, a frame window with a menu and accelerators, dialogs built from templates of
// controls, and device-context classes over the GDI stand-in.
//
// Message model: commands (menu items, accelerators, dialog buttons, list box notifications) go
// through the class's message map (BEGIN_MESSAGE_MAP ... END_MESSAGE_MAP), searched from the most
// derived class to its bases; an unmapped IDOK/IDCANCEL in a dialog runs OnOK/OnCancel. Window
// messages (paint, size, mouse, close) reach the virtual handlers of CWnd (OnPaint, OnSize...).
// Exceptions never leave a Qt event handler: they go to CWinApp::HandleException.
#include "platform/mfc/AfxDC.h"
#include "platform/win/WinDef.h"
#include "platform/win/WinMessageBox.h"
#include "platform/win/WinWindow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class QDialog;
class QMainWindow;
class CWnd;

class CCmdTarget;
using AFX_PMSG = void (CCmdTarget::*)();
// nCode 0: command or button click; LBN_SELCHANGE for list boxes.
struct AFX_MSGMAP_ENTRY {
    UINT nCode;
    UINT nID;
    AFX_PMSG pfn;
};
struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

enum : UINT { BN_CLICKED = 0, LBN_SELCHANGE = 1 }; // EN_CHANGE and the other edit notifications: WinWindow.h

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Runs the handler mapped to (id, code); false when none.
    bool OnCmdMsg(UINT nID, UINT nCode);
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const { return GetThisMessageMap(); }
};

#define DECLARE_MESSAGE_MAP()                                                                                    \
public:                                                                                                          \
    static const AFX_MSGMAP* GetThisMessageMap();                                                                \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                   \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }                            \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                              \
    {                                                                                                            \
        using ThisClass = theClass;                                                                              \
        using TheBaseClass = baseClass;                                                                          \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define ON_COMMAND(id, memberFxn) {BN_CLICKED, UINT(id), static_cast<AFX_PMSG>(&ThisClass::memberFxn)},
#define ON_BN_CLICKED(id, memberFxn) {BN_CLICKED, UINT(id), static_cast<AFX_PMSG>(&ThisClass::memberFxn)},
#define ON_LBN_SELCHANGE(id, memberFxn) {LBN_SELCHANGE, UINT(id), static_cast<AFX_PMSG>(&ThisClass::memberFxn)},
#define ON_EN_CHANGE(id, memberFxn) {EN_CHANGE, UINT(id), static_cast<AFX_PMSG>(&ThisClass::memberFxn)},
#define END_MESSAGE_MAP()                                                                                        \
    {0, 0, nullptr}                                                                                              \
    }                                                                                                            \
    ;                                                                                                            \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries};                                   \
    return &map;                                                                                                 \
    }

struct CPoint : POINT {
    CPoint() : POINT{0, 0} {}
    CPoint(int x_, int y_) : POINT{x_, y_} {}
};

class CWnd : public CCmdTarget {
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND m_hWnd = nullptr;

    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    void GetClientRect(RECT* rect) const;
    // Client coordinates to screen coordinates.
    void ClientToScreen(RECT* rect) const;
    void Invalidate(BOOL erase = TRUE);
    void UpdateWindow();
    BOOL ShowWindow(int command);
    void MoveWindow(int x, int y, int width, int height);
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    virtual BOOL DestroyWindow();
    void SetFocus();
    // The client area's device context (GetDC/ReleaseDC of the API).
    HDC GetDC();
    int ReleaseDC(HDC dc);
    // A child control by its id; null when there is none.
    CWnd* GetDlgItem(int id) const;
    int MessageBox(const std::string& text, const std::string& caption, UINT flags);

    // Window message handlers.
    virtual void OnPaint();
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnLButtonDown(UINT flags, CPoint point);
    virtual void OnLButtonUp(UINT flags, CPoint point);
    virtual void OnMouseMove(UINT flags, CPoint point);
    virtual void OnRButtonUp(UINT flags, CPoint point);
    virtual void OnClose();
    // Commands: the message map first.
    virtual BOOL OnCommand(UINT id, UINT code);

    // The painter of the current paint (CPaintDC reads it).
    HDC PaintDC() const { return m_paintDC; }
    HDC m_paintDC = nullptr;

    // The control id of a dialog control.
    int m_id = 0;

protected:
    std::vector<std::unique_ptr<CWnd>> m_children;
};

// Menus, built from tables of items.
struct MENUITEM {
    UINT id;          // 0: separator
    const char* text; // "&Print \tCtrl+P"
    UINT flags;       // MF_GRAYED
};
struct POPUPMENU {
    const char* title;
    std::vector<MENUITEM> items;
};
enum : UINT { MF_ENABLED = 0, MF_GRAYED = 1, MF_BYCOMMAND = 0, MF_BYPOSITION = 0x400, MF_STRING = 0 };
// Accelerators: a key name ("Ctrl+P", "F5", "Esc") and the command.
struct ACCELERATOR {
    const char* key;
    UINT id;
};

class CMenu {
public:
    // A menu bar or a popup menu.
    explicit CMenu(QWidget* menu = nullptr) : m_widget(menu) {}
    // The top-level popups of the frame's menu bar.
    int GetMenuItemCount() const;
    BOOL DeleteMenu(UINT position, UINT flags);   // top level by position
    CMenu* GetSubMenu(int position);
    BOOL ModifyMenu(UINT id, UINT flags, UINT newId, const char* text);
    UINT EnableMenuItem(UINT id, UINT flags);
    std::string GetMenuString(UINT id) const;
    // Texts of the top-level menus, or of this popup's items ("" for separators).
    std::vector<std::string> Texts() const;

private:
    QWidget* m_widget = nullptr;
    std::vector<std::unique_ptr<CMenu>> m_subs;
};

class CFrameWnd : public CWnd {
public:
    CFrameWnd();
    ~CFrameWnd() override;
    // Creates the hidden frame with its menu and accelerators.
    BOOL Create(const std::string& title, const std::vector<POPUPMENU>& menu, const std::vector<ACCELERATOR>& accelerators);
    CMenu* GetMenu();
    void DrawMenuBar();
    BOOL DestroyWindow() override;
    QMainWindow* Frame() const { return m_frame; }

private:
    QMainWindow* m_frame = nullptr;
    std::unique_ptr<CMenu> m_menu;
};

// One control of a dialog template; positions in dialog units.
// Text: a read-only multi-line text with scroll bars (its text set with SetDlgItemText).
enum class DlgKind { Button, DefButton, CheckBox, Radio, Edit, Static, ListBox, Group, Progress, Text };
struct DLGITEM {
    int id;
    DlgKind kind;
    const char* text;
    int x, y, cx, cy;
    bool hidden = false;
    bool disabled = false;
};
struct DLGTEMPLATE {
    const char* name;
    const char* title;
    int cx, cy;
    std::vector<DLGITEM> items;
};

class CDialog : public CWnd {
public:
    CDialog(const DLGTEMPLATE& dialog_template, CWnd* parent);
    ~CDialog() override;
    // Runs the dialog modally; IDOK, IDCANCEL or the value given to EndDialog.
    INT_PTR DoModal();
    // Creates the dialog without showing it; modeless dialogs then call ShowWindow.
    BOOL Create();
    void EndDialog(int result);
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL OnCommand(UINT id, UINT code) override;
    BOOL DestroyWindow() override;

    // Control access by id.
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int first, int last, int check);
    // List boxes.
    int ListAddString(int id, const std::string& text);
    int ListInsertString(int id, int index, const std::string& text);
    int ListDeleteString(int id, int index);
    void ListResetContent(int id);
    int ListGetCount(int id) const;
    int ListGetCurSel(int id) const;
    void ListSetCurSel(int id, int index);
    std::string ListGetText(int id, int index) const;
    // Progress bars.
    void ProgressSetPos(int id, int position);

    // Scripted answers for tests: while set, DoModal runs OnInitDialog, calls the hook (which
    // may work the controls and must end the dialog) and returns without showing the window.
    static std::function<void(CDialog&)> TestHook;

    const DLGTEMPLATE& Template() const { return m_template; }
    QDialog* Dialog() const { return m_dialog; }

protected:
    const DLGTEMPLATE& m_template;
    CWnd* m_parent;
    QDialog* m_dialog = nullptr;
    int m_result = -1;
    bool m_modal = false;
    void Build();
};

// The system's open and save dialogs. The filter is "Text (*.x)|*.x|...||".
class CFileDialog {
public:
    CFileDialog(BOOL open, const char* default_extension, const char* file_name, const char* filter, CWnd* parent,
                const char* title = nullptr);
    INT_PTR DoModal();
    std::string GetPathName() const { return m_path; }
    // Scripted answers for tests: the chosen path, or empty for Cancel (newest wins while set).
    static std::function<std::string(const CFileDialog&)> TestHook;
    std::string m_filter, m_title, m_defaultExtension, m_fileName;
    BOOL m_open;

private:
    CWnd* m_parent;
    std::string m_path;
};

class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    // Runs the message loop while the main window exists.
    virtual int Run();
    // Shown for an exception that reached an event handler.
    virtual void HandleException(const std::exception& e);

    CWnd* m_pMainWnd = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    std::string m_lpCmdLine;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// Runs the function; an exception goes to the application's HandleException.
void AfxGuard(const std::function<void()>& body);
