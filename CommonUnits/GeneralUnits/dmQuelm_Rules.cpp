// The dataset rules: locked records, partners posted together, default values of new records,
// modification dates and the checks before a post or a delete.
#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Sql_Unit.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/Forms.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"

namespace {

String UpperText(TDataSet* ds, const char* field)
{
    TField* f = ds->FindField(field);
    return f ? UpperCase(f->AsString()) : String();
}

// Tables edited together with a partner: before an edit or insert, a partner holding unposted
// changes is posted first, with a line above its save prompt.
struct PartnerRule {
    const char* table;
    const char* partner;
    const char* line;
};
const PartnerRule kPartners[] = {
    {"tblApplicationsAbsolute", "tblApplicationSchemes", "Changes were made to the Application Schemes"},
    {"tblApplicationsRelative", "tblApplicationSchemes", "Changes were made to the Application Schemes"},
    {"tblApplicationSchemes", "tblApplicationsAbsolute", "Changes were made to the Applications"},
    {"tblApplicationSchemes", "tblApplicationsRelative", "Changes were made to the Applications"},
    {"tblTillages", "tblTillageSchemes", "Changes were made to the Tillage Schemes"},
    {"tblTillageSchemes", "tblTillages", "Changes were made to the Tillages"},
    {"tblIrrigations", "tblIrrigationSchemes", "Changes were made to the Irrigation Schemes"},
    {"tblIrrigationSchemes", "tblIrrigations", "Changes were made to the Irrigations"},
    {"tblDepositions", "tblDepositionSchemes", "Changes were made to the Deposition Schemes"},
    {"tblDepositionSchemes", "tblDepositions", "Changes were made to the Depositions"},
    {"tblCntSysEql", "tblCntSysNeq", "Changes were made to the Non-equilibrium domain"},
    {"tblCntSysNeq", "tblCntSysEql", "Changes were made to the Equilibrium domain"},
    {"tblCultivationSeqxCropsA", "tblCultivationSeqs", "Changes were made to the Crop Calendar"},
    {"tblCultivationSeqs", "tblCultivationSeqxCropsA", "Changes were made to the Crops in the Calendar"},
    {"tblSoilProfiles", "tblSoilProfilesxSoilBuildingBlocks", "Changes were made to the Soil building blocks"},
    {"tblSoilProfilesxSoilBuildingBlocks", "tblSoilProfiles", "Changes were made to the Soil profile"},
};

// Default values of a new record. A text of "=today" is today's date without time.
struct DefaultValue {
    const char* field;
    Variant value;
};
const Variant kToday = QStringLiteral("=today");

const std::map<String, std::vector<DefaultValue>>& Defaults()
{
    using V = Variant;
    static const std::map<String, std::vector<DefaultValue>> defaults = {
        {"PROJECTS", {{"DESCRIPTION", V("ProjectID0Description")}, {"CREATIONDATE", kToday}, {"MODIFICATIONDATE", kToday},
                      {"LOCKED", V("No")}}},
        {"RUNS",
         {{"DISABLERESULTS", V("Yes")}, {"ISRESTRICTEDRUN", V("No")}, {"SELECTEDFOREXECUTION", V("Yes")},
          {"CULTIVATIONSEQUENCECODE", V("No")}, {"SUBSTANCECODE", V("No")}, {"APPLICATIONSCHEMECODE", V("No")},
          {"IRRIGATIONSCHEMECODE", V("No")}, {"DEPOSITIONSCHEMECODE", V("No")}, {"TILLAGESCHEMECODE", V("No")},
          {"RESULTSREPORT", V("No")}, {"RESULTSDETAILED", V("NotAvailable")}, {"RESULTSSUMMARY", V("NotAvailable")},
          {"DETAILEDOUTPUT", V("Yes")}, {"PRINTCUMULATIVES", V("Yes")}, {"AMASYSEND", V(0.0)},
          {"OPTDELTIMEVT", V("NoRepeat")}, {"REPEATHYDROLOGY", V("No")}, {"OPTDELTIMPRNCODE", V("Other")},
          {"DELTIMPRN", V(1)}, {"DELTIMSWAMIN", V(1e-7)}, {"DELTIMSWAMAX", V(0.2)}, {"THETATOL", V(0.001)},
          {"OPTDATEFORMATCODE", V("DaysFromSta")}, {"OPTHYD", V("OnLine")}, {"ZGRWLEVSTA", V(-100.0)},
          {"ZFOC", V(1.0)}, {"GWLTOL", V(1.0)}, {"MAXITSWA", V(30)}, {"OPTHYSTERESISCODE", V("No")},
          {"PREHEAWETDRYMIN", V(0.2)}, {"OPTOUTPUTDEPTHTYPECODE", V("Other")}, {"REALFORMAT", V("G12.4")},
          {"CREATIONDATE", kToday}, {"MODIFICATIONDATE", kToday}}},
        {"LOCATIONS",
         {{"LOCATIONCODE", V("Location0")}, {"NAME", V("Location0Name")}, {"COUNTRY", V("The Netherlands")},
          {"LONGITUDE", V(5.5)}, {"LATITUDE", V(52.0)}, {"ALTITUDE", V(0.0)}, {"ZPNDMAX", V(0.0)},
          {"TEMLBOSTA", V(10.0)}, {"THIAIRBOULAY", V(0.01)}, {"CREATIONDATE", kToday}, {"MODIFICATIONDATE", kToday},
          {"OPTDRA", V("No")}, {"LBONAMECODE", V("GrwLev")}, {"MORVAZGRWLEVSTA", V(-9900.0)}, {"MORVASELECTED", V(0)},
          {"LOCKED", V("No")}}},
        {"LOCATIONLBOGROUNDWATERS", {{"LOCKED", V("No")}}},
        {"LOCATIONLBODIRICHLETS", {{"LOCKED", V("No")}}},
        {"LOCATIONLBOGROUNDWATERTS", {{"GRWLEV", V(-100.0)}}},
        {"LOCATIONLBODIRICHLETTS", {{"MVALUE", V(-100.0)}}},
        {"LOCATIONLBOFLUXSINES", {{"FLVLIQLBOAVG", V(-0.25)}, {"FLVLIQLBOAMP", V(0.1)},
                                  {"DATEINYRFLVLIQLBOMAX", V("1 Oct")}, {"LOCKED", V("No")}}},
        {"LOCATIONLBOQHS", {{"COFFNCGRWLEV", V(-0.0112)}, {"EXPFNCGRWLEV", V(-2.5)}, {"LOCKED", V("No")}}},
        {"LOCATIONLBOHEADS", {{"OPTSHAPEGRWLEV", V("ELLIPTIC")}, {"HEADRABASE", V(-1.1)}, {"RSTAQT", V(500.0)},
                              {"HEAAQFAVG", V(-1.4)}, {"HEAAQFAMP", V(0.2)}, {"DATEINYRHEAAQFMAX", V("1 Apr")},
                              {"LOCKED", V("No")}}},
        {"DRAINAGES", {{"DRAINAGELEVEL", V(1)}, {"RSTDRA", V(100.0)}, {"DISTDRA", V(20.0)}, {"RSTINF", V(100.0)},
                       {"ZDRA", V(1.5)}, {"ZSURWAT", V(0.0)}, {"OPTDRAINAGETYPECODE", V("Channel")}}},
        {"LBONAMES", {{"LOCKED", V("No")}}},
        {"IRRIGATIONTYPES", {{"LOCKED", V("No")}}},
        {"APPLICATIONTYPES", {{"LOCKED", V("No")}}},
        {"SUBSTANCETRANSFORMATIONS", {{"LOCKED", V("No")}}},
        {"METEOSTATIONS", {{"METEOSTATIONCODE", V("MetStn0")}, {"NAME", V("MeteoStation0Name")},
                           {"COUNTRY", V("The Netherlands")}, {"LONGITUDE", V(5.5)}, {"LATITUDE", V(52.0)},
                           {"ALTITUDE", V(0.0)}, {"EVAPORATIONOPTIONCODE", V("Input")}, {"LOCKED", V("No")}}},
        {"METEODATA", {{"MDATE", kToday}, {"RDD", V(0.0)}, {"TMMN", V(0.0)}, {"TMMX", V(0.0)}, {"VP", V(0.0)},
                       {"WN", V(0.0)}, {"RAIN", V(0.0)}, {"ETREF", V(0.0)}}},
        {"SOILPROFILES", {{"SOILPROFILECODE", V("Soil0")}, {"NAME", V("Soil0Name")}, {"FACEVPSOL", V(1.0)},
                          {"COFREDEVP", V(0.63)}, {"TORTNAMECODE", V("Currie")}, {"OPTRHO", V("Calculate")},
                          {"LOCKED", V("No")}}},
        {"SOILPROFILESXSOILBUILDINGBLOCKS", {{"HORIZONSEQNO", V(1)}, {"THICKNESS", V(0.1)}, {"COMPARTMENTCNT", V(1)},
                                             {"LENDISLIQ", V(0.05)}, {"FACZTRA", V(1.0)}, {"FACZSOR", V(1.0)}}},
        {"SOILBUILDINGBLOCKS",
         {{"SOILBUILDINGBLOCKCODE", V("SoilBuildingBlock0")}, {"FRASAND", V(0.5)}, {"FRASILT", V(0.3)},
          {"FRACLAY", V(0.2)}, {"CNTOM", V(0.05)}, {"PH", V(7.0)}, {"THETASAT", V(0.5)}, {"THETARES", V(0.02)},
          {"ALPHA", V(0.03)}, {"ALPHAWET", V(0.06)}, {"N", V(3.0)}, {"KSAT", V(5.0)}, {"L", V(0.0)},
          {"RHO", V(1300.0)}, {"LOCKED", V("No")}}},
        {"SOILTORTCURRIE", {{"COFDIFGASCUR", V(2.5)}, {"EXPDIFGASCUR", V(3.0)}, {"COFDIFLIQCUR", V(2.5)},
                            {"EXPDIFLIQCUR", V(3.0)}}},
        {"SOILTORTMILLQUIRK", {{"EXPDIFLIQMILNOM", V(2.0)}, {"EXPDIFLIQMILDEN", V(0.6667)}, {"EXPDIFGASMILNOM", V(2.0)},
                               {"EXPDIFGASMILDEN", V(0.6667)}}},
        {"SOILTORTTROEH", {{"COFDIFGASTRO", V(0.5)}, {"EXPDIFGASTRO", V(1.5)}, {"COFDIFLIQTRO", V(0.5)},
                           {"EXPDIFLIQTRO", V(1.5)}}},
        {"CROPS", {{"CROPCODE", V("Crop0")}, {"NAME", V("Crop0Name")}, {"HLIM1", V(-10.0)}, {"HLIM2", V(-25.0)},
                   {"HLIM3U", V(-1000.0)}, {"HLIM3L", V(-1000.0)}, {"HLIM4", V(-8000.0)}, {"COFEXTRAD", V(0.39)},
                   {"COFEXTDIR", V(1.0)}, {"COFINTCRP", V(0.0001)}, {"RSTEVPCRP", V(70.0)}, {"ZTENSIOMETER", V(0.2)},
                   {"MORVASELECTED", V(0)}, {"LOCKED", V("No")}}},
        {"CROPROOTDENSITIES", {{"RELATIVEDEPTH", V(0.0)}, {"ROOTDENSITY", V(0.0)}}},
        {"CULTIVATIONSEQUENCES", {{"CULTIVATIONSEQUENCECODE", V("CultivationSequence0")},
                                  {"NAME", V("CultivationSequence0Name")}, {"REPEATCROPS", V("Yes")},
                                  {"OPTLENCRP", V("Fixed")}, {"LOCKED", V("No")}}},
        {"CULTIVATIONSEQUENCEXCROPSA", {{"CULTIVATIONSEQNO", V(1)}, {"EMERGENCEYEAROFFSET", V(0)},
                                        {"HARVESTYEAROFFSET", V(0)}, {"LOCKED", V("No")}, {"PREHEAIRRSTA", V(-100.0)},
                                        {"IRGTHRESHOLD", V(15.0)}}},
        {"CULTIVATIONSEQUENCEXCROPSB", {{"DEVELOPMENTSTAGE", V(0.0)}, {"LAI", V(0.0)}, {"FACCRP", V(1.0)},
                                        {"ZROOT", V(0.0)}, {"HEIGHTCRP", V(0.0)}}},
        {"SUBSTANCES",
         {{"ISPARENT", V("Yes")}, {"OPTCNTLIQTRAREF", V("No")}, {"EXPLIQTRA", V(0.7)}, {"CNTLIQTRAREF", V(1.0)},
          {"MOLENTTRA", V(65.4)}, {"OPTCOFFRECODE", V("pH-independent")}, {"PHCORRECTION", V(0.0)},
          {"EXPFRE", V(0.9)}, {"CONLIQREF", V(1.0)}, {"COFDESRAT", V(0.0)}, {"FACSORNEQEQL", V(0.0)},
          {"MOLENTSLB", V(27.0)}, {"MOLENTVAP", V(95.0)}, {"MOLENTSOR", V(0.0)}, {"TEMREFSOR", V(20.0)},
          {"FACUPT", V(0.5)}, {"TEMREFDIF", V(20.0)}, {"COFDIFWATREF", V(4.3e-5)}, {"COFDIFAIRREF", V(0.43)},
          {"OPTDSPCRP", V("Lumped")}, {"DT50DSPCRP", V(1000000.0)}, {"DT50PENCRP", V(1000000.0)},
          {"DT50VOLCRP", V(1000000.0)}, {"DT50TRACRP", V(1000000.0)}, {"FACWASCRP", V(100.0)}, {"LOCKED", V("No")}}},
        {"APPLICATIONSCHEMES", {{"APPLICATIONSCHEMECODE", V("ApplicationScheme0")},
                                {"DESCRIPTION", V("ApplicationScheme0Description")}, {"LOCKED", V("No")}}},
        {"APPLICATIONSABSOLUTE", {{"APPLICATIONTYPECODE", V("AppSolSur")}, {"DOSAGE", V(1.0)},
                                  {"APPLICATIONPARAMETER", V(0.0)}}},
        {"APPLICATIONSRELATIVE", {{"CROPCALENDARSEQNO", V(1)}, {"CROPEVENTCODE", V("Emg")}, {"DATERELATIVE", V(0)},
                                  {"APPLICATIONTYPECODE", V("AppSolSur")}, {"DOSAGE", V(1.0)},
                                  {"APPLICATIONPARAMETER", V(0.0)}}},
        {"IRRIGATIONSCHEMES", {{"IRRIGATIONSCHEMECODE", V("IrrigationScheme0")},
                               {"DESCRIPTION", V("IrrigationScheme0Description")}, {"LOCKED", V("No")}}},
        {"IRRIGATIONS", {{"AMOUNT", V(0.0)}}},
        {"DEPOSITIONSCHEMES", {{"DEPOSITIONSCHEMECODE", V("DepositionScheme0")},
                               {"DESCRIPTION", V("DepositionScheme0Description")}, {"LOCKED", V("No")}}},
        {"DEPOSITIONS", {{"FLMDEP", V(0.0)}}},
        {"TILLAGESCHEMES", {{"TILLAGESCHEMECODE", V("TillageScheme0")}, {"DESCRIPTION", V("TillageScheme0Description")},
                            {"LOCKED", V("No")}}},
        {"TILLAGES", {{"DEPTH", V(0.0)}}},
        {"CNTSYSEQL", {{"Z", V(0.0)}, {"CNTSYSEQL", V(0.0)}}},
        {"CNTSYSNEQ", {{"Z", V(0.0)}, {"CNTSYSNEQ", V(0.0)}}},
        {"RUNPRINTOUTPUTDEPTHS", {{"OUTPUTDEPTH", V(0.05)}}},
        {"RUNPRINTVARIABLESDICTIONARY", {{"DEFAULTVALUE", V("No")}, {"BASICTODISPLAYUNITCONVERSION", V(1.0)},
                                         {"HASDEPTH", V("No")}, {"ISCOMPOUND", V("No")}, {"ISVENNICVARIABLE", V("No")}}},
        {"XYGRAPHTEMPLATES", {{"GRAPHTEMPLATECODE", V("GraphTemplate0")}, {"NAME", V("GraphTemplate0Name")},
                              {"XUSE", V("Yes")}, {"YUSE", V("Yes")}}},
    };
    return defaults;
}

void ApplyDefaults(TDataSet* ds, const std::vector<DefaultValue>& values)
{
    for (const DefaultValue& d : values) {
        TField* f = ds->FindField(d.field);
        if (!f)
            continue;
        if (d.value == kToday)
            f->SetAsDateTime(Date());
        else
            f->SetValue(d.value);
    }
}

} // namespace

