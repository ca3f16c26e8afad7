#pragma once
// Scripted drags. While a TScriptedDrag lives, DoDragDrop follows its steps instead of the
// mouse: the pointer visits the given client points of windows in order (the drop targets
// registered for them get DragEnter when the pointer comes, DragOver at every point and
// DragLeave when it goes), the source is asked QueryContinueDrag with the left button held
// at every step (the cursor already there, as GetCursorPos tells) and told the target's effect
// (GiveFeedback) after it, and the drag ends with the button released (a drop on the last
// target, when it accepted) or with Escape. The offscreen platform has no drag loop of its own;
// this is how a drag runs there.
#include "platform/win/WinOle.h"
#include "platform/win/WinWindow.h"

#include <vector>

class TScriptedDrag {
public:
    TScriptedDrag();
    ~TScriptedDrag();
    TScriptedDrag(const TScriptedDrag&) = delete;
    TScriptedDrag& operator=(const TScriptedDrag&) = delete;

    // The pointer goes to a client point of the window; keys: MK_CONTROL, MK_SHIFT held.
    TScriptedDrag& Over(HWND window, POINT client, DWORD keys = 0);
    // The drag ends with Escape instead of a release.
    TScriptedDrag& CancelAtEnd();

    // What the drags run so far did: how many, and the last one's result and effect.
    int Runs = 0;
    HRESULT LastResult = S_OK;
    DWORD LastEffect = DROPEFFECT_NONE;

private:
    HRESULT Run(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect);
    struct Step {
        HWND Window;
        POINT Client;
        DWORD Keys;
    };
    std::vector<Step> steps_;
    bool cancel_ = false;
    TDoDragDropHandler previous_;
};
