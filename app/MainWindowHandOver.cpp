// How a theme package reaches the main window: named on the command line,
// or dropped on it. Each is handed to the themes page's installer, one
// file at a time.

#include "MainWindow.h"

#include "WindowRules.h"
#include "themes/ThemesController.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QScopeGuard>

void TForm1::handOver(const QString &path)
{
    m_pendingPackagePath = path;
    const auto done = qScopeGuard([this] { m_pendingPackagePath.clear(); });
    m_themes->installPackage(m_pendingPackagePath);
}

void TForm1::handOverCommandLine()
{
    if (const std::optional<QString> package = WindowRules::packageArgument(m_arguments))
        handOver(*package);
}

void TForm1::HandleDroppedFiles(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (QFileInfo(path).isFile())
            handOver(path);
    }
}

void TForm1::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    guarded([this, &paths] { HandleDroppedFiles(paths); });
}
