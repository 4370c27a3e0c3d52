#include "TntIniFile.h"

#include "AtomicFile.h"
#include "FolderLock.h"
#include "HeldFile.h"
#include "IniKeyRename.h"
#include "IniNameTable.h"
#include "platform/AppError.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Calls that follow each other this closely share one look at the file
// system, so 100 000 lookups do not cost 100 000 stat calls. A change made by
// another program is still seen by every call made this long after it.
constexpr qint64 kRecheckNs = 2'000'000;

// The longest a rewrite waits for the folder's lock and for other programs
// to let go of the file, so the window is never held longer; a change not
// made by then is not made.
constexpr int kRewriteWaitMs = 2000;

// How long after a rename an open of the old file, begun before it, may
// still be on its way. An open finds the file by name first and reaches the
// lease a few microseconds later.
constexpr int kLateOpenerMs = 3;

// The caller's section and key lose leading and trailing spaces only.
QString trimSpaces(const QString &name)
{
    qsizetype start = 0;
    qsizetype end = name.size();
    while (start < end && name[start] == u' ')
        ++start;
    while (end > start && name[end - 1] == u' ')
        --end;
    return (start == 0 && end == name.size()) ? name : name.sliced(start, end - start);
}

} // namespace

// A key another writer added to a file, or gave another value, while a
// rewrite replaced it.
struct IniKeyChange {
    QString section;
    QString key;
    QString value;
    std::optional<QString> valueBefore;
};

namespace {

using KeyChange = IniKeyChange;

// The keys another writer added to a file, or gave another value, between
// `before` and `after`. Keys missing from `after` are not taken as removed:
// a record is never lost through this program's rewrite, even if another
// writer removed it meanwhile.
std::vector<KeyChange> keysAddedOrChanged(const IniDocument &before, const IniDocument &after)
{
    std::vector<KeyChange> changes;
    for (const QString &section : after.sectionNames()) {
        for (const QString &key : after.keyNames(section)) {
            std::optional<QString> value = after.value(section, key);
            std::optional<QString> valueBefore = before.value(section, key);
            if (value && valueBefore != value)
                changes.push_back({section, key, std::move(*value), std::move(valueBefore)});
        }
    }
    return changes;
}

// The text of onto with those changes made where onto does not hold them
// yet; a value another writer changed stays as onto has it when onto
// changed it too. nullopt when nothing is left to make.
std::optional<QString> withChanges(const IniDocument &onto, const std::vector<KeyChange> &changes,
                                   IniDocument::KeySpelling spelling)
{
    std::vector<std::pair<QString, QList<std::pair<QString, QString>>>> bySection;
    for (const KeyChange &change : changes) {
        const std::optional<QString> now = onto.value(change.section, change.key);
        if (now == change.value || (now && now != change.valueBefore))
            continue;
        auto it = std::find_if(bySection.begin(), bySection.end(), [&](const auto &group) {
            return IniNameTable::namesEqual(group.first, change.section);
        });
        if (it == bySection.end())
            bySection.push_back({change.section, {{change.key, change.value}}});
        else
            it->second.append({change.key, change.value});
    }
    if (bySection.empty())
        return std::nullopt;
    QString text = onto.text();
    for (const auto &[section, values] : bySection)
        text = IniDocument(text, spelling).withValues(section, values);
    return text;
}

// The file a rewrite replaces: a symbolic link stays a link, and its target
// is rewritten in its own folder.
QString linkTarget(const QString &path)
{
    QString target = path;
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            break;
        target = info.symLinkTarget();
    }
    return target;
}

bool holdsLineBreak(QStringView text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

} // namespace

TTntIniFile::TTntIniFile(QString fileName, IniDocument::KeySpelling spelling)
    : m_fileName(std::move(fileName)), m_spelling(spelling)
{}

TTntIniFile::~TTntIniFile()
{
    try {
        UpdateFile();
    } catch (...) {
        // Deletions are silent by contract; nothing may escape a destructor.
    }
}

void TTntIniFile::reload()
{
    HeldFile held(m_fileName, kMaxFileBytes);
    load(held);
}

const IniDocument &TTntIniFile::current()
{
    if (!m_pendingDeletes.empty())
        UpdateFile();
    if (!m_loaded) {
        reload();
    } else if (m_sinceCheck.nsecsElapsed() >= kRecheckNs) {
        if (FileStamp::of(m_fileName) == m_stamp)
            m_sinceCheck.start();
        else
            reload();
    }
    return m_document;
}

QString TTntIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue)
{
    return current().value(trimSpaces(section), trimSpaces(key)).value_or(defaultValue);
}

int TTntIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue)
{
    const std::optional<QString> text = current().value(trimSpaces(section), trimSpaces(key));
    if (!text)
        return defaultValue;
    return parseInteger(*text).value_or(defaultValue);
}

