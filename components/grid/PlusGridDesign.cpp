// TPlusStringGrid: the quick configuration box shown on a grid in the form designer. It exists
// only while the grid is designing and ShowDesignHelper is set: at run time nothing is painted
// and no zone answers a hit test.
#include "components/grid/DrawRoutines.h"
#include "components/grid/PlusGrid.h"

#include "platform/framework/Menus.h"

namespace {

constexpr int BoxWidth = 150;

void SetHelperFont(TCanvas* canvas)
{
    canvas->Font->Name = "Tahoma";
    canvas->Font->SetSize(8);
}

// The text height of "gh" and the width of a text in the box's font.
int HelperTextHeight()
{
    TBitmap measure;
    SetHelperFont(measure.Canvas());
    return measure.Canvas()->TextHeight("gh");
}

int HelperTextWidth(const String& text)
{
    TBitmap measure;
    SetHelperFont(measure.Canvas());
    return measure.Canvas()->TextWidth(text);
}

String LookLine(TGridLook look)
{
    String name;
    TPlusStringGrid::GetLookName(look, name);
    return "Set look: " + name;
}

// The looks of the menu in their order, by command id (the look's ordinal + 1).
struct TLookItem {
    const char* Caption;
    int Id;
};
constexpr TLookItem LookItems[] = {{"Standard", 1},    {"Soft", 2},         {"Classic", 3},
                                   {"Virel", 4},       {"ListView", 6},     {"Office 2007", 9},
                                   {"Windows XP", 5},  {"Windows Vista", 7}, {"Windows 7", 8}};

} // namespace

TRect TPlusStringGrid::DesignHelperRect()
{
    const TRect c = ClientRect();
    const int line = HelperTextHeight() + 2;
    return TRect(c.Right - BoxWidth, c.Bottom - (3 * line + 10), c.Right, c.Bottom);
}

int TPlusStringGrid::DesignHelperHitTest(int X, int Y)
{
    const TRect c = ClientRect();
    const int h = HelperTextHeight();
    const int line = h + 2;
    const int box = 3 * line + 10;
    const int left = c.Right - BoxWidth;
    int zone = -1;
    if (X > c.Right - 16 && c.Bottom - box < Y && Y < c.Bottom - 3 * h)
        zone = 3;
    if (left < X && X < left + HelperTextWidth("Allow edit") + 18 && c.Bottom - box + line + 4 < Y &&
        Y < c.Bottom - box + 2 * line + 4)
        zone = 1;
    if (left < X && X < left + HelperTextWidth(LookLine(Look())) && c.Bottom - box + 2 * line + 4 < Y &&
        Y < c.Bottom - box + 3 * line + 4)
        zone = 2;
    return zone;
}

void TPlusStringGrid::CMDesignHitTest(TMessage& Message)
{
    TBaseGrid::WndProc(Message);
    if (!HasState(csDesigning) || !ShowDesignHelper())
        return;
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    const TPoint p = ScreenToClient(TPoint(cursor.x, cursor.y));
    const int zone = DesignHelperHitTest(p.X, p.Y);
    if (zone != DesignHelperZone) {
        const TRect c = ClientRect();
        RECT r{c.Right - BoxWidth, c.Bottom - 70, c.Right, c.Bottom};
        InvalidateRect(Handle(), &r, TRUE);
    }
    DesignHelperZone = zone;
    if (zone >= 1)
        Message.Result = 1;
}

void TPlusStringGrid::DesignHelperClick(int X, int Y)
{
    if (!HasState(csDesigning) || !ShowDesignHelper())
        return;
    const int zone = DesignHelperHitTest(X, Y);
    if (zone == 1) {
        const TGridOptions options = Options();
        SetOptions(options.Contains(goEditing) ? options - TGridOptions{goEditing}
                                               : options + TGridOptions{goEditing});
    } else if (zone == 2) {
        TPopupMenu menu(nullptr);
        int chosen = 0;
        for (const TLookItem& item : LookItems) {
            auto* entry = new TMenuItem(&menu);
            entry->SetCaption(item.Caption);
            entry->SetChecked(item.Id == int(Look()) + 1);
            entry->OnClick = [&chosen, id = item.Id](TObject*) { chosen = id; };
            menu.Items()->Insert(menu.Items()->Count(), entry);
        }
        const TPoint screen = ClientToScreen(TPoint(X, Y));
        menu.Popup(screen.X, screen.Y);
        if (chosen > 0)
            SetLook(TGridLook(chosen - 1));
    } else if (zone == 3) {
        SetShowDesignHelper(false);
    }
    if (zone < 1)
        return;
    // a size change of the form makes the designer register the form as modified
    if (TForm* form = FindParentForm(this)) {
        form->SetWidth(form->Width() - 1);
        form->SetWidth(form->Width() + 1);
    }
}

void TPlusStringGrid::PaintDesignHelper()
{
    if (!ShowDesignHelper() || !HasState(csDesigning))
        return;
    TCanvas* canvas = Canvas();
    SetHelperFont(canvas);
    canvas->Font->Color = TColor(0x800000);
    canvas->Font->Style = TFontStyles{fsUnderline};
    canvas->Brush->Color = clInfoBk;
    canvas->Brush->Style = bsSolid;
    canvas->Pen->Color = clGray;
    const TRect box = DesignHelperRect();
    const int line = HelperTextHeight() + 2;
    canvas->Rectangle(box.Left, box.Top, box.Right, box.Bottom);
    canvas->Brush->Style = bsClear;
    canvas->TextOut(box.Left + 4, box.Top + 4, "Quick config [v" + GetVersion() + "]");
    DrawTransparentResBitmap(canvas, clInfoBk, TRect(box.Right - 16, box.Top + 2, box.Right, box.Top + 18),
                             "PSGCLOSE");
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    const TPoint p = ScreenToClient(TPoint(cursor.x, cursor.y));
    const int zone = DesignHelperHitTest(p.X, p.Y);
    canvas->Font->Style = zone == 1 ? TFontStyles{fsUnderline} : TFontStyles{};
    DrawCheckBox(canvas, TRect(box.Left + 4, box.Top + line + 2, box.Left + 20, box.Top + line + 18),
                 Options().Contains(goEditing), true, false);
    canvas->Brush->Style = bsClear;
    canvas->TextOut(box.Left + 22, box.Top + line + 4, "Allow edit");
    canvas->Font->Style = zone == 2 ? TFontStyles{fsUnderline} : TFontStyles{};
    canvas->TextOut(box.Left + 4, box.Top + 2 * line + 4, LookLine(Look()));
    canvas->Brush->Style = bsSolid;
}
