#include "CommonUnits/GeneralUnits/FileView.h"

#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "platform/framework/Dialogs.h"
#include "platform/rtl/FileUtils.h"


TfrmFileView::TfrmFileView(TComponent* owner) : TForm(owner)
{
    SetName("frmFileView");
    SetBounds(0, 0, 750, 526);
    Position = poScreenCenter;

    // the button strip along the bottom, the memo filling the rest
    pnlButtons = new TPanel(this);
    pnlButtons->SetName("pnlButtons");
    pnlButtons->SetParent(this);
    pnlButtons->SetBevelOuter(bvNone);
    pnlButtons->SetHeight(41);
    pnlButtons->Align = alBottom;

    btnClose = new TButton(this);
    btnClose->SetName("btnClose");
    btnClose->SetParent(pnlButtons);
    btnClose->SetCaption("&Close");
    btnClose->SetDefault(true);
    btnClose->SetBounds(0, 8, 75, 25);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    Memo_File = new TMemo(this);
    Memo_File->SetName("Memo_File");
    Memo_File->SetParent(this);
    Memo_File->SetReadOnly(true);
    Memo_File->SetWordWrap(false);
    Memo_File->SetScrollBars(ssBoth);
    Memo_File->Align = alClient;
    // model output lines its columns up by character counts
    Memo_File->Font()->Name = "Courier New";
    Memo_File->Font()->Pitch = fpFixed;
    Memo_File->Font()->SetSize(9);
    Memo_File->Font()->Changed();

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnResize = [this](TObject* sender) { FormResize(sender); };
    Realign();
    FormResize(this);
}

void TfrmFileView::FormResize(TObject*)
{
    // the button keeps to the right end of its strip
    btnClose->SetLeft(pnlButtons->ClientWidth() - btnClose->Width() - 8);
}

void TfrmFileView::FormCreate(TObject*)
{
    SetCaption(Format("%s - File Viewer", {GetApplicationTitle()}));
}

void TfrmFileView::btnCloseClick(TObject*)
{
    Close();
}

void TfrmFileView::LoadFile(const String& filePath)
{
    if (!FileExists(filePath)) {
        MessageDlg("File: \"" + filePath + "\" not found", mtWarning, {mbOK}, 0);
        return;
    }
    SetCaption("File view of: " + filePath);
    TStringList lines;
    lines.LoadFromFile(filePath);
    String text = lines.Text();
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
        text.resize(text.size() - 2);
    Memo_File->SetText(text);
}
