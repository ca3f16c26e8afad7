#include "Report_Unit.h"

#include "DxTxtFle.h"
#include "QuelmFileUtils.h"
#include "dmQuelm_Unit.h"

bool IsMorvaRun(int runId)
{
    const String path = SummaryFilePath(runId);
    if (!FileExists(path))
        return false;
    TDxTextFile file(path);
    return file.FindLine({"*", "QUELM", "REPORT:", "Project_Summary"});
}

bool IsMorvaRun()
{
    return IsMorvaRun(dmQuelm->tblRuns->FieldByName("RUNID")->AsInteger());
}
