#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

// How the bytes of an INI file map to text. Other programs write these files
// through the Windows profile functions, so every encoding they produce must
// survive a rewrite unchanged.
enum class IniEncoding {
    Utf8,     // no byte-order mark, UTF-8 (some lines may be 8-bit, see IniText)
    Utf8Bom,  // EF BB BF
    Utf16LE,  // FF FE
    Utf16BE,  // FE FF
    EightBit, // no mark and not valid UTF-8: the 8-bit code page
};

struct IniText {
    IniEncoding encoding = IniEncoding::Utf8;
    QString text;
    // A UTF-16 file of odd length ends in a lone byte; it is carried through
    // a rewrite as it was rather than dropped.
    QByteArray trailingBytes;
    // A UTF-8 file that several programs wrote may hold a few lines in the
    // 8-bit code page. Those lines are read in the code page and written
    // back in it: per line text, in file order, whether each occurrence of
    // that text was 8-bit. Lines missing here (changed or new) are UTF-8.
    QHash<QString, QList<bool>> eightBitLines;
};

// Decoding and encoding are exact inverses for every input: a file read and
// written back without changes is the same bytes, whatever it holds (NUL
// bytes, lone surrogates, bytes that are no valid UTF-8).
IniText decodeIniBytes(const QByteArray &bytes);
QByteArray encodeIniText(const IniText &text);

// The bytes that add suffix to the end of a file stored as form (no mark);
// nullopt where the file's bytes cannot simply be continued (a lone
// trailing byte, a character the 8-bit encoding cannot store).
std::optional<QByteArray> encodeIniContinuation(const IniText &form, QStringView suffix);

// True when every character of text can be stored in the given encoding.
bool canEncode(IniEncoding encoding, QStringView text);

// The encoding of a file the program creates.
IniEncoding newFileEncoding();
