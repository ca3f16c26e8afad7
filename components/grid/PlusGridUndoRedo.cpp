#include "components/grid/PlusGridUndoRedo.h"

TUndoRedoItem* TUndoRedoCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    return items_[static_cast<size_t>(index)].get();
}

TUndoRedoItem* TUndoRedoCollection::Add()
{
    items_.push_back(std::make_unique<TUndoRedoItem>());
    return items_.back().get();
}

void TUndoRedoCollection::Delete(int index)
{
    Items(index); // range check
    items_.erase(items_.begin() + index);
}

TPlusGridUndoRedo::TPlusGridUndoRedo(TComponent* AOwner)
    : TComponent(AOwner)
{
}

TPlusGridUndoRedo::~TPlusGridUndoRedo()
{
    BeginDestroy();
}

void TPlusGridUndoRedo::TrimToMaxLevel()
{
    if (MaxLevel > 0 && changes_.Count() >= MaxLevel)
        changes_.Delete(0);
}

void TPlusGridUndoRedo::AddChange(int Col, int Row, const String& OldValue, const String& NewValue)
{
    TrimToMaxLevel();
    TUndoRedoItem* item = changes_.Add();
    item->Col = Col;
    item->Row = Row;
    item->Value = NewValue;
    item->OrigValue = OldValue;
    currentLevel_ = changes_.Count();
}

void TPlusGridUndoRedo::AddMarker(bool start)
{
    TrimToMaxLevel();
    TUndoRedoItem* item = changes_.Add();
    item->SequenceStart = start;
    item->SequenceStop = !start;
    currentLevel_ = changes_.Count();
}

void TPlusGridUndoRedo::BeginSequence()
{
    AddMarker(true);
}

void TPlusGridUndoRedo::EndSequence()
{
    AddMarker(false);
}

void TPlusGridUndoRedo::SetLinkedGrid(TBaseGrid* grid, TComponent* gridComponent)
{
    linkedGrid_ = grid;
    linkedComponent_ = gridComponent;
    if (gridComponent)
        FreeNotification(gridComponent);
}

void TPlusGridUndoRedo::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent != nullptr && AComponent == linkedComponent_) {
        linkedGrid_ = nullptr;
        linkedComponent_ = nullptr;
    }
}
