#include "platform/framework/FileCtrl.h"

#include "platform/framework/ControlHost.h"
#include "platform/framework/Forms.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>

class TDirectoryTreeHost : public QTreeView, public TControlHostLink {
public:
    TDirectoryTreeHost()
    {
        QObject::connect(this, &QTreeView::clicked, [this](const QModelIndex& index) { Selected(index, true); });
    }
    // Only the user's mouse and keys select: the model moves the current index on its own
    // when it reads folders again, which is no choice of the user's.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override
    {
        QTreeView::currentChanged(current, previous);
        if (userInput > 0)
            Selected(current, false);
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        ++userInput;
        QTreeView::mousePressEvent(e);
        --userInput;
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        ++userInput;
        QTreeView::keyPressEvent(e);
        --userInput;
    }
    bool settingInCode = false;
    int userInput = 0;

private:
    void Selected(const QModelIndex& index, bool click)
    {
        auto* tree = dynamic_cast<TDirectoryTreeView*>(control_);
        auto* model = qobject_cast<QFileSystemModel*>(this->model());
        if (!tree || !model || !index.isValid())
            return;
        const String path = FromQString(QDir::cleanPath(model->filePath(index)));
        Application->Guard(
            [tree, path, click] {
                if (path != tree->Directory())
                    tree->UserSelected(path);
                if (click && tree->OnClick)
                    tree->OnClick(tree);
            },
            tree);
    }
};

TDirectoryTreeView::TDirectoryTreeView(TComponent* owner) : TWinControl(owner, new TDirectoryTreeHost)
{
    TabStop = true;
    model_ = new QFileSystemModel(Widget());
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QDir::rootPath());
    Widget()->setModel(model_);
    // the model reads folders in the background: once the ones on the way to the selected
    // folder are read, the selected folder is brought into view again
    QObject::connect(model_, &QFileSystemModel::directoryLoaded, Widget(), [this](const QString& loaded) {
        if (ToQString(directory_).startsWith(loaded))
            SetDirectory(directory_);
    });
    for (int column = 1; column < model_->columnCount(); ++column)
        Widget()->hideColumn(column);
    Widget()->setHeaderHidden(true);
    Widget()->setSortingEnabled(true);
    Widget()->sortByColumn(0, Qt::AscendingOrder);
    Widget()->setSelectionMode(QAbstractItemView::SingleSelection);
    SetBounds(0, 0, 145, 97);
    SetDirectory(FromQString(QDir::currentPath()));
}

TDirectoryTreeView::~TDirectoryTreeView() = default;

QTreeView* TDirectoryTreeView::Widget() const { return static_cast<QTreeView*>(Host()); }

bool TDirectoryTreeView::SetDirectory(const String& path)
{
    const QFileInfo info(ToQString(path));
    if (path.empty() || !info.isDir())
        return false;
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    const QModelIndex index = model_->index(clean);
    auto* host = static_cast<TDirectoryTreeHost*>(Widget());
    host->settingInCode = true;
    if (index.isValid()) {
        host->setCurrentIndex(index);
        host->scrollTo(index);
        host->expand(index);
    }
    host->settingInCode = false;
    directory_ = FromQString(clean);
    return true;
}

void TDirectoryTreeView::Refresh()
{
    // looking a path up makes the model read the folders on its way that it did not know
    const String selected = directory_;
    SetDirectory(selected);
}

void TDirectoryTreeView::UserSelected(const String& path)
{
    directory_ = path;
    if (OnChange)
        OnChange(this);
}