bool TdmQuelm::IsRecordLocked(TTable* table)
{
    if (table->FindField("LOCKED"))
        return UpperText(table, "LOCKED") == "YES";
    TDataSet* master = table->MasterSource() ? table->MasterSource()->DataSet() : nullptr;
    return !Trim(table->MasterFields).empty() && master && UpperText(master, "LOCKED") == "YES";
}

void TdmQuelm::CheckRecordNotLocked(TTable* table)
{
    if (!IsRecordLocked(table))
        return;
    MessageDlg("Record is locked because it is a predefined record", mtError, {mbCancel}, 0);
    Abort();
}

void TdmQuelm::CheckMasterNotLocked(TTable* table)
{
    TDataSet* master = table->MasterSource() ? table->MasterSource()->DataSet() : nullptr;
    if (Trim(table->MasterFields).empty() || !master || UpperText(master, "LOCKED") != "YES")
        return;
    MessageDlg("Record is locked because it is a predefined record", mtError, {mbCancel}, 0);
    Abort();
}

void TdmQuelm::StampModificationDate(TTable* table)
{
    table->FieldByName("MODIFICATIONDATE")->SetAsDateTime(Date());
}

void TdmQuelm::PostPartners(TTable* table)
{
    for (const PartnerRule& rule : kPartners) {
        if (!SameText(table->Name, rule.table))
            continue;
        TTable* partner = TableByName(rule.partner);
        if (partner->State() == dsBrowse || partner->State() == dsInactive)
            continue;
        PendingMessages->Add(rule.line);
        partner->Post();
    }
}

