#include "CommonUnits/GeneralUnits/secCrop.h"

#include "CommonUnits/GeneralUnits/dmQuelm_Unit.h"

#include <memory>
#include <vector>

namespace {

struct TCropParameter {
    const char* field;
    const char* keyword; // before the crop identifier
    const char* unit;    // after it
};

const TCropParameter kCropParameters[] = {
    {"HLIM1", "HLim1_", " (cm)"},
    {"HLIM2", "HLim2_", " (cm)"},
    {"HLIM3U", "HLim3U_", " (cm)"},
    {"HLIM3L", "HLim3L_", " (cm)"},
    {"HLIM4", "HLim4_", " (cm)"},
    {"RSTEVPCRP", "RstEvpCrp_", " (s.m-1)"},
    // The keyword of the diffuse extinction coefficient carries the crop's COFEXTRAD.
    {"COFEXTRAD", "CofExtDif_", " (-)"},
    {"COFEXTDIR", "CofExtDir_", " (-)"},
    {"COFINTCRP", "CofIntCrp_", " (cm)"},
    {"TEMSUMSTA", "TemSumSta_", " (C)"},
    {"TEMSUMEMGANT", "TemSumEmgAnt_", " (C)"},
    {"TEMSUMANTMAT", "TemSumAntMat_", " (C)"},
    {"ZTENSIOMETER", "ZTensiometer_", " (m)"},
};

// One crop of the calendar as the section needs it after the calendar query is closed.
struct TCalendarCrop {
    String id;           // crop code followed by the sequence number, "Maize1"
    String cropCode;
    String calendarCropId;
    String emergence, harvest, irrigationEarliest, irrigationLatest; // "dd-Mon"
    String preHeaIrrSta, irgThreshold;                               // real forms
};

} // namespace

void TSectionCrop::WriteBody(TStrings* list, int runId)
{
    if (list == nullptr)
        return;
    const String calendar = dmQuelm->LookupString(dmQuelm->tblRuns, runId, "CultivationSequenceCode", "RunID");
    const String irrigation = dmQuelm->LookupString(dmQuelm->tblRuns, runId, "IrrigationSchemeCode", "RunID");
    TTable* calendars = dmQuelm->tblCultivationSeqs;
    list->Add(calendar + " CropCalendar");
    list->Add(KeyLine(YesNoText(dmQuelm->LookupYesNoByCode(calendars, calendar, "RepeatCrops", "CultivationSequenceCode")),
                      "RepeatCrops"));
    list->Add(KeyLine(dmQuelm->LookupStringByCode(calendars, calendar, "OptLenCrp", "CultivationSequenceCode"),
                      "OptLenCrp"));

    std::unique_ptr<TQuery> query(dmQuelm->NewQuery());
    TQuery* q = query.get();
    std::vector<TCalendarCrop> crops;
    if (dmQuelm->QueryCalendarCrops(calendar, q)) {
        for (q->First(); !q->Eof(); q->Next()) {
            TCalendarCrop c;
            c.cropCode = FieldText(q, "CROPCODE");
            c.id = c.cropCode + FieldText(q, "CULTIVATIONSEQNO");
            c.calendarCropId = FieldText(q, "CULTIVATIONSEQUENCEXCROPID");
            c.emergence = dmQuelm->DayMonthOfDateInYear(FieldText(q, "EMERGENCEDATEINYEAR"));
            c.harvest = dmQuelm->DayMonthOfDateInYear(FieldText(q, "HARVESTDATEINYEAR"));
            c.irrigationEarliest = dmQuelm->DayMonthOfDateInYear(FieldText(q, "IRGEARLIESTDATEINYEAR"));
            c.irrigationLatest = dmQuelm->DayMonthOfDateInYear(FieldText(q, "IRGLATESTDATEINYEAR"));
            c.preHeaIrrSta = FieldReal(q, "PREHEAIRRSTA");
            c.irgThreshold = FieldReal(q, "IRGTHRESHOLD");
            crops.push_back(std::move(c));
        }
    }

    list->Add("table  Crops");
    for (const TCalendarCrop& c : crops)
        list->Add(PadRight(c.emergence, 17) + PadRight(c.harvest, 14) + c.id);
    list->Add("end_table");
    if (UpperCase(irrigation) != NO_UPPER) {
        list->Add("table  IrrigationPeriods");
        for (const TCalendarCrop& c : crops)
            list->Add(PadRight(c.irrigationEarliest, 17) + PadRight(c.irrigationLatest, 14) + c.id);
        list->Add("end_table");
    }

    auto real7 = [&](const char* field) { return PadRight(FieldReal(q, field), 7); };
    for (const TCalendarCrop& c : crops) {
        list->Add("table  CrpPar_" + c.id);
        if (dmQuelm->QueryCropStages(c.calendarCropId.empty() ? 0 : StrToInt(c.calendarCropId), q))
            for (q->First(); !q->Eof(); q->Next())
                list->Add(real7("DEVELOPMENTSTAGE") + real7("LAI") + real7("FACCRP") + real7("ZROOT") + real7("HEIGHTCRP"));
        list->Add("end_table");
    }
    for (const TCalendarCrop& c : crops) {
        list->Add("table  RootDensity_" + c.id);
        if (dmQuelm->QueryCropRootDensities(c.cropCode, q))
            for (q->First(); !q->Eof(); q->Next())
                list->Add(real7("RELATIVEDEPTH") + real7("ROOTDENSITY"));
        list->Add("end_table");
    }
    for (const TCalendarCrop& c : crops) {
        dmQuelm->QueryCrop(c.cropCode, q);
        for (const TCropParameter& p : kCropParameters)
            list->Add(KeyLine(FieldReal(q, p.field), p.keyword + c.id + p.unit));
        list->Add(KeyLine(c.preHeaIrrSta, "PreHeaIrrSta_" + c.id + " (cm)"));
        list->Add(KeyLine(c.irgThreshold, "IrgThreshold_" + c.id + " (mm)"));
    }
}
