#include "BadgeCommand.h"

#include "BadgeBook.h"
#include "BadgePath.h"
#include "BoundedCalls.h"
#include "EmblemLedger.h"
#include "EmblemOutcome.h"
#include "EmblemSync.h"
#include "Emblems.h"
#include "RecordTable.h"
#include "i18n/Translator.h"
#include "platform/AppError.h"
#include "platform/FileSystem.h"

namespace {

// How long one file's emblem may take before it is left to the keeper.
constexpr int kAnswerMs = 10000;

} // namespace

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
    const auto fail = [&](const AppError &error) {
        outcome.messages.append(error.fullText());
        outcome.ok = false;
    };
    const BadgeBook book(m_folder);
    try {
        if (badge > 0)
            book.setBadge(targets, badge);
        else
            book.clearBadge(targets);
    } catch (const AppError &error) {
        fail(error);
        return outcome;
    }

    // Every emblem is in the ledger before it is set: an emblem the ledger
    // does not know could never be taken off again.
    const EmblemLedger ledger;
    if (badge > 0) {
        QList<std::pair<QString, int>> noted;
        for (const QString &path : targets)
            noted.append({path, badge});
        try {
            ledger.plan(noted);
        } catch (const AppError &error) {
            outcome.messages.append(
                m_translator.Translate(QStringLiteral("The badge is recorded, but no file can show it: %1"))
                    .arg(error.fullText()));
            outcome.ok = false;
            return outcome;
        }
    }

    // Many at once, and a mount that does not answer holds up only its own
    // files: their records are made, their emblems come with the keeper.
    const std::vector<std::optional<BoundedCalls::PathOutcome>> outcomes = BoundedCalls::forEach(
        targets,
        [badge](const QString &path) {
            const QString problem = Emblems::setBadge(path, badge);
            return BoundedCalls::PathOutcome{problem, problem.isEmpty() || FileSystem::pathExists(path)};
        },
        kAnswerMs, Emblems::kWritesAtOnce);
    QList<std::pair<QString, int>> set;
    QStringList gone;
    QString firstFailure;
    int failures = 0;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const QString &path = targets[i];
        const std::optional<BoundedCalls::PathOutcome> &written = outcomes[size_t(i)];
        const EmblemOutcome result = EmblemOutcome::of(badge, written);
        if (result.noteSet)
            set.append({path, badge});
        if (result.noteGone)
            gone.append(path);
        if ((result.kind == EmblemOutcome::Kind::Failed || result.kind == EmblemOutcome::Kind::NoAnswer)
            && failures++ == 0)
            firstFailure = written ? written->problem : QStringLiteral("the file system does not answer");
    }
    try {
        ledger.note(set, gone);
    } catch (const AppError &) {
        // The ledger keeps a path whose emblem went, or one it is unsure of:
        // unregistering finds nothing to take off there, the keeper checks
        // the file again.
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
    PathPool paths;
    EmblemSync emblems(ledger, paths);
    try {
        RecordTable records(paths);
        // Unreadable is not empty: taking every emblem off would be wrong.
        if (!records.read(BadgeBook(m_folder).fileName()).readable)
            throw AppError(
                QStringLiteral("%1 cannot be read; the emblems stay as they are").arg(BadgeBook(m_folder).fileName()));
        const EmblemSync::Report report = emblems.follow(records);
        outcome.lines.append(QStringLiteral("%1 set, %2 cleared, %3 unreachable, %4 set aside")
                                 .arg(report.set)
                                 .arg(report.cleared)
                                 .arg(report.failed)
                                 .arg(report.setAside));
        // Files whose emblem could not be written in time (a mount or the
        // metadata store that does not answer) are not done: a sync that
        // says nothing of them would read as a success.
        if (report.setAside > 0) {
            outcome.messages.append(QStringLiteral("%1 file(s) set aside: their file system or the emblem store "
                                                   "did not answer; run the sync again later")
                                        .arg(report.setAside));
            outcome.ok = false;
        }
    } catch (const AppError &error) {
        outcome.messages.append(error.fullText());
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