void TdmQuelm::tblBeforeInsert(TDataSet* dataSet)
{
    auto* table = static_cast<TTable*>(dataSet);
    PostPartners(table);
    if (ConfirmSwitch)
        CheckMasterNotLocked(table);
}

void TdmQuelm::tblBeforeEdit(TDataSet* dataSet)
{
    auto* table = static_cast<TTable*>(dataSet);
    PostPartners(table);
    if (ConfirmSwitch)
        CheckRecordNotLocked(table);
}

void TdmQuelm::RunsBeforePost()
{
    // The results token: the post that stores a calculation's results comes with "No" and
    // keeps them; every other post of a run makes its results unavailable.
    TField* token = tblRuns->FieldByName("DISABLERESULTS");
    if (UpperCase(token->AsString()) != "YES") {
        token->SetAsString("Yes");
    } else {
        tblRuns->FieldByName("RESULTSSUMMARY")->SetAsString("NotAvailable");
        tblRuns->FieldByName("RESULTSDETAILED")->SetAsString("NotAvailable");
        tblRuns->FieldByName("RESULTSREPORT")->SetAsString("No");
    }
    StampModificationDate(tblRuns);
    tblRuns->FieldByName("CHANGEDETECTION")->SetAsString(FloatToStr(std::rand() / (RAND_MAX + 1.0)));
}

