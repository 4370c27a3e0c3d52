#include "TntIniFile.h"

#include "AppError.h"
#include "AtomicFile.h"
#include "FolderLock.h"
#include "HeldFile.h"
#include "IniNameTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {

// Calls that follow each other this closely share one look at the file
// system, so 100 000 lookups do not cost 100 000 stat calls. A change made by
// another program is still seen by every call made this long after it.
constexpr qint64 kRecheckNs = 2'000'000;

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

// The text of onto with the changes that made `after` from `before`: keys
// added, changed or removed, one by one.
QString withChangesOf(const IniDocument &onto, const IniDocument &before, const IniDocument &after,
                      IniDocument::KeySpelling spelling)
{
    QString text = onto.text();
    for (const QString &section : after.sectionNames()) {
        QList<std::pair<QString, QString>> changed;
        for (const QString &key : after.keyNames(section)) {
            const std::optional<QString> value = after.value(section, key);
            if (value && before.value(section, key) != value)
                changed.append({key, *value});
        }
        if (!changed.isEmpty())
            text = IniDocument(text, spelling).withValues(section, changed);
    }
    for (const QString &section : before.sectionNames()) {
        QStringList removed;
        for (const QString &key : before.keyNames(section)) {
            if (!after.value(section, key))
                removed.append(key);
        }
        if (std::optional<QString> shorter = IniDocument(text, spelling).withoutKeys(section, removed))
            text = std::move(*shorter);
    }
    return text;
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

std::unique_ptr<HeldFile> TTntIniFile::reload()
{
    auto held = std::make_unique<HeldFile>(m_fileName, kMaxFileBytes);
    m_stamp = held->stamp();
    m_sinceCheck.start();
    m_loaded = true;
    m_unreadable = held->status() == HeldFile::Status::Unreadable;
    IniText text;
    if (held->status() == HeldFile::Status::Read)
        text = decodeIniBytes(held->bytes());
    else if (!m_stamp.exists)
        text.encoding = newFileEncoding();
    m_document = IniDocument(std::move(text.text), m_spelling);
    m_form = std::move(text);
    return held;
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
        failWrite();
    QList<std::pair<QString, QString>> trimmed;
    trimmed.reserve(values.size());
    for (const auto &[key, value] : values) {
        QString keyName = trimSpaces(key);
        if (holdsLineBreak(keyName) || keyName.contains(u'=') || holdsLineBreak(value))
            failWrite();
        trimmed.append({std::move(keyName), value});
    }
    if (!m_pendingDeletes.empty())
        UpdateFile();
    rewrite([&]() -> std::optional<QString> { return m_document.withValues(sectionName, trimmed); });
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
    // Rounds in which a change of the file before the rename makes the
    // rewrite start again; after that it is written all the same, and what
    // another writer added meanwhile is merged in by the next round.
    constexpr int kCleanAttempts = 3;
    // A writer that never pauses is merged for this long at most; each round
    // merges what it added during the last one, so a pause ends the rewrite.
    constexpr qint64 kMergeMs = 60000;
    const FolderLock lock(QFileInfo(m_fileName).absolutePath());
    if (!lock.isHeld())
        failWrite();
    QElapsedTimer merging;
    // Changes another writer made to a file this rewrite then replaced:
    // the file as it was read, and as that writer left it.
    std::optional<std::pair<IniDocument, IniDocument>> missed;
    for (int attempt = 1;; ++attempt) {
        const std::unique_ptr<HeldFile> held = reload();
        // Never rewritten from an empty state: that would lose what it holds.
        if ((m_stamp.exists && !m_stamp.isFile) || m_unreadable)
            failWrite();
        const QString asRead = m_document.text();
        // After a missed change the file already holds this change; only the
        // other writer's changes are brought in.
        const std::optional<QString> text =
            missed ? withChangesOf(m_document, missed->first, missed->second, m_spelling) : change();
        if (!text)
            return;
        if (!commitText(*text, attempt > kCleanAttempts))
            continue;
        // A writer that opened the old file just before the rename may write
        // to it a moment later: look again once it had the time to.
        if (!held->changedSinceRead()) {
            QThread::msleep(1);
            if (!held->changedSinceRead())
                return;
        }
        if (!merging.isValid())
            merging.start();
        else if (merging.elapsed() > kMergeMs)
            return;
        missed.emplace(IniDocument(asRead, m_spelling),
                       IniDocument(decodeIniBytes(held->readAgain()).text, m_spelling));
    }
}

bool TTntIniFile::commitText(const QString &newText, bool evenIfChanged)
{
    IniText text = m_form;
    text.text = newText;
    if (!canEncode(text.encoding, text.text))
        text.encoding = IniEncoding::Utf8;
    // A read-only file must stay as it is, even where the folder would allow
    // the rename (and even for root, whom the access check always lets pass).
    if (m_stamp.isFile && !(QFile::permissions(m_fileName) & QFileDevice::WriteOwner))
        failWrite();
    // On disk before the last look at the old file, so that the time between
    // that look and the rename is as short as it can be.
    AtomicFile file(m_fileName);
    if (!file.write(encodeIniText(text)))
        failWrite();
    if (!evenIfChanged && FileStamp::of(m_fileName) != m_stamp)
        return false;
    if (!file.commit())
        failWrite();
    // The next call reads the file back; a write that ends the object's life
    // (the usual batch of deletions) then costs no second parse.
    m_loaded = false;
    return true;
}

void TTntIniFile::failWrite() const
{
    throw AppError(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(m_fileName)));
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
