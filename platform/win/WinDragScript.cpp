// Scripted drags: DoDragDrop's loop driven by a list of pointer positions.
#include "platform/win/WinDragScript.h"

#include <QCursor>
#include <QWidget>

TScriptedDrag::TScriptedDrag()
{
    previous_ = SetDoDragDropHandler([this](IDataObject* data, IDropSource* source, DWORD ok, DWORD* effect) {
        return Run(data, source, ok, effect);
    });
}

TScriptedDrag::~TScriptedDrag()
{
    SetDoDragDropHandler(std::move(previous_));
}

TScriptedDrag& TScriptedDrag::Over(HWND window, POINT client, DWORD keys)
{
    steps_.push_back(Step{window, client, keys});
    return *this;
}

TScriptedDrag& TScriptedDrag::CancelAtEnd()
{
    cancel_ = true;
    return *this;
}

HRESULT TScriptedDrag::Run(IDataObject* data, IDropSource* source, DWORD okEffects, DWORD* effect)
{
    ++Runs;
    IDropTarget* current = nullptr;
    DWORD shown = DROPEFFECT_NONE;
    POINT at{0, 0};
    DWORD keys = 0;
    auto finish = [&](HRESULT result, DWORD done) {
        *effect = done;
        LastResult = result;
        LastEffect = done;
        return result;
    };
    for (const Step& step : steps_) {
        keys = step.Keys;
        // the pointer is at the step's point when the source is asked (GetCursorPos tells it)
        const QPoint g = step.Window ? step.Window->mapToGlobal(QPoint(step.Client.x, step.Client.y))
                                     : QPoint(step.Client.x, step.Client.y);
        QCursor::setPos(g);
        if (source->QueryContinueDrag(FALSE, keys | MK_LBUTTON) != S_OK) {
            if (current)
                current->DragLeave();
            return finish(DRAGDROP_S_CANCEL, DROPEFFECT_NONE);
        }
        at = POINT{g.x(), g.y()};
        IDropTarget* target = step.Window ? RegisteredDropTarget(step.Window) : nullptr;
        if (target != current) {
            if (current)
                current->DragLeave();
            current = target;
            if (current) {
                shown = okEffects;
                current->DragEnter(data, keys | MK_LBUTTON, at, &shown);
            }
        }
        shown = DROPEFFECT_NONE;
        if (current) {
            shown = okEffects;
            current->DragOver(keys | MK_LBUTTON, at, &shown);
        }
        source->GiveFeedback(shown);
    }
    if (cancel_) {
        source->QueryContinueDrag(TRUE, keys);
        if (current)
            current->DragLeave();
        return finish(DRAGDROP_S_CANCEL, DROPEFFECT_NONE);
    }
    source->QueryContinueDrag(FALSE, keys);
    if (!current || shown == DROPEFFECT_NONE) {
        if (current)
            current->DragLeave();
        return finish(DRAGDROP_S_CANCEL, DROPEFFECT_NONE);
    }
    DWORD done = okEffects;
    current->Drop(data, keys, at, &done);
    return finish(DRAGDROP_S_DROP, done);
}
