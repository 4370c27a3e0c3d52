#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

// Renames keys of one section of an INI file too large to hold as text (the
// records of a million files), as IniDocument::withRenamedKeys does with
// exact key names: a key whose new name differs takes it, and any other key
// of the section that already has one of the new names goes, line and all.
// Two passes over the file's bytes, a piece at a time: the first learns
// which keys are renamed, the second copies every other byte as it stands
// and spells only the renamed names anew. What is kept between pieces is a
// line and the renamed keys' new names.
namespace IniKeyRename {

// Hands every piece of the file to visit, in order; false when the file
// could not be read. Called once per pass.
using ReadPieces = std::function<bool(const std::function<void(QByteArrayView)> &visit)>;
// Takes the next piece of the new file; false ends the write.
using WritePiece = std::function<bool(QByteArrayView piece)>;

enum class Result {
    Written,   // the renamed file went to write
    Unchanged, // no key was renamed: nothing was written
    WholeText, // left to a rewrite of the whole text: a new name the file's
               // 8-bit code page cannot hold turns the whole file into UTF-8,
               // and a UTF-8 file with 8-bit lines keeps them by their text
    Failed,    // a read or a write failed
};

// newName is asked once per key of the section's first occurrence, in file
// order, in the first pass; it may throw, before anything is written.
Result rename(const ReadPieces &read, QStringView section,
              const std::function<std::optional<QString>(QStringView)> &newName, const WritePiece &write);

} // namespace IniKeyRename
