#include "ThunarActions.h"

#include "CommandText.h"
#include "UserFiles.h"
#include "UserFolders.h"
#include "platform/AppError.h"
#include "platform/FileSystem.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

QString fileName()
{
    return UserFolders::configHome() + QStringLiteral("/Thunar/uca.xml");
}

const QString kEmptyFile = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n");

// Where things lie in the text of uca.xml.
struct Layout {
    QList<std::pair<qsizetype, qsizetype>> ownActions; // [start, end) of each action of the owner
    qsizetype rootEnd = -1;                            // where "</actions>" starts
};

// Thunar keeps only the elements it knows when it saves the file: the
// unique-id carries the program folder, as a short digest of its path.
QString folderTag(const QString &folder)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(QDir::cleanPath(folder).toUtf8(), QCryptographicHash::Sha1).toHex().left(12));
}

// Whether an action's unique-id is one of the owner's, from programFolder
// (any folder's when it is empty). Ids written before they named a folder
// ("<owner>-3") are every folder's.
bool isOwnAction(const QString &uniqueId, const QString &owner, const QString &programFolder)
{
    if (!uniqueId.startsWith(owner + u'-'))
        return false;
    const QStringView rest = QStringView(uniqueId).sliced(owner.size() + 1);
    return programFolder.isEmpty() || !rest.contains(u'-') || rest.startsWith(folderTag(programFolder) + u'-');
}

Layout layoutOf(const QString &text, const QString &owner, const QString &programFolder)
{
    // The reader tells where a tag ends; its start is the "<" before that.
    // The declaration is blanked out for the reader, at the same length so
    // the offsets still hold: Thunar before 4.15 wrote its attributes in an
    // order the reader refuses, and the text needs no declaration to be read.
    QString parsed = text;
    static const QRegularExpression declaration(QStringLiteral("^\\s*<\\?xml[^>]*\\?>"));
    if (const QRegularExpressionMatch found = declaration.match(parsed); found.hasMatch())
        parsed.replace(found.capturedStart(), found.capturedLength(), QString(found.capturedLength(), u' '));
    QXmlStreamReader reader(parsed);
    Layout layout;
    qsizetype actionStart = -1;
    QString uniqueId;
    int depth = 0;
    const auto tagStart = [&] { return text.lastIndexOf(u'<', reader.characterOffset() - 1); };
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 1 && reader.name() != u"actions")
                break;
            if (depth == 2 && reader.name() == u"action") {
                actionStart = tagStart();
                uniqueId.clear();
            } else if (depth == 3 && reader.name() == u"unique-id") {
                uniqueId = reader.readElementText();
                --depth;
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 2 && reader.name() == u"action" && isOwnAction(uniqueId, owner, programFolder))
                layout.ownActions.append({actionStart, reader.characterOffset()});
            if (depth == 1)
                layout.rootEnd = tagStart();
            --depth;
        }
    }
    if (reader.hasError() || layout.rootEnd < 0)
        throw AppError(QStringLiteral("%1 is not a Thunar action file; it was left as it is").arg(fileName()));
    return layout;
}

QString readText()
{
    const QString path = fileName();
    if (!FileSystem::isRegularFile(path))
        return kEmptyFile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Unable to read %1").arg(path));
    const QString text = QString::fromUtf8(file.readAll());
    return text.trimmed().isEmpty() ? kEmptyFile : text;
}

// The text without the owner's actions, each with the line break after it.
QString withoutOwnActions(const QString &text, const Layout &layout, qsizetype &rootEnd)
{
    QString result;
    qsizetype copied = 0;
    rootEnd = layout.rootEnd;
    for (auto [start, end] : layout.ownActions) {
        if (end < text.size() && text[end] == u'\n')
            ++end;
        result += QStringView(text).sliced(copied, start - copied);
        if (start < layout.rootEnd)
            rootEnd -= end - start;
        copied = end;
    }
    result += QStringView(text).sliced(copied);
    return result;
}

QString element(const QString &name, const QString &value)
{
    return QStringLiteral("\t<%1>%2</%1>\n").arg(name, value.toHtmlEscaped());
}

QString actionsOf(const MenuSet &set)
{
    QString xml;
    for (const MenuItem &item : set.items) {
        xml += QStringLiteral("<action>\n");
        xml += element(QStringLiteral("icon"), item.icon);
        xml += element(QStringLiteral("name"), item.label);
        if (!set.submenu.isEmpty())
            xml += element(QStringLiteral("submenu"), set.submenu);
        xml += element(QStringLiteral("unique-id"), set.owner + u'-' + folderTag(set.folder) + u'-' + item.id);
        xml += element(QStringLiteral("command"),
                       CommandText::forShell(set.badgeCommand, item.arguments + QStringList{QStringLiteral("--")}, true)
                           + QStringLiteral(" %F"));
        xml += element(QStringLiteral("description"), item.label);
        xml += element(QStringLiteral("range"), QString());
        xml += element(QStringLiteral("patterns"), QStringLiteral("*"));
        if (set.forFolders)
            xml += QStringLiteral("\t<directories/>\n");
        xml += QStringLiteral("\t<audio-files/>\n\t<image-files/>\n\t<other-files/>\n\t<text-files/>\n"
                              "\t<video-files/>\n");
        xml += QStringLiteral("</action>\n");
    }
    return xml;
}

} // namespace

namespace ThunarActions {

void install(const MenuSet &set)
{
    const QString text = readText();
    qsizetype rootEnd = 0;
    QString result = withoutOwnActions(text, layoutOf(text, set.owner, QString()), rootEnd);
    result.insert(rootEnd, actionsOf(set));
    if (result != text)
        UserFiles::write(fileName(), result.toUtf8());
}

bool remove(const QString &owner, const QString &programFolder)
{
    if (!FileSystem::isRegularFile(fileName()))
        return true;
    const QString text = readText();
    const Layout layout = layoutOf(text, owner, programFolder);
    if (layout.ownActions.isEmpty())
        return true;
    qsizetype rootEnd = 0;
    const QString rest = withoutOwnActions(text, layout, rootEnd);
    // The file registering made, with no action left, goes with them.
    if (rest == kEmptyFile)
        return UserFiles::removeFile(fileName(), UserFolders::configHome());
    UserFiles::write(fileName(), rest.toUtf8());
    return true;
}

} // namespace ThunarActions
