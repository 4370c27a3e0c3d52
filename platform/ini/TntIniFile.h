#pragma once

#include "IniDocument.h"
#include "IniText.h"
#include "platform/FileStamp.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class AtomicFile;
class HeldFile;
class QDeadlineTimer;
struct IniKeyChange;

// The one way to INI files. Opened by full path; every call sees the file as
// it is on disk, so changes by other programs (the shell extension writes
// base.ini) show at the next call. Parsing happens once per state of the
// file on disk, and lookups are answered from an index.
//
// Writes replace the file atomically (a temporary file in the same folder,
// flushed, then renamed over it) and keep every line they do not change byte
// for byte. DeleteKey calls are gathered and made in one rewrite, against the
// file as it is at that moment, before the next other call on the object or
// when the object is released.
class TTntIniFile final
{
public:
    explicit TTntIniFile(QString fileName, IniDocument::KeySpelling spelling = IniDocument::KeySpelling::AnyCase);
    ~TTntIniFile();
    TTntIniFile(const TTntIniFile &) = delete;
    TTntIniFile &operator=(const TTntIniFile &) = delete;

    const QString &FileName() const { return m_fileName; }

    QString ReadString(const QString &section, const QString &key, const QString &defaultValue);
    int ReadInteger(const QString &section, const QString &key, int defaultValue);
    // Clears list, then fills it with the section's key names in file order.
    void ReadSection(const QString &section, QStringList &list);
    // Clears list, then fills it with the section's keys and their values in
    // file order, duplicates included (see IniDocument::entries).
    void ReadSectionEntries(const QString &section, QList<std::pair<QString, QString>> &list);
    // False when the file exists but cannot be read whole (no regular file,
    // larger than kMaxFileBytes, no permission): it then reads as empty,
    // which a reader that removes what the file no longer holds must not
    // take for an empty file.
    bool IsReadable();

    // Raise AppError "Unable to write to <path>" when the file cannot be written.
    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    // Many keys of one section in one rewrite; nothing is written when any
    // of them cannot be.
    void WriteStrings(const QString &section, const QList<std::pair<QString, QString>> &values);

    // Renames keys of the section in place, in one rewrite against the file
    // as it is now (see IniDocument::withRenamedKeys); a missing file or
    // section is no error. Raises AppError as WriteString does, also when a
    // new name could not be a key.
    void RenameKeys(const QString &section, const std::function<std::optional<QString>(QStringView)> &newName);

    // Silent: a missing key or file, or a file that cannot be written, is no error.
    void DeleteKey(const QString &section, const QString &key);
    // Makes the gathered deletions now. Returns false when a needed rewrite failed.
    bool UpdateFile();

    // The largest file read; a larger one is treated as unreadable, so it
    // reads as empty and is never rewritten.
    static constexpr qint64 kMaxFileBytes = qint64(1) << 30;

    // Parses the text of ReadInteger: decimal with an optional sign, or up to
    // eight hex digits after "$", "0x" or "0X"; nullopt for anything else.
    static std::optional<int> parseInteger(QStringView text);

private:
    const IniDocument &current();
    // Reads the file as it is now.
    void reload();
    // Takes the held file's bytes.
    void load(HeldFile &held);
    // One read-modify-write under the folder's lock, within a bounded wait:
    // `change` makes the new text from m_document, the file as it is now and
    // settled (nullopt: nothing to write). Keys that a writer taking no lock
    // added or changed in the replaced file meanwhile are brought into the
    // new one; no key is ever taken as removed by another writer.
    void rewrite(const std::function<std::optional<QString>()> &change);
    // The rounds of a rewrite. With changeMade the change is in the file
    // already, and only `missed` is brought over.
    void rewriteRounds(const std::function<std::optional<QString>()> &change, std::vector<IniKeyChange> missed,
                       bool changeMade, const QDeadlineTimer &deadline);
    // RenameKeys a piece of the file at a time, so a store of a million
    // records is never held as text; false where the whole text must be
    // rewritten instead (no lease to be had, a name the file's 8-bit code
    // page cannot hold, another file put in its place meanwhile).
    bool renameInPieces(const QString &section, const std::function<std::optional<QString>(QStringView)> &newName);
    // Writes text to file and renames it over target, unless another
    // program put another file there since held was read; returns whether
    // it was written.
    bool commitText(AtomicFile &file, const QString &target, const QString &text, const HeldFile &held);
    // Makes newText by adding to the held file in place, where newText only
    // adds to its end and the file is leased; returns whether it did.
    bool appendInPlace(HeldFile &held, const QString &newText);
    [[noreturn]] void failWrite(const QString &reason) const;

    QString m_fileName;
    IniDocument::KeySpelling m_spelling;
    FileStamp m_stamp;
    IniText m_form; // how the text is stored: encoding and bytes kept aside
    IniDocument m_document;
    bool m_loaded = false;
    bool m_unreadable = false; // exists, but could not be read whole
    QElapsedTimer m_sinceCheck;
    std::vector<std::pair<QString, QString>> m_pendingDeletes;
};
