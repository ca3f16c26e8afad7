#pragma once
// The location window: the catalogue of locations (coordinates, soil profile, meteo station,
// lower boundary, lateral drainage) with its copy, and the doors to the soil profile, lower
// boundary and drainage windows of the current location. The lower-boundary drop-down keeps
// the current record of LboNames on the location's own kind, which the lower boundary window
// reads.
#include "gui/windows/EditorForm.h"

#include "platform/dbctrls/DBGrids.h"

#include <memory>

class TfrmLocations : public TEditorForm {
public:
    explicit TfrmLocations(TComponent* owner);
    ~TfrmLocations() override;
    String ClassName() const override { return "TfrmLocations"; }

    TGroupBox *grpBrowse = nullptr, *grpEdit = nullptr;
    TDBGrid* grdLocations = nullptr;
    TDBNavigator* navLocations = nullptr;
    TButton *btnCopy = nullptr, *btnComments = nullptr;
    TDBEdit *edtCode = nullptr, *edtName = nullptr, *Country = nullptr, *edtLongitude = nullptr,
            *edtLatitude = nullptr, *edtAltitude = nullptr, *edtZPndMax = nullptr, *edtTemLboSta = nullptr,
            *edtThiAirBouLay = nullptr;
    TDBLookupComboBox *dblupSoilProfileCode = nullptr, *dblupMeteoStationCode = nullptr, *dblupLboNameCode = nullptr;
    TButton *btnSoilProfiles = nullptr, *btnLBOs = nullptr, *btnDrainage = nullptr;
    TDBCheckBox* cbCalcLateralDrainage = nullptr;
    TButton *btnClose = nullptr, *btnHelp = nullptr;

    void btnCopyClick(TObject* sender);
    void btnSoilProfilesClick(TObject* sender);
    void btnLBOsClick(TObject* sender);
    void btnDrainageClick(TObject* sender);
    void cbCalcLateralDrainageClick(TObject* sender);

protected:
    void OpenTables() override;
    void AfterOpenTables() override;
    void BeforeCloseDone() override;

private:
    // Follows the current location: the drainage button and the current lower-boundary kind.
    void LocationChanged();
    std::unique_ptr<TDataLink> locationLink_;
};
