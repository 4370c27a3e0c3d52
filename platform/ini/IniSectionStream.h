#pragma once

#include <QString>
#include <QStringView>

#include <functional>

// One section of an INI file read a line at a time, for stores too large to
// hold whole (a million records): the keys and values an IniDocument of the
// same file gives (entries()), in file order, duplicates included, while
// only a piece of the file and one line are in memory.
namespace IniSectionStream {

// Calls visit for each key of the section's first occurrence, its value
// trimmed and stripped of one pair of matching quotes. A missing file has
// no keys; false when the file cannot be read (no regular file, larger than
// maxBytes, no permission), as TTntIniFile::IsReadable tells.
bool read(const QString &fileName, QStringView section,
          const std::function<void(QStringView key, QStringView value)> &visit, qint64 maxBytes);

} // namespace IniSectionStream
