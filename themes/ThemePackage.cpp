#include "ThemePackage.h"

#include "PlistText.h"
#include "ThemeName.h"
#include "platform/AppError.h"
#include "platform/IconDirectory.h"
#include "platform/WholeFile.h"
#include "platform/ini/IniText.h"
#include "platform/ini/TntIniFile.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>

namespace {

const QString kPassPhrase = QStringLiteral("lumbrake");

bool isBeyondBounds(QByteArray icon)
{
    QBuffer buffer(&icon);
    buffer.open(QIODevice::ReadOnly);
    return IconDirectory::read(buffer).verdict == IconDirectory::Verdict::BeyondBounds;
}

} // namespace

ThemePackageReader::ThemePackageReader(ProgramFolder folder, ThemeArchive &archive)
    : m_folder(std::move(folder)), m_archive(archive)
{}

ThemePackageReader::Reading ThemePackageReader::read(const QString &path) const
{
    const QStringList entries = m_archive.open(path);
    if (entries.isEmpty())
        return {};
    const auto corrupted = [] { return Reading{Verdict::Corrupted, {}}; };
    const QStringList required{"1.ico", "2.ico", "3.ico", "4.ico",  "5.ico",    "6.ico",
                               "7.ico", "8.ico", "9.ico", "10.ico", "plist.ini"};
    for (const QString &needle : required) {
        const bool present =
            std::any_of(entries.begin(), entries.end(), [&](const QString &entry) { return entry.contains(needle); });
        if (!present)
            return corrupted();
    }
    m_archive.setPassPhrase(kPassPhrase);

    Reading reading{Verdict::Ready, {}};
    ThemePackage &package = reading.package;
    const std::optional<QByteArray> plist = m_archive.extract(QStringLiteral("plist.ini"), kMaxEntryBytes);
    if (!plist)
        return corrupted();
    package.plist = *plist;
    for (int n = 1; n <= 10; ++n) {
        const std::optional<QByteArray> icon = m_archive.extract(QStringLiteral("%1.ico").arg(n), kMaxEntryBytes);
        // Kept as they are: a theme may hold any image under these names,
        // and the drawing passes over one it cannot read. An icon that
        // would cost more than any icon may to draw is refused, before the
        // working file of the name is written.
        if (!icon || isBeyondBounds(*icon))
            return corrupted();
        package.icons.append(*icon);
    }
    package.name = themeNameOf(*plist);
    if (!isSafeThemeName(package.name))
        return corrupted();
    return reading;
}

QString ThemePackageReader::themeNameOf(const QByteArray &plist) const
{
    // The description is read as an INI file through a working copy in
    // UTF-16LE with CR LF line breaks, whatever encoding the package used.
    const QString workingFile = m_folder.file(u"~temp.ini");
    QString reason;
    if (!WholeFile::write(workingFile, encodeIniText(IniText{IniEncoding::Utf16LE, plistWorkingText(plist), {}, {}}),
                          &reason))
        throw AppError::cannotCreate(workingFile, reason);
    QString name;
    {
        TTntIniFile ini(workingFile);
        name = ini.ReadString(QStringLiteral("AUTHOR"), QStringLiteral("THEME_NAME"), QString());
    }
    QFile::remove(workingFile);
    return name;
}
