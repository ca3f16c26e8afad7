#pragma once
// TDirectoryTreeView: the folder chooser of the framework. One tree holds every folder of the
// file system from its root (so the drive list and the folder list of a classic file window
// are one control); folders only, hidden ones left out. Directory is the selected folder's
// full path (without a trailing delimiter, "/" for the root); the user's selection fires
// OnChange (and OnClick on a click), setting Directory in code fires neither.
#include "platform/framework/Controls.h"

class QTreeView;
class QFileSystemModel;

class TDirectoryTreeView : public TWinControl {
public:
    explicit TDirectoryTreeView(TComponent* owner);
    ~TDirectoryTreeView() override;
    String ClassName() const override { return "TDirectoryTreeView"; }

    const String& Directory() const { return directory_; }
    // Selects the folder, opening the tree down to it and scrolling it into view; a path that
    // is no folder leaves the selection as it was and gives false.
    bool SetDirectory(const String& path);
    // Reads the folders below the selected one again (after they changed on disk).
    void Refresh();
    QTreeView* Widget() const;

    TNotifyEvent OnChange;

private:
    friend class TDirectoryTreeHost;
    void UserSelected(const String& path);
    QFileSystemModel* model_ = nullptr;
    String directory_;
};