void TdmQuelm::TableBeforePost(TTable* table)
{
    if (table == tblProjects) {
        StampModificationDate(table);
    } else if (table == tblRuns) {
        RunsBeforePost();
    } else if (table == tblSubstances) {
        struct Need {
            const char* option;
            const char* field;
            const char* text;
        };
        static const Need needs[] = {
            {"PH-INDEPENDENT", "KOMEQL", "Kom (coef. for sorption on org. matter) cannot be empty."},
            {"PH-DEPENDENT", "KOMEQLACID", "Kom - acid (coef. for sorption on org. matter) cannot be empty."},
            {"PH-DEPENDENT", "KOMEQLBASE", "Kom - base (coef. for sorption on org. matter) cannot be empty."},
            {"PH-DEPENDENT", "PKA", "pKa cannot be empty."},
            {"USERDEFINED", "KSOREQL", "Kf (Coef. for sorption) cannot be empty."},
        };
        const String option = UpperText(table, "OPTCOFFRECODE");
        bool known = false;
        for (const Need& need : needs) {
            if (option != need.option)
                continue;
            known = true;
            if (table->FieldByName(need.field)->IsNull()) {
                MessageDlg(need.text, mtError, {mbOK}, 0);
                Abort();
            }
        }
        if (!known)
            MessageDlg("Internal error", mtError, {mbOK}, 0);
    } else if (table == tblApplicationsAbsolute || table == tblApplicationsRelative) {
        const String type = UpperText(table, "APPLICATIONTYPECODE");
        if (type == "APPCRPLAI" || type == "APPSOLSUR")
            table->FieldByName("APPLICATIONPARAMETER")->SetAsFloat(0);
        if (table == tblApplicationsRelative && table->FieldByName("CROPCALENDARSEQNO")->AsInteger() != 1) {
            PendingMessages->Add("Warning:");
            PendingMessages->Add("The crop number specifies the sequence number of the crop in the crop calendar.");
            PendingMessages->Add("For Morva-QUELM scenarios this sequence number is 1 if only one crop is grown each year.");
            PendingMessages->Add("Only for the crops beans, cabbage and carrots this sequence number can be either 1 or 2.");
        }
    } else if (table == tblCultivationSeqs) {
        if (table->FieldByName("REPEATCROPS")->AsString() != "Yes") {
            MessageDlg(Format("Repeat crop calendar must be checked for %s", {GetProductName()}), mtError, {mbOK}, 0);
            table->FieldByName("REPEATCROPS")->SetAsString("Yes");
            Abort();
        }
    } else if (table == tblDepthDependentSubstProperties) {
        if (tblSubstances->Active() && tblSoilProfiles->Active() && UpperText(tblSubstances, "LOCKED") == "YES" &&
            UpperText(tblSoilProfiles, "LOCKED") == "YES") {
            ConfirmSwitch = true;
            MessageDlg("Cannot save depth dependent substance properties between MORVA soilprofile and MORVA substance.",
                       mtError, {mbOK}, 0);
            Abort();
        }
    }
}

