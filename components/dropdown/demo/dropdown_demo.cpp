// Shows every drop-down of the family on one form.
//   dropdown_demo [--shots folder]
// With --shots each pop-up is opened in turn and the form with the open pop-up is drawn into
// folder/<name>.png; then the program ends.
#include "components/dropdown/PlusCalculatorDropdown.h"
#include "components/dropdown/PlusColorPickerDropDown.h"
#include "components/dropdown/PlusDateTimePicker.h"
#include "components/dropdown/PlusDetailDropDown.h"
#include "components/dropdown/PlusImagePickerDropDown.h"
#include "components/dropdown/PlusDropDown.h"
#include "components/dropdown/PlusMemoDropDown.h"
#include "components/dropdown/PlusTimePickerDropDown.h"
#include "components/dropdown/PlusTrackBarDropDown.h"
#include "platform/win/WinLook.h"

#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <cstring>
#include <functional>
#include <vector>

namespace {

struct Shot {
    String name;
    TPlusCustomDropDown* dropDown;
    std::function<void()> afterOpen; // what the user does in the open pop-up before the shot
};

// The form with the open pop-up drawn over it where the screen shows it.
QImage FormWithPopup(TForm* form, TPlusCustomDropDown* d)
{
    QWidget* f = form->Host();
    QWidget* p = d->DropDownForm()->Host();
    const QRect fr = f->frameGeometry();
    const QRect pr = p->geometry();
    const QRect all = fr.united(pr);
    QImage image(all.size(), QImage::Format_ARGB32);
    image.fill(Qt::darkGray);
    QPainter painter(&image);
    painter.drawPixmap(f->geometry().topLeft() - all.topLeft(), f->grab());
    painter.drawPixmap(pr.topLeft() - all.topLeft(), p->grab());
    return image;
}

} // namespace

// The multi-column and grid drop-downs (in a unit of their own: the grid's names do not meet
// the calculator's there).
struct ColumnDropDowns {
    TPlusCustomDropDown* multi;
    TPlusCustomDropDown* grid;
    TPlusCustomDropDown* narrowing;
    std::function<void()> typeIntoNarrowing;
};
ColumnDropDowns MakeColumnDropDowns(TForm* form, TCustomImageList* images,
                                    const std::function<void(TPlusCustomDropDown*, const String&)>& place);

