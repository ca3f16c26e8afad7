#include "About.h"

#include "TVersionInfo_Unit.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>

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

    auto* frame = new QFrame;
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1 = new TWinControl(this, frame);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetBounds(8, 8, 595, 414);

    lblProductName = AddLabel("lblProductName", "", 16, 12, 563, 44);
    QFont big = lblProductName->Widget()->font();
    big.setPointSize(24);
    big.setBold(true);
    lblProductName->Widget()->setFont(big);

    auto* line = new QFrame;
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1 = new TControl(this, line);
    Bevel1->SetName("Bevel1");
    Bevel1->SetParent(Panel1);
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

TWinControl* TfrmAbout::AddMemo(const String& name, const String& text, int left, int top, int width, int height)
{
    auto* memo = new QPlainTextEdit(ToQString(text));
    memo->setReadOnly(true);
    memo->setFrameStyle(QFrame::NoFrame);
    memo->setBackgroundRole(QPalette::Window);
    memo->viewport()->setAutoFillBackground(false);
    auto* control = new TWinControl(this, memo);
    control->SetName(name);
    control->SetParent(Panel1);
    control->SetBounds(left, top, width, height);
    return control;
}

QPlainTextEdit* TfrmAbout::MemoOf(TWinControl* memo) const
{
    return static_cast<QPlainTextEdit*>(memo->Host());
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
    MemoOf(Memo2)->setPlainText(ToQString(StringReplace(GetAboutText(), "\r\n", "\n", rfReplaceAll)));
}

void TfrmAbout::btnCloseClick(TObject*)
{
    Close();
}
