#include "platform/framework/CheckLst.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"

#include <QListWidget>

class TCheckListBoxHost : public QListWidget, public TControlHostLink {
public:
    TCheckListBoxHost()
    {
        // the items made by the list's strings get a check box
        setProperty("checkable", true);
        QObject::connect(this, &QListWidget::itemChanged, [this] {
            if (auto* list = dynamic_cast<TCheckListBox*>(control_); list && !list->setting_)
                Application->Guard([list] { list->UserToggled(); }, list);
        });
        QObject::connect(this, &QListWidget::itemClicked, [this] {
            if (control_ && control_->OnClick)
                Application->Guard([this] { control_->OnClick(control_); }, control_);
        });
        QObject::connect(this, &QListWidget::itemDoubleClicked, [this] {
            if (control_ && control_->OnDblClick)
                Application->Guard([this] { control_->OnDblClick(control_); }, control_);
        });
    }
};

TCheckListBox::TCheckListBox(TComponent* owner) : TListBox(owner, new TCheckListBoxHost) {}

namespace {
QListWidgetItem* ItemOf(const QListWidget* list, int index)
{
    QListWidgetItem* item = list->item(index);
    if (!item)
        throw EStringListError(Format("List index out of bounds (%d)", {index}));
    return item;
}
} // namespace

bool TCheckListBox::Checked(int index) const { return ItemOf(Widget(), index)->checkState() == Qt::Checked; }

void TCheckListBox::SetChecked(int index, bool on)
{
    setting_ = true;
    ItemOf(Widget(), index)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    setting_ = false;
}

bool TCheckListBox::ItemEnabled(int index) const
{
    return (ItemOf(Widget(), index)->flags() & Qt::ItemIsEnabled) != 0;
}

void TCheckListBox::SetItemEnabled(int index, bool on)
{
    QListWidgetItem* item = ItemOf(Widget(), index);
    setting_ = true;
    item->setFlags(on ? item->flags() | Qt::ItemIsEnabled : item->flags() & ~Qt::ItemIsEnabled);
    setting_ = false;
}

void TCheckListBox::UserToggled()
{
    if (OnClickCheck)
        OnClickCheck(this);
}
