#include "IniDocument.h"

#include "IniNameTable.h"

#include <map>

namespace {

// Blanks around names and values: space, tab and vertical tab.
inline bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\v';
}

// Trims blanks from [start, start + length) of text, in place.
void trimBlanks(const QString &text, qint32 &start, qint32 &length)
{
    while (length > 0 && isBlank(text[start])) {
        ++start;
        --length;
    }
    while (length > 0 && isBlank(text[start + length - 1]))
        --length;
}

} // namespace

IniDocument::IniDocument() : IniDocument(QString()) {}

IniDocument::IniDocument(QString text, KeySpelling spelling) : m_text(std::move(text)), m_spelling(spelling)
{
    if (m_text.size() > kMaxTextSize)
        m_text.clear();
    parse();
}

IniDocument::~IniDocument() = default;
IniDocument::IniDocument(IniDocument &&) noexcept = default;
IniDocument &IniDocument::operator=(IniDocument &&) noexcept = default;

void IniDocument::parse()
{
    const QChar *data = m_text.constData();
    const qint32 size = qint32(m_text.size());
    qint32 pos = 0;
    while (pos < size) {
        Line line;
        line.start = pos;
        qint32 end = pos;
        while (end < size && data[end] != u'\n' && data[end] != u'\r')
            ++end;
        line.length = end - pos;
        if (end < size)
            line.breakLength = (data[end] == u'\r' && end + 1 < size && data[end + 1] == u'\n') ? 2 : 1;
        pos = end + line.breakLength;

        qint32 first = line.start;
        while (first < end && isBlank(data[first]))
            ++first;
        if (first < end && data[first] == u'[') {
            line.kind = LineKind::Section;
            qint32 close = first + 1;
            while (close < end && data[close] != u']')
                ++close;
            line.nameStart = first + 1;
            line.nameLength = close - line.nameStart;
            trimBlanks(m_text, line.nameStart, line.nameLength);
        } else if (first < end && data[first] != u';') {
            qint32 eq = first;
            while (eq < end && data[eq] != u'=')
                ++eq;
            if (eq < end) {
                line.kind = LineKind::Key;
                line.nameStart = first;
                line.nameLength = eq - first;
                trimBlanks(m_text, line.nameStart, line.nameLength);
                line.valueStart = eq + 1;
                line.valueLength = end - line.valueStart;
                trimBlanks(m_text, line.valueStart, line.valueLength);
            }
        }
        if (line.breakLength && m_firstBreakLine < 0)
            m_firstBreakLine = qsizetype(m_lines.size());

        const qsizetype index = qsizetype(m_lines.size());
        if (line.kind == LineKind::Section) {
            if (!m_sections.empty())
                m_sections.back().end = index;
            m_sections.push_back(Section{index, index + 1, -1});
        } else if (line.kind == LineKind::Key && !m_sections.empty()) {
            m_sections.back().lastKey = index;
        }
        m_lines.push_back(line);
    }
    if (!m_sections.empty())
        m_sections.back().end = qsizetype(m_lines.size());

    m_sectionTable = std::make_unique<IniNameTable>(qsizetype(m_sections.size()));
    for (qsizetype i = 0; i < qsizetype(m_sections.size()); ++i)
        m_sectionTable->insertFirst(nameOf(m_lines[m_sections[i].header]), i);
    // Every section gets its key index now; the key lines learn whether they
    // are the one read for their name.
    m_keyTables.reserve(m_sections.size());
    m_exactKeyTables.resize(m_sections.size());
    for (size_t s = 0; s < m_sections.size(); ++s) {
        const Section &section = m_sections[s];
        const qsizetype keyLines = section.lastKey < 0 ? 0 : section.lastKey - section.header;
        auto table = std::make_unique<IniNameTable>(keyLines);
        bool manySpellings = false;
        for (qsizetype i = section.header + 1; i <= section.lastKey; ++i) {
            Line &line = m_lines[i];
            if (line.kind != LineKind::Key)
                continue;
            line.firstOfName = table->insertFirst(nameOf(line), i);
            if (!line.firstOfName) {
                Line &first = m_lines[table->find(nameOf(line))];
                if (nameOf(first) != nameOf(line))
                    first.manySpellings = manySpellings = true;
            }
        }
        if (manySpellings) {
            auto exact = std::make_unique<IniNameTable>(keyLines, IniNameTable::Match::Exact);
            for (qsizetype i = section.header + 1; i <= section.lastKey; ++i) {
                if (m_lines[i].kind == LineKind::Key && m_lines[table->find(nameOf(m_lines[i]))].manySpellings)
                    exact->insertFirst(nameOf(m_lines[i]), i);
            }
            m_exactKeyTables[s] = std::move(exact);
        }
        m_keyTables.push_back(std::move(table));
    }
}

