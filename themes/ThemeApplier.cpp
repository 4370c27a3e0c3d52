#include "ThemeApplier.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

// The read-only attribute is the file's write permission here; clearing it
// lets a read-only active icon be replaced all the same.
void makeWritable(const QString &file)
{
    QFile::setPermissions(file, QFile::permissions(file) | QFileDevice::WriteOwner | QFileDevice::WriteUser);
}

// A copy that replaces its target.
bool copyOver(const QString &from, const QString &to)
{
    if (!QFileInfo(from).isFile())
        return false;
    if (QFileInfo::exists(to)) {
        makeWritable(to);
        if (!QFile::remove(to))
            return false;
    }
    return QFile::copy(from, to);
}

} // namespace

ThemeApplier::ThemeApplier(ProgramFolder folder, Launcher launcher)
    : m_folder(std::move(folder)), m_launcher(std::move(launcher))
{
    if (!m_launcher)
        m_launcher = [](const QString &program) { QProcess::startDetached(program, {}); };
}

void ThemeApplier::ApplyTheme(const QString &themeFolder) const
{
    if (QFileInfo(themeFolder).isDir()) {
        for (int n = 1; n <= 10; ++n) {
            const QString active = m_folder.file(QStringLiteral("icons/%1.ico").arg(n));
            const QString backup = active + QStringLiteral(".old");
            const QString source = themeFolder + QStringLiteral("%1.ico").arg(n);
            if (QFileInfo::exists(active)) {
                makeWritable(active);
                // Never delete an active icon that has no backup.
                if (!copyOver(active, backup))
                    continue;
            }
            QFile::remove(active);
            if (copyOver(source, active))
                QFile::remove(backup);
            else if (QFileInfo::exists(backup))
                copyOver(backup, active);
        }
    }
    m_launcher(m_folder.file(u"icoswap.exe"));
}