void TTntIniFile::ReadSection(const QString &section, QStringList &list)
{
    list = current().keyNames(trimSpaces(section));
}

void TTntIniFile::ReadSectionEntries(const QString &section, QList<std::pair<QString, QString>> &list)
{
    list = current().entries(trimSpaces(section));
}

bool TTntIniFile::IsReadable()
{
    current();
    return !m_unreadable && (!m_stamp.exists || m_stamp.isFile);
}

void TTntIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    WriteStrings(section, {{key, value}});
}

void TTntIniFile::WriteStrings(const QString &section, const QList<std::pair<QString, QString>> &values)
{
    const QString sectionName = trimSpaces(section);
    // A line break or "=" in a name, or a line break in a value, would turn
    // one write into other keys or sections of the file.
    if (holdsLineBreak(sectionName) || sectionName.contains(u']'))
        failWrite(QStringLiteral("the section name holds a line break or \"]\""));
    QList<std::pair<QString, QString>> trimmed;
    trimmed.reserve(values.size());
    for (const auto &[key, value] : values) {
        QString keyName = trimSpaces(key);
        if (holdsLineBreak(keyName) || keyName.contains(u'=') || holdsLineBreak(value))
            failWrite(QStringLiteral("a name holds a line break or \"=\", or a value a line break"));
        trimmed.append({std::move(keyName), value});
    }
    if (!m_pendingDeletes.empty())
        UpdateFile();
    rewrite([&]() -> std::optional<QString> { return m_document.withValues(sectionName, trimmed); });
}

void TTntIniFile::RenameKeys(const QString &section, const std::function<std::optional<QString>(QStringView)> &newName)
{
    const QString sectionName = trimSpaces(section);
    const auto checkedName = [&](QStringView key) -> std::optional<QString> {
        std::optional<QString> name = newName(key);
        if (name && (*name != trimSpaces(*name) || name->isEmpty() || holdsLineBreak(*name) || name->contains(u'=')))
            failWrite(QStringLiteral("a name holds a line break or \"=\""));
        return name;
    };
    if (!m_pendingDeletes.empty())
        UpdateFile();
    if (m_spelling == IniDocument::KeySpelling::Exact && renameInPieces(sectionName, checkedName))
        return;
    rewrite([&]() -> std::optional<QString> {
        if (!m_stamp.isFile)
            return std::nullopt;
        return m_document.withRenamedKeys(sectionName, checkedName);
    });
}

bool TTntIniFile::renameInPieces(const QString &section,
                                 const std::function<std::optional<QString>(QStringView)> &newName)
{
    const QDeadlineTimer deadline(kRewriteWaitMs);
    const QString target = linkTarget(m_fileName);
    std::optional<FolderLock> lock(std::in_place, QFileInfo(m_fileName).absolutePath(), kRewriteWaitMs);
    if (!lock->isHeld())
        failWrite(QStringLiteral("another program held the folder's lock"));
    const std::unique_ptr<HeldFile> held =
        HeldFile::settled(target, kMaxFileBytes, deadline, HeldFile::Reading::Leased);
    switch (held->status()) {
    case HeldFile::Status::Missing:
        return true; // a rename never creates the file
    case HeldFile::Status::Busy:
        failWrite(QStringLiteral("another program kept the file open"));
    case HeldFile::Status::NotOwned:
        failWrite(QStringLiteral("the file belongs to another user"));
    case HeldFile::Status::NotAFile:
        failWrite(QStringLiteral("it is no regular file"));
    case HeldFile::Status::Unreadable:
        failWrite(QStringLiteral("it cannot be read whole"));
    case HeldFile::Status::Read:
        break;
    }
    // Without a lease the file is only settled when read whole.
    if (!held->isLeased())
        return false;
    AtomicFile file(target);
    bool opened = false;
    const auto openOnce = [&] {
        if (opened)
            return;
        // A read-only file stays as it is (see commitText).
        if (!(QFile::permissions(target) & QFileDevice::WriteOwner))
            failWrite(QStringLiteral("the file is read-only"));
        if (!file.open())
            failWrite(file.errorString());
        opened = true;
    };
    const IniKeyRename::Result result = IniKeyRename::rename(
        [&](const std::function<void(QByteArrayView)> &visit) { return held->readPieces(visit); }, section, newName,
        [&](QByteArrayView piece) {
            openOnce();
            return file.append(piece);
        });
    switch (result) {
    case IniKeyRename::Result::Unchanged:
        return true;
    case IniKeyRename::Result::WholeText:
        return false;
    case IniKeyRename::Result::Failed:
        failWrite(opened ? file.errorString() : QStringLiteral("it cannot be read whole"));
    case IniKeyRename::Result::Written:
        break;
    }
    openOnce(); // every line may have gone
    if (!file.finish())
        failWrite(file.errorString());
    // The lease keeps writers that open the file out, not one that puts
    // another file in its place: the whole text is rewritten then.
    const FileStamp now = FileStamp::of(target);
    if (now.fileId != held->stamp().fileId || now.size != held->stamp().size
        || now.modifiedNs != held->stamp().modifiedNs)
        return false;
    if (!file.commit())
        failWrite(file.errorString());
    m_loaded = false;
    lock.reset();
    held->renamedTo(file.replacedName());
    if (!held->writerWithin(kLateOpenerMs))
        return true;
    // Another program opened the file just before the rename and waits for
    // the lease: what it writes goes to the file just replaced, and is
    // brought over as a whole rewrite brings it. That needs the file as it
    // was read, which the lease still keeps unchanged: a rare moment for
    // which the file is held whole.
    QByteArray before;
    if (!held->readPieces([&](QByteArrayView piece) { before.append(piece); }))
        return true;
    held->release();
    const std::optional<QByteArray> after = held->readSettledAgain(deadline);
    if (!after)
        return true;
    std::vector<KeyChange> missed = keysAddedOrChanged(IniDocument(decodeIniBytes(before).text, m_spelling),
                                                       IniDocument(decodeIniBytes(*after).text, m_spelling));
    if (!missed.empty())
        rewriteRounds({}, std::move(missed), true, deadline);
    return true;
}

void TTntIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TTntIniFile::DeleteKey(const QString &section, const QString &key)
{
    m_pendingDeletes.emplace_back(trimSpaces(section), trimSpaces(key));
}

bool TTntIniFile::UpdateFile()
{
    if (m_pendingDeletes.empty())
        return true;
    // Group the keys by section, keeping the order in which sections came.
    std::vector<std::pair<QString, QStringList>> bySection;
    for (const auto &pending : m_pendingDeletes) {
        const QString &section = pending.first;
        auto it = std::find_if(bySection.begin(), bySection.end(),
                               [&](const auto &group) { return IniNameTable::namesEqual(group.first, section); });
        if (it == bySection.end())
            bySection.emplace_back(section, QStringList{pending.second});
        else
            it->second.append(pending.second);
    }
    m_pendingDeletes.clear();

    // Against the file as it is now, so records added meanwhile survive.
    try {
        rewrite([&]() -> std::optional<QString> {
            if (!m_stamp.isFile)
                return std::nullopt; // a deletion never creates the file
            std::optional<QString> text;
            for (const auto &[section, keys] : bySection) {
                std::optional<QString> shorter = text ? IniDocument(*text, m_spelling).withoutKeys(section, keys)
                                                      : m_document.withoutKeys(section, keys);
                if (shorter)
                    text = std::move(shorter);
            }
            return text;
        });
    } catch (const AppError &) {
        return false;
    }
    return true;
}

void TTntIniFile::rewrite(const std::function<std::optional<QString>()> &change)
{
    rewriteRounds(change, {}, false, QDeadlineTimer(kRewriteWaitMs));
}

void TTntIniFile::rewriteRounds(const std::function<std::optional<QString>()> &change, std::vector<IniKeyChange> missed,
                                bool changeMade, const QDeadlineTimer &deadline)
{
    const QString folder = QFileInfo(m_fileName).absolutePath();
    const QString target = linkTarget(m_fileName);
    // `missed`: what other writers put into a file this rewrite replaced,
    // to be brought into the new one; empty until the change itself is made.
    for (;;) {
        // Held for one round's read-modify-write, not while looking for
        // late openers: the program's other writers need not wait for those.
        std::optional<FolderLock> lock(std::in_place, folder, int(std::max<qint64>(deadline.remainingTime(), 0)));
        if (!lock->isHeld()) {
            if (changeMade)
                return;
            failWrite(QStringLiteral("another program held the folder's lock"));
        }
        const std::unique_ptr<HeldFile> held = HeldFile::settled(target, kMaxFileBytes, deadline);
        if (held->status() == HeldFile::Status::Busy) {
            // Another program kept the file open for the whole wait. The
            // change was made; what that program writes to a file it still
            // holds is beyond reach.
            if (changeMade)
                return;
            failWrite(QStringLiteral("another program kept the file open"));
        }
        if (held->status() == HeldFile::Status::NotOwned)
            failWrite(QStringLiteral("the file belongs to another user"));
        load(*held);
        // Never rewritten from an empty state: that would lose what it holds.
        if (m_stamp.exists && !m_stamp.isFile)
            failWrite(QStringLiteral("it is no regular file"));
        if (m_unreadable)
            failWrite(QStringLiteral("it cannot be read whole"));
        const std::optional<QString> text = changeMade ? withChanges(m_document, missed, m_spelling) : change();
        if (!text)
            return;
        // What others missed is only added: under the lease it goes at the
        // end of the same file when it can, so no opener can miss it again.
        if (changeMade && appendInPlace(*held, *text))
            return;
        AtomicFile file(target);
        if (!commitText(file, target, *text, *held))
            continue; // replaced by another program's rename meanwhile
        changeMade = true;
        lock.reset();
        // A writer that opened the old file just before the rename, and one
        // whose open waited for the lease, write to the file just replaced.
        held->renamedTo(file.replacedName());
        if (!held->writerWithin(kLateOpenerMs))
            return;
        held->release();
        const std::optional<QByteArray> after = held->readSettledAgain(deadline);
        if (!after)
            return;
        // m_document is still the file as this round read it: only the
        // next round's load replaces it.
        missed = keysAddedOrChanged(m_document, IniDocument(decodeIniBytes(*after).text, m_spelling));
        if (missed.empty())
            return;
    }
}

