#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class IniNameTable;

// The parsed form of one INI file's text. It keeps the text whole and
// records where each line, name and value lies in it, so a rewrite can copy
// every untouched line exactly and a lookup never copies more than the value.
//
// Names match without regard to letter case. Only the first occurrence of a
// section is searched; a deletion reaches every occurrence. Where one key
// name stands in a section in several spellings (paths on a file system
// that tells letter case apart), a read, a write and a deletion take the
// spelling asked for exactly.
class IniDocument final
{
public:
    // How a key asked for meets the key names of the file. Exact serves
    // names that are paths of a file system telling letter case apart: a
    // name spelled otherwise is another key, never read, replaced or
    // deleted in its stead.
    enum class KeySpelling : quint8 { AnyCase, Exact };

    // The largest text parsed, in UTF-16 units; a larger file reads as empty.
    static constexpr qsizetype kMaxTextSize = 0x7fff0000;

    IniDocument();
    explicit IniDocument(QString text, KeySpelling spelling = KeySpelling::AnyCase);
    ~IniDocument();
    IniDocument(IniDocument &&) noexcept;
    IniDocument &operator=(IniDocument &&) noexcept;

    const QString &text() const { return m_text; }

    // The value of the first key of that name in the first occurrence of the
    // section, trimmed and with one pair of matching quotes removed.
    std::optional<QString> value(QStringView section, QStringView key) const;
    // Every key name of the section's first occurrence, duplicates included.
    QStringList keyNames(QStringView section) const;
    // Every key of the section's first occurrence with its value as value()
    // reads it, in file order, duplicates included: the first of each
    // spelling is what an Exact read of it finds. One pass, no lookups.
    QList<std::pair<QString, QString>> entries(QStringView section) const;
    // The name of every section, in file order, duplicates included.
    QStringList sectionNames() const;

    // The text with key set to value: an existing key keeps its place and
    // spelling, a new key follows the section's last key, a new section goes
    // at the end of the file.
    QString withValue(QStringView section, QStringView key, QStringView value) const;
    // withValue for many keys of one section, in one pass; new keys follow
    // in the order given.
    QString withValues(QStringView section, const QList<std::pair<QString, QString>> &values) const;
    // The text without every line of those keys in every occurrence of the
    // section; nullopt when no line matched. A name that stands in several
    // spellings loses only the lines spelled as a read of it would take.
    std::optional<QString> withoutKeys(QStringView section, const QStringList &keys) const;
    // The text with keys of the section's first occurrence renamed in place:
    // newName gives a key's new name, or nullopt to keep it. A key already
    // standing under a new name, and not renamed itself, goes: the record
    // that moved there replaces it. nullopt when no line changed.
    std::optional<QString> withRenamedKeys(QStringView section,
                                           const std::function<std::optional<QString>(QStringView)> &newName) const;

    // The line break the file uses (its first one), CR LF when it has none.
    QStringView lineBreak() const;

private:
    enum class LineKind : quint8 { Other, Section, Key };
    // Offsets are 32-bit to keep a line's record small; texts beyond that
    // size are not read (see kMaxTextSize).
    struct Line {
        qint32 start = 0;     // first character of the line
        qint32 length = 0;    // without the line break
        qint32 nameStart = 0; // section or key name, trimmed
        qint32 nameLength = 0;
        qint32 valueStart = 0; // key value, trimmed, quotes kept
        qint32 valueLength = 0;
        quint8 breakLength = 0; // 0, 1 or 2
        LineKind kind = LineKind::Other;
        bool firstOfName = false;   // the key read for its name (duplicates follow)
        bool manySpellings = false; // on the first of a name: other spellings follow
    };
    struct Section {
        qsizetype header = 0;   // line index of the header
        qsizetype end = 0;      // line index after the last line
        qsizetype lastKey = -1; // line index of the last key line
    };

    void parse();
    QStringView nameOf(const Line &line) const;
    QString valueOf(const Line &line) const;
    const Section *firstSection(QStringView name) const;
    qsizetype findKey(qsizetype sectionIndex, QStringView key) const;
    // findKey, then the exact spelling where the name has several.
    qsizetype resolveKey(qsizetype sectionIndex, QStringView key) const;

    QString m_text;
    std::vector<Line> m_lines;
    std::vector<Section> m_sections;
    qsizetype m_firstBreakLine = -1;
    std::unique_ptr<IniNameTable> m_sectionTable;
    std::vector<std::unique_ptr<IniNameTable>> m_keyTables;
    // Per section, the key lines of names with several spellings, matched
    // exactly; null where every name has one spelling.
    std::vector<std::unique_ptr<IniNameTable>> m_exactKeyTables;
    KeySpelling m_spelling = KeySpelling::AnyCase;
    mutable qsizetype m_lastFound = -1; // callers mostly look keys up in file order
};
