#include "CommonUnits/GeneralUnits/About.h"

#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"


namespace {

const char* const GuiCredits = "The user-interface team\r\nof the model's makers";
const char* const KernelCredits = "The model team\r\nof the model's makers";

} // namespace

TfrmAbout::TfrmAbout(TComponent* owner) : TForm(owner)
{
    SetName("frmAbout");
    SetClientWidth(611);
    SetClientHeight(467);
    SetBorderStyle(bsSingle);
    Position = poScreenCenter;

    Panel1 = new TPanel(this);
    Panel1->SetBevelOuter(bvLowered);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetBounds(8, 8, 595, 414);

    lblProductName = AddLabel("lblProductName", "", 16, 12, 563, 44);
    lblProductName->Font()->SetSize(24);
    lblProductName->Font()->Style << fsBold;
    lblProductName->Font()->Changed();

    Bevel1 = new TBevel(this);
    Bevel1->SetName("Bevel1");
    Bevel1->SetParent(Panel1);
    Bevel1->SetShape(bsTopLine);
    Bevel1->SetBounds(16, 60, 563, 4);

    AddLabel("lblGuiVersion", "GUI Version:", 16, 76, 130, 18);
    Label1 = AddLabel("Label1", "", 150, 76, 420, 18);
    AddLabel("lblDatabaseVersion", "Database Version:", 16, 98, 130, 18);
    Label2 = AddLabel("Label2", "", 150, 98, 420, 18);
    AddLabel("lblDate", "Date:", 16, 120, 130, 18);
    Label3 = AddLabel("Label3", "", 150, 120, 420, 18);

    AddLabel("lblGuiDesigned", "GUI Designed by:", 16, 150, 130, 18);
    memGuiCredits = AddMemo("memGuiCredits", GuiCredits, 150, 150, 420, 44);
    AddLabel("lblKernelDesigned", "Kernel Designed by:", 16, 200, 130, 18);
    memKernelCredits = AddMemo("memKernelCredits", KernelCredits, 150, 200, 420, 44);

    Memo2 = AddMemo("Memo2", "", 16, 254, 563, 148);

    btnClose = new TButton(this);
    btnClose->SetName("btnClose");
    btnClose->SetParent(this);
    btnClose->SetCaption("&Close");
    btnClose->SetDefault(true);
    btnClose->SetBounds(528, 432, 75, 25);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnActivate = [this](TObject* sender) { FormActivate(sender); };
}

TLabel* TfrmAbout::AddLabel(const String& name, const String& caption, int left, int top, int width, int height)
{
    auto* control = new TLabel(this);
    control->SetName(name);
    control->SetCaption(caption);
    control->SetParent(Panel1);
    control->SetBounds(left, top, width, height);
    return control;
}

TMemo* TfrmAbout::AddMemo(const String& name, const String& text, int left, int top, int width, int height)
{
    auto* memo = new TMemo(this);
    memo->SetName(name);
    memo->SetParent(Panel1);
    memo->SetBounds(left, top, width, height);
    memo->SetReadOnly(true);
    memo->SetBorderStyle(bsNone);
    memo->SetColor(clBtnFace);
    memo->SetText(text);
    return memo;
}

void TfrmAbout::FormCreate(TObject*)
{
    SetCaption(Format("%s - About", {GetApplicationTitle()}));
    lblProductName->SetCaption(GetProductName());
}

void TfrmAbout::FormActivate(TObject*)
{
    Label1->SetCaption(GetApplicationTitle());
    Label2->SetCaption(GetDatabaseVersionText());
    Label3->SetCaption(GetReleaseDate());
    Memo2->SetText(GetAboutText());
}

void TfrmAbout::btnCloseClick(TObject*)
{
    Close();
}
