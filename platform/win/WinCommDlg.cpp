#include "platform/win/WinCommDlg.h"

#include <QApplication>
#include <QFileDialog>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace {

std::vector<TCommonDialogScript*>& Scripts()
{
    static std::vector<TCommonDialogScript*> scripts;
    return scripts;
}

TCommonDialogScript* Script()
{
    return Scripts().empty() ? nullptr : Scripts().back();
}

QString FilterOf(const char* filter)
{
    // "description\0pattern\0...\0" → "description (pattern);;..."
    QStringList parts;
    if (!filter)
        return QString();
    const char* p = filter;
    while (*p) {
        const QString description = QString::fromLocal8Bit(p);
        p += std::strlen(p) + 1;
        if (!*p)
            break;
        QString pattern = QString::fromLocal8Bit(p);
        p += std::strlen(p) + 1;
        pattern.replace(';', ' ');
        parts << QStringLiteral("%1 (%2)").arg(description, pattern);
    }
    return parts.join(QStringLiteral(";;"));
}

BOOL FileDialog(OPENFILENAMEA* ofn, bool save)
{
    if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0)
        return FALSE;
    QString chosen;
    if (TCommonDialogScript* script = Script()) {
        ++script->FileDialogs;
        if (script->files.empty() || !script->files.front()) {
            if (!script->files.empty())
                script->files.pop_front();
            return FALSE;
        }
        chosen = ToQString(*script->files.front());
        script->files.pop_front();
    } else {
        QWidget* owner = ofn->hwndOwner;
        const QString title = ofn->lpstrTitle ? QString::fromLocal8Bit(ofn->lpstrTitle) : QString();
        const QString dir = ofn->lpstrInitialDir ? QString::fromLocal8Bit(ofn->lpstrInitialDir) : QString();
        QFileDialog::Options options;
        if (!(ofn->Flags & OFN_OVERWRITEPROMPT))
            options |= QFileDialog::DontConfirmOverwrite;
        chosen = save ? QFileDialog::getSaveFileName(owner, title, dir, FilterOf(ofn->lpstrFilter), nullptr, options)
                      : QFileDialog::getOpenFileName(owner, title, dir, FilterOf(ofn->lpstrFilter), nullptr, options);
        if (chosen.isEmpty())
            return FALSE;
    }
    const QByteArray bytes = chosen.toLocal8Bit();
    if (DWORD(bytes.size()) + 1 > ofn->nMaxFile)
        return FALSE;
    std::memcpy(ofn->lpstrFile, bytes.constData(), size_t(bytes.size()) + 1);
    return TRUE;
}

} // namespace

TCommonDialogScript::TCommonDialogScript()
{
    Scripts().push_back(this);
}

TCommonDialogScript::~TCommonDialogScript()
{
    std::erase(Scripts(), this);
}

BOOL GetOpenFileNameA(OPENFILENAMEA* ofn)
{
    return FileDialog(ofn, false);
}

BOOL GetSaveFileNameA(OPENFILENAMEA* ofn)
{
    return FileDialog(ofn, true);
}

