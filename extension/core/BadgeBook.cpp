#include "BadgeBook.h"

#include "platform/AppError.h"
#include "platform/ini/TntIniFile.h"

namespace {

const QString kSection = QStringLiteral("Files");

} // namespace

BadgeBook::BadgeBook(ProgramFolder folder) : m_folder(std::move(folder)) {}

QString BadgeBook::fileName() const
{
    return m_folder.file(u"base.ini");
}

QHash<QString, QString> BadgeBook::records() const
{
    TTntIniFile store(fileName(), IniDocument::KeySpelling::Exact);
    QStringList paths;
    store.ReadSection(kSection, paths);
    QHash<QString, QString> result;
    result.reserve(paths.size());
    for (const QString &path : paths) {
        // A key listed twice keeps the value a read of it gives: the first.
        if (!result.contains(path))
            result.insert(path, store.ReadString(kSection, path, QString()));
    }
    return result;
}

QString BadgeBook::badgeOf(const QString &path) const
{
    return TTntIniFile(fileName(), IniDocument::KeySpelling::Exact).ReadString(kSection, path, QString());
}

void BadgeBook::setBadge(const QStringList &paths, int badge) const
{
    QList<std::pair<QString, QString>> values;
    values.reserve(paths.size());
    const QString text = QString::number(badge);
    for (const QString &path : paths)
        values.append({path, text});
    TTntIniFile(fileName(), IniDocument::KeySpelling::Exact).WriteStrings(kSection, values);
}

void BadgeBook::clearBadge(const QStringList &paths) const
{
    TTntIniFile store(fileName(), IniDocument::KeySpelling::Exact);
    for (const QString &path : paths)
        store.DeleteKey(kSection, path);
    if (!store.UpdateFile())
        throw AppError::unableToWrite(fileName());
}

void BadgeBook::moveRecords(const QList<std::pair<QString, QString>> &moves) const
{
    if (moves.isEmpty())
        return;
    // The moves that a key at or below path follows first, from move `next`
    // on: a few moves are compared with every key; many are looked up by
    // each of the key's ancestors, so 100 000 keys cost no more per move.
    constexpr qsizetype kComparedWithEveryKey = 16;
    QMultiHash<QString, qsizetype> byOldPath;
    if (moves.size() > kComparedWithEveryKey) {
        for (qsizetype i = 0; i < moves.size(); ++i)
            byOldPath.insert(moves[i].first, i);
    }
    const auto firstMove = [&](QStringView path, qsizetype next) -> qsizetype {
        const auto atOrBelow = [&](const QString &old) {
            return path.startsWith(old) && (path.size() == old.size() || path[old.size()] == u'/');
        };
        if (byOldPath.isEmpty()) {
            for (qsizetype i = next; i < moves.size(); ++i) {
                if (atOrBelow(moves[i].first))
                    return i;
            }
            return -1;
        }
        qsizetype found = -1;
        for (qsizetype end = path.size(); end > 0; end = path.lastIndexOf(u'/', end - 1)) {
            const QString ancestor = path.first(end).toString();
            for (auto it = byOldPath.constFind(ancestor); it != byOldPath.cend() && it.key() == ancestor; ++it) {
                if (*it >= next && (found < 0 || *it < found))
                    found = *it;
            }
        }
        return found;
    };
    // A key follows every move of itself or of a folder above it, in order.
    const auto newName = [&](QStringView key) -> std::optional<QString> {
        qsizetype found = firstMove(key, 0);
        if (found < 0)
            return std::nullopt;
        QString path = key.toString();
        for (; found >= 0; found = firstMove(path, found + 1))
            path = moves[found].second + path.sliced(moves[found].first.size());
        return path;
    };
    TTntIniFile(fileName(), IniDocument::KeySpelling::Exact).RenameKeys(kSection, newName);
}

int BadgeBook::badgeNumber(const QString &text)
{
    // Only the plain spellings "1" to "10": " 3", "03" or "+3" are texts of
    // their own, shown as they stand.
    static_assert(kFirstBadge == 1 && kLastBadge == 10);
    if (text.size() == 1 && text[0] >= u'1' && text[0] <= u'9')
        return text[0].unicode() - u'0';
    return text == u"10" ? 10 : 0;
}
