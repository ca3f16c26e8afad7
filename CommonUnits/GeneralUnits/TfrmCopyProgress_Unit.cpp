#include "TfrmCopyProgress_Unit.h"

#include "TVersionInfo_Unit.h"

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

TfrmCopyProgress::TfrmCopyProgress(TComponent* owner) : TForm(owner)
{
    SetName("frmCopyProgress");
    SetBounds(0, 0, 315, 127);
    Position = poScreenCenter;
    SetBorderStyle(bsDialog);
    Dialog()->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    auto makeLabel = [this](const char* name, const char* text) {
        auto* control = new TWinControl(this, new QLabel(text));
        control->SetName(name);
        control->SetParent(this);
        return control;
    };
    auto makeEdit = [this](const char* name) {
        auto* edit = new QLineEdit("0");
        edit->setEnabled(false);
        auto* control = new TWinControl(this, edit);
        control->SetName(name);
        control->SetParent(this);
        control->SetEnabled(false);
        return control;
    };
    lblRecordsProcessed = makeLabel("lblRecordsProcessed", "Records scanned:");
    edtRecordsProcessed = makeEdit("edtRecordsProcessed");
    lblRecordsCopied = makeLabel("lblRecordsCopied", "Records copied:");
    edtRecordsCopied = makeEdit("edtRecordsCopied");

    auto* layout = new QGridLayout(Host());
    layout->addWidget(lblRecordsProcessed->Host(), 0, 0);
    layout->addWidget(edtRecordsProcessed->Host(), 0, 1);
    layout->addWidget(lblRecordsCopied->Host(), 1, 0);
    layout->addWidget(edtRecordsCopied->Host(), 1, 1);

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
}

void TfrmCopyProgress::FormCreate(TObject*)
{
    SetCaption(Format("%s - Copy progress", {GetApplicationTitle()}));
}

QLineEdit* TfrmCopyProgress::ScannedEdit() const
{
    return static_cast<QLineEdit*>(edtRecordsProcessed->Host());
}

QLineEdit* TfrmCopyProgress::CopiedEdit() const
{
    return static_cast<QLineEdit*>(edtRecordsCopied->Host());
}

void TfrmCopyProgress::ShowScanned(int count)
{
    ScannedEdit()->setText(QString::number(count));
    edtRecordsProcessed->Repaint();
}

void TfrmCopyProgress::ShowCopied(int count)
{
    CopiedEdit()->setText(QString::number(count));
    edtRecordsCopied->Repaint();
}