QStringView IniDocument::nameOf(const Line &line) const
{
    return QStringView(m_text).sliced(line.nameStart, line.nameLength);
}

QStringView IniDocument::lineBreak() const
{
    if (m_firstBreakLine < 0)
        return u"\r\n";
    const Line &line = m_lines[m_firstBreakLine];
    return QStringView(m_text).sliced(line.start + line.length, line.breakLength);
}

const IniDocument::Section *IniDocument::firstSection(QStringView name) const
{
    const qsizetype index = m_sectionTable->find(name);
    return index < 0 ? nullptr : &m_sections[index];
}

qsizetype IniDocument::findKey(qsizetype sectionIndex, QStringView key) const
{
    const IniNameTable &table = *m_keyTables[sectionIndex];
    // A listing followed by a lookup of each key asks for the key lines one
    // after the other: try the key line after the last one found first.
    const Section &section = m_sections[sectionIndex];
    if (m_lastFound > section.header && m_lastFound < section.end) {
        for (qsizetype i = m_lastFound + 1; i < section.end; ++i) {
            const Line &line = m_lines[i];
            if (line.kind != LineKind::Key)
                continue;
            if (line.firstOfName && IniNameTable::namesEqual(nameOf(line), key))
                return m_lastFound = i;
            break;
        }
    }
    const qsizetype found = table.find(key);
    if (found >= 0)
        m_lastFound = found;
    return found;
}

qsizetype IniDocument::resolveKey(qsizetype sectionIndex, QStringView key) const
{
    const qsizetype found = findKey(sectionIndex, key);
    if (found < 0)
        return found;
    const bool exactOnly = m_spelling == KeySpelling::Exact;
    if (!m_lines[found].manySpellings)
        return (!exactOnly || nameOf(m_lines[found]) == key) ? found : -1;
    const qsizetype exact = m_exactKeyTables[sectionIndex]->find(key);
    return (exact >= 0 || exactOnly) ? exact : found;
}

std::optional<QString> IniDocument::value(QStringView sectionName, QStringView key) const
{
    const Section *section = firstSection(sectionName);
    if (!section)
        return std::nullopt;
    const qsizetype lineIndex = resolveKey(section - m_sections.data(), key);
    if (lineIndex < 0)
        return std::nullopt;
    return valueOf(m_lines[lineIndex]);
}

QString IniDocument::valueOf(const Line &line) const
{
    qint32 start = line.valueStart;
    qint32 length = line.valueLength;
    if (length >= 2) {
        const QChar q = m_text[start];
        if ((q == u'"' || q == u'\'') && m_text[start + length - 1] == q) {
            ++start;
            length -= 2;
        }
    }
    return m_text.mid(start, length);
}

QStringList IniDocument::keyNames(QStringView sectionName) const
{
    QStringList names;
    const Section *section = firstSection(sectionName);
    if (!section)
        return names;
    names.reserve(section->end - section->header - 1);
    for (qsizetype i = section->header + 1; i < section->end; ++i) {
        if (m_lines[i].kind == LineKind::Key)
            names.append(nameOf(m_lines[i]).toString());
    }
    return names;
}

QList<std::pair<QString, QString>> IniDocument::entries(QStringView sectionName) const
{
    QList<std::pair<QString, QString>> entries;
    const Section *section = firstSection(sectionName);
    if (!section)
        return entries;
    entries.reserve(section->end - section->header - 1);
    for (qsizetype i = section->header + 1; i < section->end; ++i) {
        if (m_lines[i].kind == LineKind::Key)
            entries.append({nameOf(m_lines[i]).toString(), valueOf(m_lines[i])});
    }
    return entries;
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    names.reserve(qsizetype(m_sections.size()));
    for (const Section &section : m_sections)
        names.append(nameOf(m_lines[section.header]).toString());
    return names;
}

