// TPlusStringGrid: the search panel's Return-reporting edit and the scaling of the grid's extra
// fonts with its form.
#include "components/grid/PlusGrid.h"

// ---------------------------------------------------------------- the search panel's edit

void TRetEdit::CreateParams(TCreateParams& params)
{
    TCustomEdit::CreateParams(params);
    params.Style |= ES_MULTILINE;
}

void TRetEdit::Dispatch(TMessage& message)
{
    if (message.Msg == WM_KEYDOWN && message.WParam == VK_RETURN) {
        if (GetKeyState(VK_CONTROL) < 0) {
            if (OnCtrlReturn)
                OnCtrlReturn(this);
        } else if (OnReturn) {
            OnReturn(this);
        }
        return;
    }
    if (message.Msg == WM_CHAR && (message.WParam == 13 || message.WParam == 10)) {
        char key = char(message.WParam);
        if (OnKeyPress)
            OnKeyPress(this, key);
        message.Result = 0;
        return;
    }
    TCustomEdit::Dispatch(message);
}

// ---------------------------------------------------------------- scaling with the form

void TPlusStringGrid::ChangeScale(int m, int d)
{
    TBaseGrid::ChangeScale(m, d);
    if (HasState(csDesigning) || m == d)
        return;
    FixedFont()->SetSize(MulDiv(FixedFont()->Size(), m, d));
    ActiveCellFont()->SetSize(MulDiv(ActiveCellFont()->Size(), m, d));
}
