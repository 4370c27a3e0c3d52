#include "BadgeCommand.h"

#include "BadgeBook.h"
#include "BadgePath.h"
#include "EmblemLedger.h"
#include "EmblemSync.h"
#include "Emblems.h"
#include "i18n/Translator.h"
#include "platform/AppError.h"
#include "platform/FileSystem.h"

BadgeCommand::BadgeCommand(ProgramFolder folder, Translator &translator)
    : m_folder(std::move(folder)), m_translator(translator)
{}

QStringList BadgeCommand::storable(const QStringList &paths, bool mustExist, Outcome &outcome)
{
    QStringList result;
    for (const QString &path : paths) {
        QString problem = BadgePath::problemWith(path);
        if (problem.isEmpty() && mustExist && !FileSystem::pathExists(path))
            problem = QStringLiteral("no such file or folder");
        if (problem.isEmpty()) {
            result.append(path);
        } else {
            // Quoted, so a blank at the end of the name shows.
            outcome.messages.append(QStringLiteral("\"%1\": %2").arg(path, m_translator.Translate(problem)));
            outcome.ok = false;
        }
    }
    return result;
}

BadgeCommand::Outcome BadgeCommand::mark(const QStringList &paths, int badge)
{
    Outcome outcome;
    const QStringList targets = storable(paths, badge > 0, outcome);
    if (targets.isEmpty())
        return outcome;
    const BadgeBook book(m_folder);
    if (badge > 0) {
        try {
            book.setBadge(targets, badge);
        } catch (const AppError &error) {
            outcome.messages.append(error.message());
            outcome.ok = false;
            return outcome;
        }
    } else if (!book.clearBadge(targets)) {
        outcome.messages.append(m_translator.Translate(QStringLiteral("Unable to write to %1")).arg(book.fileName()));
        outcome.ok = false;
        return outcome;
    }

    QList<std::pair<QString, int>> set;
    QStringList cleared;
    QString firstFailure;
    int failures = 0;
    for (const QString &path : targets) {
        const QString problem = Emblems::setBadge(path, badge);
        if (!problem.isEmpty()) {
            if (failures++ == 0)
                firstFailure = problem;
        } else if (badge > 0) {
            set.append({path, badge});
        } else {
            cleared.append(path);
        }
    }
    try {
        EmblemLedger().note(set, cleared);
    } catch (const AppError &error) {
        outcome.messages.append(error.message());
        outcome.ok = false;
    }
    if (failures > 0) {
        // The record is what counts; the keeper tries the emblem again when
        // the record changes. The user still learns why no emblem shows.
        outcome.messages.append(
            m_translator.Translate(QStringLiteral("The badge is recorded, but %1 file(s) cannot show it: %2"))
                .arg(failures)
                .arg(firstFailure));
        outcome.ok = false;
    }
    return outcome;
}

BadgeCommand::Outcome BadgeCommand::show(const QStringList &paths)
{
    Outcome outcome;
    const QHash<QString, QString> records = BadgeBook(m_folder).records();
    for (const QString &path : paths) {
        const auto found = records.constFind(path);
        outcome.lines.append(
            QStringLiteral("%1\t%2").arg(found == records.cend() ? QStringLiteral("-") : *found, path));
    }
    return outcome;
}

BadgeCommand::Outcome BadgeCommand::sync()
{
    Outcome outcome;
    EmblemLedger ledger;
    EmblemSync emblems(ledger, ledger.read());
    try {
        const EmblemSync::Report report = emblems.follow(BadgeBook(m_folder).records());
        outcome.lines.append(QStringLiteral("%1 set, %2 cleared, %3 unreachable")
                                 .arg(report.set)
                                 .arg(report.cleared)
                                 .arg(report.failed));
    } catch (const AppError &error) {
        outcome.messages.append(error.message());
        outcome.ok = false;
    }
    return outcome;
}

int BadgeCommand::sharedBadge(const QStringList &paths) const
{
    const QHash<QString, QString> records = BadgeBook(m_folder).records();
    int shared = -2;
    for (const QString &path : paths) {
        const int badge = BadgeBook::badgeNumber(records.value(path));
        if (shared == -2)
            shared = badge;
        else if (shared != badge)
            return -1;
    }
    return shared < 0 ? 0 : shared;
}
