// Device-context classes over the GDI stand-in.
#include "platform/mfc/AfxDC.h"

#include "platform/mfc/AfxWin.h"

CDC::~CDC()
{
    if (m_owned && m_hDC) ::DeleteDC(m_hDC);
}

BOOL CDC::Attach(HDC dc)
{
    m_hDC = dc;
    m_owned = false;
    return dc != nullptr;
}

HDC CDC::Detach()
{
    HDC dc = m_hDC;
    m_hDC = nullptr;
    m_owned = false;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc)
{
    m_hDC = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
    m_owned = true;
    return m_hDC != nullptr;
}

BOOL CDC::DeleteDC()
{
    if (!m_hDC) return FALSE;
    ::DeleteDC(m_hDC);
    m_hDC = nullptr;
    m_owned = false;
    return TRUE;
}

CPaintDC::CPaintDC(CWnd* window)
{
    m_hDC = window ? window->PaintDC() : nullptr;
    m_owned = false;
}

CPaintDC::~CPaintDC() { m_hDC = nullptr; }

CClientDC::CClientDC(CWnd* window) : m_window(window) { m_hDC = window ? window->GetDC() : nullptr; }

CClientDC::~CClientDC()
{
    if (m_window && m_hDC) m_window->ReleaseDC(m_hDC);
    m_hDC = nullptr;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height)
{
    DeleteObject();
    m_hObject = ::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height);
    return m_hObject != nullptr;
}

BOOL CBitmap::DeleteObject()
{
    if (!m_hObject) return FALSE;
    ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return TRUE;
}