QString IniDocument::withValue(QStringView sectionName, QStringView key, QStringView value) const
{
    return withValues(sectionName, {{key.toString(), value.toString()}});
}

QString IniDocument::withValues(QStringView sectionName, const QList<std::pair<QString, QString>> &values) const
{
    const QStringView br = lineBreak();
    const QStringView all(m_text);
    QString result;
    qsizetype grows = 0;
    for (const auto &[key, value] : values)
        grows += key.size() + value.size() + 4;
    result.reserve(m_text.size() + grows + sectionName.size() + 4);
    const auto appendKey = [&](QStringView key, QStringView value) {
        result.append(key).append(u'=').append(value).append(br);
    };

    const Section *section = firstSection(sectionName);
    if (!section) {
        result.append(all);
        if (!result.isEmpty() && !result.endsWith(u'\n') && !result.endsWith(u'\r'))
            result.append(br);
        result.append(u'[').append(sectionName).append(u']').append(br);
        for (const auto &[key, value] : values)
            appendKey(key, value);
        return result;
    }

    // Existing keys keep their place and spelling; new ones follow the
    // section's last key, or its header.
    std::map<qsizetype, QStringView> replaced;
    QList<std::pair<QString, QString>> added;
    IniNameTable addedNames(values.size(), m_spelling == KeySpelling::Exact ? IniNameTable::Match::Exact
                                                                            : IniNameTable::Match::IgnoringCase);
    for (const auto &[key, value] : values) {
        const qsizetype existing = resolveKey(section - m_sections.data(), key);
        if (existing >= 0)
            replaced[existing] = value;
        else if (addedNames.insertFirst(key, added.size()))
            added.append({key, value});
        else
            added[addedNames.find(key)].second = value;
    }
    const qsizetype insertAfter = section->lastKey >= 0 ? section->lastKey : section->header;
    qsizetype copiedUpTo = 0;
    const auto copyUpTo = [&](qsizetype position) {
        result.append(all.sliced(copiedUpTo, position - copiedUpTo));
        copiedUpTo = position;
    };
    bool inserted = added.isEmpty();
    const auto insertNewKeys = [&] {
        const Line &after = m_lines[insertAfter];
        copyUpTo(after.start + after.length + after.breakLength);
        // (A replaced line without a break has been given one already.)
        if (after.breakLength == 0 && !replaced.count(insertAfter))
            result.append(br);
        for (const auto &[key, value] : added)
            appendKey(key, value);
        inserted = true;
    };
    for (const auto &[index, value] : replaced) {
        if (!inserted && index > insertAfter)
            insertNewKeys();
        // A changed last line gets the file's line break, as every line the
        // profile functions write ends with one.
        const Line &line = m_lines[index];
        copyUpTo(line.start);
        result.append(nameOf(line)).append(u'=').append(value);
        if (line.breakLength == 0)
            result.append(br);
        copiedUpTo = line.start + line.length;
    }
    if (!inserted)
        insertNewKeys();
    copyUpTo(m_text.size());
    return result;
}

