// Every window of the catalogue, created offscreen at 96 dpi with the test fonts: each visible
// control lies inside its parent, sibling controls do not overlap, captions fit their controls,
// and a resizable window keeps all that when it grows. A picture of each window goes to
// window_pictures/<name>.png in the build folder.
#include "tests/window_catalogue.h"

#include "platform/framework/StdCtrls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string NameOf(const TControl* c)
{
    return c->Name().empty() ? c->ClassName() : c->Name();
}

// The control's rectangle in its parent's window coordinates.
QRect RectInParent(const TControl* c)
{
    QWidget* host = c->Host();
    QWidget* parentHost = c->Parent()->Host();
    return QRect(host->mapTo(parentHost, QPoint(0, 0)), host->size());
}

// Text as the user sees it: '&' marks an accelerator.
QString Shown(const QString& text)
{
    QString shown;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        else if (text[i] == '&')
            continue;
        shown += text[i];
    }
    return shown;
}

// Why a caption does not fit its control, empty when it fits.
std::string CaptionProblem(const TControl* c)
{
    QWidget* w = c->Host();
    const QFontMetrics fm(w->font());
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty() || !label->pixmap().isNull())
            return {};
        if (label->wordWrap()) {
            const int needed = label->heightForWidth(w->width());
            return needed > w->height() ? "wrapped text needs " + std::to_string(needed) + " pixels of height" : "";
        }
        const QSize needed(fm.horizontalAdvance(label->text()), fm.height());
        if (needed.width() > w->width() || needed.height() > w->height())
            return "label needs " + std::to_string(needed.width()) + "x" + std::to_string(needed.height());
        return {};
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        const QString text = Shown(button->text());
        if (text.isEmpty())
            return {};
        int needed = fm.horizontalAdvance(text) + 6;
        if (button->inherits("QCheckBox") || button->inherits("QRadioButton"))
            needed += w->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                      w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        if (needed > w->width() || fm.height() + 2 > w->height())
            return "button text needs " + std::to_string(needed) + "x" + std::to_string(fm.height() + 2);
        return {};
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        const int needed = fm.horizontalAdvance(group->title()) + 16;
        return needed > w->width() ? "group title needs " + std::to_string(needed) : "";
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        int needed = 0;
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->isTabVisible(i))
                needed += tabs->tabBar()->tabRect(i).width();
        return needed > w->width() ? "tabs need " + std::to_string(needed) : "";
    }
    return {};
}

bool Allowed(const TWindowEntry& entry, const TControl* a, const TControl* b)
{
    for (const auto& [x, y] : entry.AllowedOverlaps)
        if ((x == NameOf(a) && y == NameOf(b)) || (x == NameOf(b) && y == NameOf(a)))
            return true;
    return false;
}

bool Shows(const TControl* c)
{
    return c->Visible() && c->Host() && !c->Host()->isHidden();
}

void CheckChildren(const TWindowEntry& entry, const TWinControl* parent, std::vector<std::string>& problems)
{
    const QRect inside(QPoint(0, 0), parent->Host()->size());
    std::vector<const TControl*> shown;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        const TControl* c = parent->Controls(i);
        if (!Shows(c))
            continue;
        shown.push_back(c);
        const QRect r = RectInParent(c);
        if (!inside.contains(r))
            problems.push_back(NameOf(c) + " lies outside " + NameOf(parent));
        if (r.width() <= 0 || r.height() <= 0)
            problems.push_back(NameOf(c) + " has no size");
        if (const std::string p = CaptionProblem(c); !p.empty())
            problems.push_back(NameOf(c) + ": " + p);
        if (auto* w = dynamic_cast<const TWinControl*>(c))
            CheckChildren(entry, w, problems);
    }
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j)
            if (RectInParent(shown[i]).intersects(RectInParent(shown[j])) && !Allowed(entry, shown[i], shown[j]))
                problems.push_back(NameOf(shown[i]) + " overlaps " + NameOf(shown[j]) + " in " + NameOf(parent));
}

std::vector<std::string> LayoutProblems(const TWindowEntry& entry, TForm* form)
{
    std::vector<std::string> problems;
    CheckChildren(entry, form, problems);
    return problems;
}

} // namespace

TEST(WindowLayout, EveryWindowIsLaidOutCleanly)
{
    TWindowCatalogue catalogue;
    ASSERT_FALSE(catalogue.Entries().empty());
    QDir().mkpath("window_pictures");
    for (const TWindowEntry& entry : catalogue.Entries()) {
        SCOPED_TRACE(entry.Name);
        TForm* form = entry.Create();
        ASSERT_NE(form, nullptr);
        form->Show();
        QApplication::processEvents();
        EXPECT_EQ(LayoutProblems(entry, form), std::vector<std::string>());
        EXPECT_TRUE(form->Host()->grab().save(QString::fromStdString("window_pictures/" + entry.Name + ".png")));

        if (form->BorderStyle() == bsSizeable) {
            // a resizable window keeps its layout when it grows
            form->SetBounds(form->Left(), form->Top(), form->Width() + 160, form->Height() + 120);
            QApplication::processEvents();
            EXPECT_EQ(LayoutProblems(entry, form), std::vector<std::string>()) << "after growing";
        }
        form->Close();
        delete form;
    }
}
