#include "CommonUnits/GeneralUnits/KernelRun_Unit.h"

#include "CommonUnits/GeneralUnits/DxTxtFle.h"
#include "CommonUnits/GeneralUnits/QuelmFileUtils.h"
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Misc_Unit.h"

#include "platform/framework/CheckLst.h"
#include "platform/framework/Dialogs.h"
#include "platform/rtl/Classes.h"

#include <fstream>

TRunResultState RunKernel(const String& inputFileName, TRunWindowMode windowMode)
{
    const String workDir = GetWorkDir();
    if (!RunAndWait(GetKernelExeName(), inputFileName, workDir, static_cast<int>(windowMode)))
        return rsNotStarted;
    return ClassifyErrorFile(JoinPath(workDir, ChangeFileExt(inputFileName, ".err")));
}

TRunResultState ClassifyErrorFile(const String& errorFilePath)
{
    if (!FileExists(errorFilePath))
        return rsSucceeded;
    if (FileSize(errorFilePath) == 0)
        return rsInterrupted;
    // Twelve lines, whatever they say, are what the kernel leaves after ^C.
    if (CountLines(errorFilePath) == 12)
        return rsInterrupted;
    return rsModelError;
}

int CountLines(const String& filePath)
{
    std::ifstream file(filePath, std::ios::binary);
    if (!file)
        throw EInOutError("Cannot open file \"" + filePath + "\"");
    int count = 0;
    for (String line; std::getline(file, line);)
        ++count;
    return count;
}

String ReadTextFile(const String& filePath)
{
    TStringList lines;
    lines.LoadFromFile(filePath);
    lines.LineBreak = lbCRLF;
    return StripExtendedAscii(lines.Text());
}

void LoadOutputHeaderItems(bool checked, const String& filePath, TCheckListBox* list)
{
    if (!FileExists(filePath)) {
        MessageDlg("Internal error: output file not found", mtError, TMsgDlgButtons{mbOK}, 0);
        return;
    }
    TDxTextFile file(filePath);
    for (;;) {
        if (!file.ReadLine())
            return; // no header line
        const String& text = file.Line().Text();
        if (text.empty())
            return; // an empty line ends the search as well
        if (text[0] != '*')
            break;
    }
    const TDxLine& header = file.Line();
    for (int n = 3; n <= header.FieldCount(); ++n) {
        const int index = list->Items()->Add(header.Field(n));
        list->SetChecked(index, checked);
    }
}