std::optional<QString> IniDocument::withoutKeys(QStringView sectionName, const QStringList &keys) const
{
    if (keys.isEmpty() || !firstSection(sectionName))
        return std::nullopt;
    // The keys asked for, grouped by name regardless of letter case.
    struct Doomed {
        QStringList spellings;      // as asked
        QList<bool> spellingFound;  // a line spelled exactly so exists
        QStringView firstSeen;      // the spelling a read takes when none is exact
        bool manySpellings = false; // the file holds the name in several spellings
    };
    IniNameTable names(keys.size());
    std::vector<Doomed> doomed;
    for (const QString &key : keys) {
        if (names.insertFirst(key, qsizetype(doomed.size())))
            doomed.emplace_back();
        Doomed &group = doomed[size_t(names.find(key))];
        if (!group.spellings.contains(key)) {
            group.spellings.append(key);
            group.spellingFound.append(false);
        }
    }
    const auto forEachDoomedLine = [&](const auto &visit) {
        for (const Section &section : m_sections) {
            if (!IniNameTable::namesEqual(nameOf(m_lines[section.header]), sectionName))
                continue;
            for (qsizetype i = section.header + 1; i <= section.lastKey; ++i) {
                const Line &line = m_lines[i];
                const qsizetype group = line.kind == LineKind::Key ? names.find(nameOf(line)) : -1;
                if (group >= 0)
                    visit(line, doomed[size_t(group)]);
            }
        }
    };
    forEachDoomedLine([&](const Line &line, Doomed &group) {
        const QStringView name = nameOf(line);
        if (group.firstSeen.isNull())
            group.firstSeen = name;
        else if (name != group.firstSeen)
            group.manySpellings = true;
        const qsizetype exact = group.spellings.indexOf(name);
        if (exact >= 0)
            group.spellingFound[exact] = true;
    });
    const auto removes = [this](const Doomed &group, QStringView name) {
        if (m_spelling == KeySpelling::Exact)
            return group.spellings.contains(name);
        if (!group.manySpellings)
            return true;
        for (qsizetype i = 0; i < group.spellings.size(); ++i) {
            if (name == (group.spellingFound[i] ? QStringView(group.spellings[i]) : group.firstSeen))
                return true;
        }
        return false;
    };

    QString result;
    result.reserve(m_text.size());
    const QStringView all(m_text);
    qsizetype copiedUpTo = 0;
    bool removed = false;
    forEachDoomedLine([&](const Line &line, const Doomed &group) {
        if (!removes(group, nameOf(line)))
            return;
        result.append(all.sliced(copiedUpTo, line.start - copiedUpTo));
        copiedUpTo = line.start + line.length + line.breakLength;
        removed = true;
    });
    if (!removed)
        return std::nullopt;
    result.append(all.sliced(copiedUpTo));
    return result;
}

std::optional<QString>
IniDocument::withRenamedKeys(QStringView sectionName,
                             const std::function<std::optional<QString>(QStringView)> &newName) const
{
    const Section *section = firstSection(sectionName);
    if (!section)
        return std::nullopt;
    const auto sameName = [this](QStringView a, QStringView b) {
        return m_spelling == KeySpelling::Exact ? a == b : IniNameTable::namesEqual(a, b);
    };
    std::map<qsizetype, QString> renamed;
    QStringList targets;
    for (qsizetype i = section->header + 1; i <= section->lastKey; ++i) {
        if (m_lines[i].kind != LineKind::Key)
            continue;
        std::optional<QString> name = newName(nameOf(m_lines[i]));
        if (name && !sameName(*name, nameOf(m_lines[i]))) {
            targets.append(*name);
            renamed.emplace(i, std::move(*name));
        }
    }
    if (renamed.empty())
        return std::nullopt;
    IniNameTable targetNames(targets.size(), m_spelling == KeySpelling::Exact ? IniNameTable::Match::Exact
                                                                              : IniNameTable::Match::IgnoringCase);
    for (qsizetype i = 0; i < targets.size(); ++i)
        targetNames.insertFirst(targets[i], i);

    QString result;
    result.reserve(m_text.size() + 64 * qsizetype(renamed.size()));
    const QStringView all(m_text);
    qsizetype copiedUpTo = 0;
    for (qsizetype i = section->header + 1; i <= section->lastKey; ++i) {
        const Line &line = m_lines[i];
        if (line.kind != LineKind::Key)
            continue;
        const auto change = renamed.find(i);
        if (change != renamed.end()) {
            result.append(all.sliced(copiedUpTo, line.nameStart - copiedUpTo)).append(change->second);
            copiedUpTo = line.nameStart + line.nameLength;
        } else if (targetNames.find(nameOf(line)) >= 0) {
            result.append(all.sliced(copiedUpTo, line.start - copiedUpTo));
            copiedUpTo = line.start + line.length + line.breakLength;
        }
    }
    result.append(all.sliced(copiedUpTo));
    return result;
}
