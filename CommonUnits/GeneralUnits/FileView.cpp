#include "FileView.h"

#include "TVersionInfo_Unit.h"
#include "platform/framework/Dialogs.h"
#include "platform/rtl/FileUtils.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfrmFileView::TfrmFileView(TComponent* owner) : TForm(owner)
{
    SetName("frmFileView");
    SetBounds(0, 0, 750, 526);
    Position = poScreenCenter;

    auto* memo = new QPlainTextEdit;
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo_File = new TWinControl(this, memo);
    Memo_File->SetName("Memo_File");
    Memo_File->SetParent(this);

    btnClose = new TButton(this);
    btnClose->SetName("btnClose");
    btnClose->SetParent(this);
    btnClose->SetCaption("&Close");
    btnClose->SetDefault(true);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    auto* layout = new QVBoxLayout(Host());
    layout->addWidget(memo, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnClose->Widget());
    layout->addLayout(buttons);

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
}

QPlainTextEdit* TfrmFileView::Memo() const
{
    return static_cast<QPlainTextEdit*>(Memo_File->Host());
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
    lines.LineBreak = lbLF;
    lines.LoadFromFile(filePath);
    String text = lines.Text();
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    Memo()->setPlainText(ToQString(text));
}
