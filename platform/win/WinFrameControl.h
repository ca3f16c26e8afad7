#pragma once
// Three-dimensional edges and frame controls in the classic look, drawn with the fixed system
// colours (button face, highlight, light, shadow, dark shadow).
#include "platform/win/WinGdi.h"

enum : UINT { BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
              BDR_OUTER = 0x3, BDR_INNER = 0xC, EDGE_RAISED = 0x5, EDGE_SUNKEN = 0xA, EDGE_ETCHED = 0x6,
              EDGE_BUMP = 0x9 };
enum : UINT { BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_TOPLEFT = 0x3,
              BF_BOTTOMRIGHT = 0xC, BF_RECT = 0xF, BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000,
              BF_FLAT = 0x4000, BF_MONO = 0x8000 };
// Edges of `edge` on the sides of `flags`; BF_MIDDLE fills the inside with the button face;
// BF_ADJUST shrinks the rectangle by the edges drawn.
BOOL DrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags);

enum : UINT { DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4 };
enum : UINT {
    DFCS_CAPTIONCLOSE = 0x0, DFCS_CAPTIONMIN = 0x1, DFCS_CAPTIONMAX = 0x2, DFCS_CAPTIONRESTORE = 0x3,
    DFCS_CAPTIONHELP = 0x4,
    DFCS_MENUARROW = 0x0, DFCS_MENUCHECK = 0x1, DFCS_MENUBULLET = 0x2,
    DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2, DFCS_SCROLLRIGHT = 0x3,
    DFCS_SCROLLCOMBOBOX = 0x5, DFCS_SCROLLSIZEGRIP = 0x8,
    DFCS_BUTTONCHECK = 0x0, DFCS_BUTTONRADIOIMAGE = 0x1, DFCS_BUTTONRADIOMASK = 0x2, DFCS_BUTTONRADIO = 0x4,
    DFCS_BUTTON3STATE = 0x8, DFCS_BUTTONPUSH = 0x10,
    DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_TRANSPARENT = 0x800,
    DFCS_HOT = 0x1000, DFCS_ADJUSTRECT = 0x2000, DFCS_FLAT = 0x4000, DFCS_MONO = 0x8000,
};
// A frame control of `type` in `state`: push buttons, check boxes and radio buttons, scroll and
// combo-box arrow buttons, caption buttons and menu glyphs. Logged as one "DrawFrameControl"
// record (Points[0] = type, state; Flags = state).
BOOL DrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state);
