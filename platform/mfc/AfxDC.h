#pragma once
// Device-context classes of the MFC subset over the GDI stand-in.
#include "platform/win/WinGdi.h"

class CWnd;

class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL Attach(HDC dc);
    HDC Detach();
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();
    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    UINT SetTextAlign(UINT align) { return ::SetTextAlign(m_hDC, align); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int sx, int sy, DWORD rop)
    {
        return ::BitBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, sx, sy, rop);
    }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

protected:
    bool m_owned = false;
};

// The context of a paint of the window (its OnPaint).
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;
};

// The client area's context outside a paint.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* window);
    ~CClientDC() override;

private:
    CWnd* m_window;
};

class CBitmap {
public:
    CBitmap() = default;
    ~CBitmap() { DeleteObject(); }
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;
    HBITMAP m_hObject = nullptr;
    operator HBITMAP() const { return m_hObject; }
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    BOOL DeleteObject();
};