void TdmQuelm::tblBeforePost(TDataSet* dataSet)
{
    auto* table = static_cast<TTable*>(dataSet);
    TableBeforePost(table);
    if (!ConfirmSwitch) {
        PendingMessages->Clear();
        ConfirmSwitch = true;
        return;
    }
    if (PendingMessages->Count() > 0)
        PendingMessages->Add(" ");
    PendingMessages->Add("Save the changed information ?");
    String text;
    for (int i = 0; i < PendingMessages->Count(); ++i)
        text += (i ? "\r" : "") + (*PendingMessages)[i];
    const int answer = MessageDlg(text, mtConfirmation, mbYesNoCancel, 0);
    if (Screen)
        Screen->SetCursor(crHourGlass);
    PendingMessages->Clear();
    ConfirmSwitch = true;
    if (answer == mrYes)
        return;
    if (answer == mrNo)
        table->Cancel();
    Abort();
}

void TdmQuelm::tblAfterCancel(TDataSet* dataSet)
{
    dataSet->Refresh();
}

void TdmQuelm::tblBeforeDelete(TDataSet* dataSet)
{
    auto* table = static_cast<TTable*>(dataSet);
    if (ConfirmSwitch) {
        CheckRecordNotLocked(table);
        if (MessageDlg("Delete record ?", mtConfirmation, mbYesNo, 0) != mrYes) {
            ConfirmSwitch = true;
            Abort();
        }
    }
    ConfirmSwitch = true;
    if (table == tblProjects) {
        // The runs go here, the project row by the delete that fired this handler; its
        // after-delete commits, a failed delete rolls everything back.
        projectDelete_ = std::make_unique<TTransactionScope>(dbDatabase);
        deletedRuns_.clear();
        try {
            tblRuns->Open();
            while (!tblRuns->IsEmpty()) {
                tblRuns->First();
                ConfirmOff();
                tblRuns->Delete();
            }
        } catch (...) {
            FinishProjectDelete(false);
            throw;
        }
    } else if (table == tblRuns) {
        deletingRun_ = tblRuns->FieldByName("RUNID")->AsInteger();
    }
}

