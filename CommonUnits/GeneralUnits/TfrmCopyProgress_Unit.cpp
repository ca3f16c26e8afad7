#include "CommonUnits/GeneralUnits/TfrmCopyProgress_Unit.h"

#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"


TfrmCopyProgress::TfrmCopyProgress(TComponent* owner) : TForm(owner)
{
    SetName("frmCopyProgress");
    SetBounds(0, 0, 315, 127);
    Position = poScreenCenter;
    SetBorderStyle(bsDialog);
    SetBorderIcons(TBorderIcons()); // no close box: the copy ends the window

    auto makeLabel = [this](const char* name, const char* text, int top) {
        auto* label = new TLabel(this);
        label->SetName(name);
        label->SetParent(this);
        label->SetCaption(text);
        label->SetBounds(16, top + 3, 110, 16);
        return label;
    };
    auto makeEdit = [this](const char* name, int top) {
        auto* edit = new TEdit(this);
        edit->SetName(name);
        edit->SetParent(this);
        edit->SetText("0");
        edit->SetEnabled(false);
        edit->SetBounds(132, top, 160, 22);
        return edit;
    };
    lblRecordsProcessed = makeLabel("lblRecordsProcessed", "Records scanned:", 28);
    edtRecordsProcessed = makeEdit("edtRecordsProcessed", 28);
    lblRecordsCopied = makeLabel("lblRecordsCopied", "Records copied:", 72);
    edtRecordsCopied = makeEdit("edtRecordsCopied", 72);

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
}

void TfrmCopyProgress::FormCreate(TObject*)
{
    SetCaption(Format("%s - Copy progress", {GetApplicationTitle()}));
}

void TfrmCopyProgress::ShowScanned(int count)
{
    edtRecordsProcessed->SetText(IntToStr(count));
    edtRecordsProcessed->Repaint();
}

void TfrmCopyProgress::ShowCopied(int count)
{
    edtRecordsCopied->SetText(IntToStr(count));
    edtRecordsCopied->Repaint();
}
