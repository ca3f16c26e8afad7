#pragma once
// The template chooser of the user-defined graphs window: "Graph..." draws the graphs
// window's current choice of variables with the template under the grid's cursor. The
// chooser stays open, so that several templates can be tried in turn.
#include "platform/dbctrls/DBGrids.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class TfrmDetailedOutputGraphs2;

class TfrmGraphUsingTemplate : public TForm {
public:
    explicit TfrmGraphUsingTemplate(TComponent* owner);
    String ClassName() const override { return "TfrmGraphUsingTemplate"; }

    TDBGrid* grdTemplates = nullptr;
    TButton *btnGraph = nullptr, *btnClose = nullptr, *btnHelp = nullptr;
    // The open graphs window whose choice is drawn (set by the caller).
    TfrmDetailedOutputGraphs2* GraphsWindow = nullptr;
    int HelpContext = 917;

    void FormCreate(TObject* sender);
    void FormActivate(TObject* sender);
    void btnGraphClick(TObject* sender);
    void btnCloseClick(TObject* sender) { Close(); }
};
