#pragma once
// TSearchPanel: the search footer docked at the bottom of a string grid: an edit box, Find next,
// Find previous and Highlight buttons, a Match case box and a close button. It only lays out its
// controls and reports their events; the grid searches.
#include "components/grid/PlusObj.h"

#include "platform/framework/ExtCtrls.h"
#include "platform/framework/StdCtrls.h"

class TSearchPanel : public TPanel {
public:
    explicit TSearchPanel(TComponent* owner);
    String ClassName() const override { return "TSearchPanel"; }
    // Places the controls as the footer lays them out (mirrored in right-to-left mode).
    void LayoutControls();

    TColor ColorTo = clNone;
    TColor LineColor = clSilver; // the line along the top edge (the grid's line colour)
    TNotifyEvent OnForwardClick;
    TNotifyEvent OnBackwardClick;
    TNotifyEvent OnEditChange;
    TNotifyEvent OnExitClick;
    TNotifyEvent OnHighlightClick;

    TEdit* Edit = nullptr;
    TPlusGridButton* ForwardButton = nullptr;
    TPlusGridButton* BackwardButton = nullptr;
    TPlusGridButton* CloseButton = nullptr;
    TPlusGridButton* HighlightButton = nullptr;
    TPlusCheckBox* MatchCase = nullptr;

protected:
    void Paint() override;
};