void TTntIniFile::load(HeldFile &held)
{
    m_stamp = held.stamp();
    m_sinceCheck.start();
    m_loaded = true;
    m_unreadable = held.status() == HeldFile::Status::Unreadable;
    IniText text;
    if (held.status() == HeldFile::Status::Read)
        text = decodeIniBytes(held.takeBytes());
    else if (!m_stamp.exists)
        text.encoding = newFileEncoding();
    m_document = IniDocument(std::move(text.text), m_spelling);
    m_form = std::move(text);
}

bool TTntIniFile::appendInPlace(HeldFile &held, const QString &newText)
{
    const QString &oldText = m_document.text();
    if (!held.isLeased() || !newText.startsWith(oldText))
        return false;
    const std::optional<QByteArray> bytes = encodeIniContinuation(m_form, QStringView(newText).sliced(oldText.size()));
    if (!bytes || !held.appendInPlace(*bytes))
        return false;
    m_loaded = false;
    return true;
}

bool TTntIniFile::commitText(AtomicFile &file, const QString &target, const QString &newText, const HeldFile &held)
{
    IniText text = m_form;
    text.text = newText;
    if (!canEncode(text.encoding, text.text))
        text.encoding = IniEncoding::Utf8;
    // A read-only file must stay as it is, even where the folder would allow
    // the rename (and even for root, whom the access check always lets pass).
    if (m_stamp.isFile && !(QFile::permissions(target) & QFileDevice::WriteOwner))
        failWrite(QStringLiteral("the file is read-only"));
    if (!file.write(encodeIniText(text)))
        failWrite(file.errorString());
    // The lease keeps writers that open the file out, not one that puts
    // another file in its place.
    const FileStamp now = FileStamp::of(target);
    if (now.fileId != held.stamp().fileId || now.size != held.stamp().size || now.modifiedNs != held.stamp().modifiedNs
        || now.exists != held.stamp().exists)
        return false;
    if (!file.commit())
        failWrite(file.errorString());
    // The next call reads the file back; a write that ends the object's life
    // (the usual batch of deletions) then costs no second parse.
    m_loaded = false;
    return true;
}

void TTntIniFile::failWrite(const QString &reason) const
{
    throw AppError::unableToWrite(QDir::toNativeSeparators(m_fileName), reason);
}

std::optional<int> TTntIniFile::parseInteger(QStringView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text = text.sliced(1);
    }
    qsizetype digitsAt = 0;
    int base = 10;
    if (text.startsWith(u'$')) {
        digitsAt = 1;
        base = 16;
    } else if (text.startsWith(u"0x") || text.startsWith(u"0X")) {
        digitsAt = 2;
        base = 16;
    }
    const QStringView digits = text.sliced(digitsAt);
    if (digits.isEmpty() || (base == 16 && digits.size() > 8))
        return std::nullopt;
    quint64 magnitude = 0;
    for (QChar c : digits) {
        const int digit = c.unicode() < 0x80 ? QChar(c).digitValue() : -1;
        int value = digit;
        if (base == 16 && value < 0) {
            const char16_t u = c.unicode();
            if (u >= 'a' && u <= 'f')
                value = u - 'a' + 10;
            else if (u >= 'A' && u <= 'F')
                value = u - 'A' + 10;
        }
        if (value < 0 || value >= base)
            return std::nullopt;
        magnitude = magnitude * base + quint64(value);
        if (base == 10 && magnitude > 2147483648ull)
            return std::nullopt;
    }
    if (base == 16) {
        // A 32-bit pattern: eight F digits are -1.
        const auto pattern = static_cast<qint32>(static_cast<quint32>(magnitude));
        return negative ? static_cast<qint32>(0u - static_cast<quint32>(pattern)) : pattern;
    }
    if (!negative && magnitude > 2147483647ull)
        return std::nullopt;
    return negative ? static_cast<int>(-static_cast<qint64>(magnitude)) : static_cast<int>(magnitude);
}