int main(int argc, char** argv)
{
    TQApplication app(argc, argv);
    ApplyStandardLook();
    const char* shots = nullptr;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--shots") == 0)
            shots = argv[i + 1];

    Application->SetTitle("Drop-down demo");
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetCaption("Drop-down editors");
    form->SetClientWidth(900);
    form->SetClientHeight(370);
    form->SetBounds(100, 60, form->Width(), form->Height());

    const int labelsLeft = 150, top = 16, step = 34;
    int row = 0;
    auto place = [&](TPlusCustomDropDown* d, const String& label) {
        d->SetParent(form);
        d->SetBounds(labelsLeft, top + row * step, 200, 21);
        d->SetLabelCaption(label);
        d->SetLabelPosition(lpLeftCenter);
        ++row;
    };

    auto* plain = new TPlusCustomDropDown(form);
    place(plain, "Money with affixes");
    plain->SetEditRule(erMoney);
    plain->SetPrecision(2);
    plain->SetTextPrefix("EUR ");
    plain->SetText("1234.5");
    plain->DropDownHeader()->Caption = "<b>Header</b> with buttons";
    plain->DropDownHeader()->Buttons()->Add()->SetCaption("Help");
    plain->DropDownFooter()->Caption = "Footer";
    TFooterButton* ok = plain->DropDownFooter()->Buttons()->Add();
    ok->SetCaption("OK");
    ok->ModalResult = mrOk;
    TFooterButton* cancel = plain->DropDownFooter()->Buttons()->Add();
    cancel->SetCaption("Cancel");
    cancel->ModalResult = mrCancel;
    plain->SetDropDownHeight(120);
    plain->SetName("Money");

    // what the drop-downs report to the program, on the status line at the bottom
    auto* status = new TLabel(form);
    status->SetName("Status");
    status->SetParent(form);
    status->SetBounds(16, 344, 860, 18);
    status->SetCaption("Ctrl+C and Ctrl+X in the money edit are reported here");
    auto report = [status](const String& what) { status->SetCaption(what); };
    plain->OnCopyText = [report](TObject*, const String& value, bool&) { report("Copied \"" + value + "\""); };
    plain->OnCutText = [report](TObject*, const String& value, bool&) { report("Cut \"" + value + "\""); };

    auto* track = new TPlusTrackBarDropDown(form);
    track->SetName("TrackBar");
    place(track, "Track bar");
    track->SetMax(20);
    track->SetPosition(7);
    track->OnDropUp = [report, track](TObject*, bool cancelled) {
        report("Track bar " + String(cancelled ? "cancelled, back to " : "accepted: ") + track->GetText());
    };

    auto* memo = new TPlusMemoDropDown(form);
    place(memo, "Memo");
    TStringList lines{"First line of the note", "second line", "third line"};
    memo->SetMemoText(lines);

    auto* calc = new TPlusCalculatorDropdown(form);
    place(calc, "Calculator");
    calc->SetFloatValue(42.5);

    auto* time = new TPlusTimePickerDropDown(form);
    place(time, "Time");
    time->SetTime(EncodeTime(10, 20, 30, 0));
    time->ShowTimePicker = true;

    auto* hex = new TPlusCustomDropDown(form);
    place(hex, "Range list");
    hex->SetEditRule(erRangeList);
    hex->SetTextPrefix("Pages ");
    hex->SetText("1-4,7");

    auto* picker = new TPlusDateTimePicker(form);
    picker->SetName("DateTime");
    picker->SetParent(form);
    picker->SetBounds(labelsLeft, top + row * step, 240, 23);
    picker->SetLabelCaption("Date and time");
    picker->SetLabelPosition(lpLeftCenter);
    picker->SetDateTime(EncodeDate(2026, 12, 10) + EncodeTime(14, 30, 15, 0));
    ++row;

    // the same picker with the flat look: the plain one-pixel frame
    auto* flatPicker = new TPlusDateTimePicker(form);
    flatPicker->SetParent(form);
    flatPicker->SetBounds(labelsLeft, top + row * step, 240, 23);
    flatPicker->SetLabelCaption("Date, flat");
    flatPicker->SetLabelPosition(lpLeftCenter);
    flatPicker->SetKind(dkDate);
    flatPicker->SetCtl3D(false);
    flatPicker->SetDateTime(EncodeDate(2026, 12, 11));
    ++row;

    auto* calcGreen = new TPlusCalculatorDropdown(form);
    place(calcGreen, "Calculator, style 13");
    calcGreen->ApplyColorStyle(13);
    calcGreen->SetShowThousandSeparator(true);
    calcGreen->SetFloatValue(1234567.25);

    // the second column
    int column2 = 0;
    auto place2 = [&](TPlusCustomDropDown* d, const String& label) {
        d->SetParent(form);
        d->SetBounds(610, top + column2 * step, 200, 21);
        d->SetLabelCaption(label);
        d->SetLabelPosition(lpLeftCenter);
        ++column2;
    };
    auto colour = [&](TColorSelectionStyle style, const String& label, TColor c) {
        auto* p = new TPlusColorPickerDropDown(form);
        place2(p, label);
        p->AddStandardColors();
        p->SetColorSelectionStyle(style);
        p->ColorValueText = cvtHTML;
        p->SetSelectedColor(c);
        return p;
    };
    auto* colourList = colour(csList, "Colour list", 0x008000);
    auto* colourBoxes = colour(csDiscrete, "Theme colours", 0x4DB5F7);
    auto* colourCube = colour(csColorCube, "Colour cube", 0xCC6633);
    auto* colourSpectrum = colour(csSpectrum, "Spectrum", 0x3366FF);

    auto* images = new TImageList(16, 16, form);
    for (TColor c : {TColor(0x3050E0), TColor(0x30A040), TColor(0xD08020), TColor(0x20B0E0)}) {
        TBitmap b;
        b.SetSize(16, 16);
        b.Canvas()->Brush->Color = clWhite;
        b.Canvas()->FillRect(TRect(0, 0, 16, 16));
        b.Canvas()->Brush->Color = c;
        b.Canvas()->Pen->Color = clBlack;
        b.Canvas()->Ellipse(1, 1, 15, 15);
        images->AddMasked(&b, clWhite);
    }
    auto* detail = new TPlusDetailDropDown(form);
    place2(detail, "Detail items");
    detail->SetImages(images);
    const char* fruits[][2] = {{"Apple", "Crisp, <b>red</b> or green"},
                               {"Banana", "Long and <i>yellow</i>"},
                               {"Cherry", "Small, on a stalk"},
                               {"Damson", "A dark plum"}};
    for (int i = 0; i < 4; ++i) {
        TDetailItem* it = detail->Items()->Add();
        it->SetCaption(fruits[i][0]);
        it->Notes = fruits[i][1];
        it->SetImageIndex(i);
    }
    detail->ItemHeight = 36;
    detail->SetItemIndex(1);

    auto* imagePicker = new TPlusImagePickerDropDown(form);
    place2(imagePicker, "Image picker");
    imagePicker->SetImages(images);
    imagePicker->AddImageListItems();
    const char* names[] = {"Red", "Green", "Blue", "Orange"};
    for (int i = 0; i < 4; ++i)
        imagePicker->Items()->GetItem(i)->SetCaption(names[i]);
    imagePicker->Columns = 2;
    imagePicker->SetItemIndex(2);

    const ColumnDropDowns columns = MakeColumnDropDowns(form, images, place2);

    if (!shots) {
        Application->Run();
        return 0;
    }
    form->Show();
    std::vector<Shot> list{{"header_footer", plain}, {"trackbar", track}, {"memo", memo},
                           {"calculator", calc},     {"timepicker", time}, {"calculator_style13", calcGreen},
                           {"colour_list", colourList}, {"colour_boxes", colourBoxes}, {"colour_cube", colourCube},
                           {"colour_spectrum", colourSpectrum},
                           {"detail", detail}, {"image_picker", imagePicker},
                           {"multicolumn", columns.multi}, {"grid_dropdown", columns.grid},
                           {"grid_dropdown_narrowed", columns.narrowing, columns.typeIntoNarrowing}};
    const String folder = shots;
    size_t next = 0;
    std::function<void()> step_ = [&] {
        if (next > 0)
            list[next - 1].dropDown->HideDropDown(false);
        if (next == list.size()) {
            form->Host()->grab().save(QString::fromStdString(folder + "/form.png"));
            Application->Terminate();
            QApplication::quit();
            return;
        }
        Shot& s = list[next++];
        s.dropDown->SetFocus();
        s.dropDown->ShowDropDown();
        if (s.afterOpen)
            QTimer::singleShot(120, s.afterOpen); // once the focus has settled in the list
        QTimer::singleShot(250, [&, s] {
            FormWithPopup(form, s.dropDown).save(QString::fromStdString(folder + "/" + s.name + ".png"));
            QTimer::singleShot(50, step_);
        });
    };
    QTimer::singleShot(300, step_);
    QApplication::exec();
    return 0;
}