void TdmQuelm::tblAfterInsert(TDataSet* dataSet)
{
    auto* table = static_cast<TTable*>(dataSet);
    auto found = Defaults().find(UpperCase(table->TableName));
    if (found != Defaults().end())
        ApplyDefaults(table, found->second);
    if (table == tblRunPrintVariables) {
        // Every output flag starts as "No"; the vertical-profile flags come from the dictionary
        // when the run's default rows are made.
        for (int i = 1; i < table->FieldCount(); ++i)
            if (!EndsText("_VPRF", table->Fields(i)->FieldName()))
                table->Fields(i)->SetAsString("No");
    }
    struct NewKey {
        TTable* table;
        const char* tableName;
        const char* keyField;
    } const keys[] = {{tblProjects, "Projects", "ProjectID"},
                      {tblRuns, "Runs", "RunID"},
                      {tblCultivationSeqxCropsA, "CULTIVATIONSEQUENCEXCROPSA", "CULTIVATIONSEQUENCEXCROPID"}};
    for (const NewKey& key : keys) {
        if (table != key.table)
            continue;
        const int id = NewKeyValue(key.tableName, key.keyField);
        if (id == -1) {
            table->Cancel();
            throw Exception("Failed to find new ID");
        }
        table->FieldByName(key.keyField)->SetAsInteger(id);
        if (table == tblRuns)
            table->FieldByName("NAME")->SetAsString("Run " + IntToStr(id));
    }
}

