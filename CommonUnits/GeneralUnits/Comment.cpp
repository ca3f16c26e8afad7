#include "CommonUnits/GeneralUnits/Comment.h"

#include "CommonUnits/GeneralUnits/TVersionInfo_Unit.h"
#include "CommonUnits/GeneralUnits/Utils_Format_Unit.h"

#include <algorithm>

namespace {
const char* const kCommentsField = "Comments";
}

TfrmComment::TfrmComment(TComponent* owner) : TForm(owner)
{
    SetName("frmComment");
    SetBounds(0, 0, 600, 250);
    Position = poScreenCenter;

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
    btnClose->Cancel = true; // Escape closes the window too; the text stays in the record
    btnClose->SetBounds(0, 8, 75, 25);
    btnClose->OnClick = [this](TObject* sender) { btnCloseClick(sender); };

    mmComment = new TDBMemo(this);
    mmComment->SetName("mmComment");
    mmComment->SetParent(this);
    mmComment->Align = alClient;
    mmComment->SetDataField(kCommentsField);
    mmComment->OnChange = [this](TObject* sender) { mmCommentChange(sender); };
    // The memo takes Return and Tab for its text, but Escape means nothing to it: the key
    // closes the window through its cancel button, as from anywhere else in the window.
    mmComment->OnKeyDown = [this](TObject*, WORD& key, TShiftState shift) {
        if (key == VK_ESCAPE && shift.Empty() && btnClose->Cancel) {
            key = 0;
            btnClose->Click();
        }
    };

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnResize = [this](TObject* sender) { FormResize(sender); };
    Realign();
    FormResize(this);
}

TfrmComment::~TfrmComment()
{
    mmComment->OnChange = nullptr;
    mmComment->SetDataSource(nullptr);
}

void TfrmComment::SetDataSource(TDataSource* source)
{
    if (source && source->DataSet() && source->DataSet()->Active())
        source->DataSet()->FieldByName(kCommentsField); // fails for a table without comments
    mmComment->SetDataSource(source);
}

TDataSource* TfrmComment::DataSource() const
{
    return mmComment->DataSource();
}

void TfrmComment::FormCreate(TObject*)
{
    SetCaption(Format("%s - Comment", {GetApplicationTitle()}));
}

void TfrmComment::FormActivate(TObject*)
{
    mmComment->SetFocus();
}

void TfrmComment::FormResize(TObject*)
{
    btnClose->SetLeft(pnlButtons->ClientWidth() - btnClose->Width() - 8);
}

void TfrmComment::btnCloseClick(TObject*)
{
    Close();
}

// A change typed or pasted by the user (the memo has put the record into edit already): the
// 7-bit filter runs, the text is cut to the field's width, and it is written into the field.
void TfrmComment::mmCommentChange(TObject*)
{
    if (filtering_ || !mmComment->Modified())
        return;
    filtering_ = true;
    try {
        const String text = mmComment->Text();
        if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 128; })) {
            // Characters of code 128 and above are dropped; the caret goes one position before
            // where it was.
            const int caret = mmComment->SelStart();
            String stripped;
            for (char c : text)
                if (static_cast<unsigned char>(c) < 128)
                    stripped.push_back(c);
            mmComment->SetText(stripped);
            mmComment->SetSelStart(std::max(caret - 1, 0));
        }
        TField* field = mmComment->Field();
        if (field && field->Size() > 0 && int(mmComment->Text().size()) > field->Size()) {
            const int caret = mmComment->SelStart();
            mmComment->SetText(mmComment->Text().substr(0, size_t(field->Size())));
            mmComment->SetSelStart(std::min(caret, field->Size()));
        }
    } catch (...) {
        filtering_ = false;
        throw;
    }
    filtering_ = false;
    mmComment->UpdateRecord();
}
