#pragma once
// TPlusGridUndoRedo: records the cell text changes of a linked grid as a bounded history.
// Multi-cell operations are bracketed by sequence markers (Col = Row = -1). When MaxLevel is
// above 0 the oldest item, marker or change, is dropped to make room.
#include "platform/framework/Component.h"

#include <functional>
#include <memory>
#include <vector>

class TBaseGrid;

class TUndoRedoItem : public TObject {
public:
    // published
    String Value;      // the new text of the cell
    String OrigValue;  // the text before the change
    int Col = -1;
    int Row = -1;
    bool SequenceStart = false;
    bool SequenceStop = false;
};

// Owns its items, oldest first.
class TUndoRedoCollection : public TObject {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TUndoRedoItem* Items(int index) const; // EListError for an index out of range
    TUndoRedoItem* Add();
    void Delete(int index);
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TUndoRedoItem>> items_;
};

using TPlusGridUndoRedoEvent = std::function<void(TObject* Sender, TBaseGrid* Grid, int Col, int Row,
                                                  const String& OrigValue, const String& NewValue)>;

class TPlusGridUndoRedo : public TComponent {
public:
    explicit TPlusGridUndoRedo(TComponent* AOwner);
    ~TPlusGridUndoRedo() override;
    String ClassName() const override { return "TPlusGridUndoRedo"; }

    virtual void AddChange(int Col, int Row, const String& OldValue, const String& NewValue);
    virtual void BeginSequence();
    virtual void EndSequence();

    TUndoRedoCollection& Changes() { return changes_; }
    const TUndoRedoCollection& Changes() const { return changes_; }
    int CurrentLevel() const { return currentLevel_; }

    TBaseGrid* LinkedGrid() const { return linkedGrid_; }
    // Called by the grid whose UndoRedo property is set to this component. The component
    // forgets the grid when the grid is freed.
    template <class Grid>
    void SetLinkedGrid(Grid* grid)
    {
        SetLinkedGrid(grid, grid);
    }
    // The same with the grid and the component it is given apart (TBaseGrid need not be
    // complete where this is called).
    void SetLinkedGrid(TBaseGrid* grid, TComponent* gridComponent);

    // published
    int MaxLevel = 0; // 0 or less: unlimited
    TPlusGridUndoRedoEvent OnUndo;
    TPlusGridUndoRedoEvent OnRedo;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void AddMarker(bool start);
    void TrimToMaxLevel();

    TUndoRedoCollection changes_;
    TBaseGrid* linkedGrid_ = nullptr;
    TComponent* linkedComponent_ = nullptr;
    int currentLevel_ = 0;
};