void TdmQuelm::InsertDefaultLocationRows()
{
    if (Screen)
        Screen->SetCursor(crHourGlass);
    for (TTable* t : {tblLocLboGroundWaters, tblLocLboGroundWaterTS, tblLocLboFluxSines, tblLocLboQHs,
                      tblLocLboDirichlets, tblLocLboDirichletTS, tblLocLboHeads})
        OpenOrRefresh(t);
    const String code = tblLocations->FieldByName("LOCATIONCODE")->AsString();
    auto insertRow = [this](TTable* t, const std::function<void()>& fill) {
        ConfirmOff();
        t->Insert();
        fill();
        ConfirmOff();
        t->Post();
    };
    auto setCode = [&code](TTable* t) { return [t, &code] { t->FieldByName("LOCATIONCODE")->SetAsString(code); }; };
    auto series = [&](TTable* head, TTable* ts) {
        if (!head->IsEmpty())
            return;
        insertRow(head, setCode(head));
        for (TDateTime day : {EncodeDate(1900, 1, 1), EncodeDate(2099, 12, 31)})
            insertRow(ts, [&, ts, day] {
                setCode(ts)();
                ts->FieldByName("MDATE")->SetAsDateTime(day);
            });
    };
    series(tblLocLboGroundWaters, tblLocLboGroundWaterTS);
    if (tblLocLboFluxSines->IsEmpty())
        insertRow(tblLocLboFluxSines, setCode(tblLocLboFluxSines));
    if (tblLocLboQHs->IsEmpty())
        insertRow(tblLocLboQHs, setCode(tblLocLboQHs));
    series(tblLocLboDirichlets, tblLocLboDirichletTS);
    if (tblLocLboHeads->IsEmpty())
        insertRow(tblLocLboHeads, setCode(tblLocLboHeads));
}

void TdmQuelm::InsertDefaultRunRows()
{
    for (TTable* t : {tblRunPrintVariables, tblPrintOutputDepths, tblCntSysEql, tblCntSysNeq})
        OpenOrRefresh(t);
    const int run = tblRuns->FieldByName("RUNID")->AsInteger();
    if (tblRunPrintVariables->IsEmpty()) {
        ConfirmOff();
        tblRunPrintVariables->Insert();
        tblRunPrintVariables->FieldByName("RUNID")->SetAsInteger(run);
        // The dictionary's defaults win over the after-insert values.
        TQuery query;
        query.DatabaseName = dbDatabase->DatabaseName();
        for (int i = 1; i < tblRunPrintVariables->FieldCount(); ++i) {
            TField* field = tblRunPrintVariables->Fields(i);
            query.Close();
            query.SQL.Clear();
            query.SQL.Add("SELECT DefaultValue FROM RunPrintVariablesDictionary");
            query.SQL.Add("WHERE UPPER(VariableName) = " + QuotedStr(UpperCase(field->FieldName())));
            query.Prepare();
            query.Open();
            field->SetAsString(query.IsEmpty() ? String() : query.Fields(0)->AsString());
        }
        ConfirmOff();
        tblRunPrintVariables->Post();
    }
    auto rows = [this, run](TTable* t, const std::vector<std::pair<const char*, double>>& values,
                            const std::vector<std::vector<double>>& data) {
        if (!t->IsEmpty())
            return;
        for (const auto& row : data) {
            ConfirmOff();
            t->Insert();
            t->FieldByName("RUNID")->SetAsInteger(run);
            for (size_t k = 0; k < values.size(); ++k)
                t->FieldByName(values[k].first)->SetAsFloat(row[k]);
            ConfirmOff();
            t->Post();
        }
    };
    rows(tblPrintOutputDepths, {{"OUTPUTDEPTH", 0}},
         {{0.05}, {0.1}, {0.2}, {0.3}, {0.4}, {0.5}, {0.75}, {1.0}, {2.0}});
    rows(tblCntSysEql, {{"Z", 0}, {"CNTSYSEQL", 0}}, {{0, 0}, {50, 0}});
    rows(tblCntSysNeq, {{"Z", 0}, {"CNTSYSNEQ", 0}}, {{0, 0}, {50, 0}});
}

