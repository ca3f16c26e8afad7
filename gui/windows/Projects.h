#pragma once
// The project window: lists the projects of the database, lets the user add, describe and
// delete them, and chooses the project to work on. The project that is current in the data
// module's Projects table when the window closes (by "OK", a double click on a row or the
// close box) is the one the main window opens.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"

class TfrmProjects : public TEditorForm {
public:
    explicit TfrmProjects(TComponent* owner);
    String ClassName() const override { return "TfrmProjects"; }

    TGroupBox* gbxBrowseProjects = nullptr;
    TDBGrid* grdProjects = nullptr;
    TDBNavigator* navProjects = nullptr;
    TGroupBox* gbxEditProject = nullptr;
    TLabel* lblDescription = nullptr;
    TDBEdit* edtDescription = nullptr;
    TButton* btnComments = nullptr;
    TGroupBox* gbxSelectProject = nullptr;
    TLabel* lblSelectProject = nullptr;
    TButton* btnOK = nullptr;

    void btnOKClick(TObject* sender) { Close(); }
    void grdProjectsDblClick(TObject* sender) { btnOK->Click(); }

protected:
    void OpenTables() override;

private:
    void LayOut();
};