void TdmQuelm::tblAfterPost(TDataSet* dataSet)
{
    if (dataSet == tblLocations) {
        InsertDefaultLocationRows();
    } else if (dataSet == tblRuns) {
        InsertDefaultRunRows();
    } else if (dataSet == tblCrops) {
        OpenOrRefresh(tblCropRootDensities);
        if (tblCropRootDensities->IsEmpty()) {
            const String crop = tblCrops->FieldByName("CROPCODE")->AsString();
            for (double depth : {0.0, 1.0}) {
                ConfirmOff();
                tblCropRootDensities->Insert();
                tblCropRootDensities->FieldByName("CROPCODE")->SetAsString(crop);
                tblCropRootDensities->FieldByName("RELATIVEDEPTH")->SetAsFloat(depth);
                tblCropRootDensities->FieldByName("ROOTDENSITY")->SetAsFloat(1);
                ConfirmOff();
                tblCropRootDensities->Post();
            }
        }
    } else if (dataSet == tblCultivationSeqxCropsA) {
        if (Screen)
            Screen->SetCursor(crHourGlass);
        TTable* stages = tblCultivationSeqxCropsB2;
        OpenOrRefresh(stages);
        if (stages->IsEmpty()) {
            static const double rows[3][5] = {{0, 0, 1, 0.1, 0}, {0.5, 4, 1, 0.3, 0.1}, {1, 0, 1, 0.6, 0.2}};
            static const char* const fields[5] = {"DEVELOPMENTSTAGE", "LAI", "FACCRP", "ZROOT", "HEIGHTCRP"};
            for (const auto& row : rows) {
                stages->Insert();
                for (int k = 0; k < 5; ++k)
                    stages->FieldByName(fields[k])->SetAsFloat(row[k]);
                stages->Post();
            }
        }
        stages->Close();
    } else if (dataSet == tblSoilProfiles) {
        if (Screen)
            Screen->SetCursor(crHourGlass);
        const String profile = tblSoilProfiles->FieldByName("SOILPROFILECODE")->AsString();
        const std::pair<TTable*, const char*> details[] = {{tblSoilTortCurrie2, "SOILTORTCURRIE"},
                                                           {tblSoilTortMillington2, "SOILTORTMILLQUIRK"},
                                                           {tblSoilTortTroeh2, "SOILTORTTROEH"}};
        for (const auto& [t, name] : details) {
            OpenOrRefresh(t);
            if (!t->IsEmpty())
                continue;
            t->Insert();
            t->FieldByName("SOILPROFILECODE")->SetAsString(profile);
            ApplyDefaults(t, Defaults().at(name));
            t->Post();
        }
    } else if (dataSet == tblMeteoData) {
        DeleteFile(JoinPath(GetWorkDir(), tblMeteoData->FieldByName("METEOSTATIONCODE")->AsString() + ".met"));
    }
}

void TdmQuelm::tblPrintVertProfDates2PostError(TDataSet* dataSet, EDatabaseError&, TDataAction& action)
{
    if (dataSet != tblPrintVertProfDates2)
        return;
    MessageDlg("Error saving the information, probably a duplicate output date has been entered.", mtError, {mbOK}, 0);
    dataSet->Cancel();
    action = daAbort;
}

bool TdmQuelm::CheckDepositionSchemes()
{
    tblDepositionSchemes->First();
    while (!tblDepositionSchemes->Eof()) {
        if (UpperText(tblDepositionSchemes, "DEPOSITIONSCHEMECODE") != "NO" && tblDepositions->IsEmpty()) {
            MessageDlg("Depositions should consist of at least one date.", mtError, {mbOK}, 0);
            return false;
        }
        tblDepositionSchemes->Next();
    }
    return true;
}
