#include "IniKeyRename.h"

#include "AnsiCodePage.h"
#include "IniLines.h"
#include "IniText.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QtEndian>

namespace {

using namespace IniLines;

// What the new file is handed over in.
constexpr qsizetype kPieceBytes = 256 * 1024;

// The bytes of text in the form the file is stored in.
QByteArray encodeLine(Form form, bool eightBitFile, QStringView text)
{
    if (form == Form::Bytes)
        return eightBitFile ? AnsiCodePage::encode(text) : text.toUtf8();
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (form == Form::Utf16BE)
            qToBigEndian<quint16>(text[i].unicode(), bytes.data() + 2 * i);
        else
            qToLittleEndian<quint16>(text[i].unicode(), bytes.data() + 2 * i);
    }
    return bytes;
}

} // namespace

namespace IniKeyRename {

Result rename(const ReadPieces &read, QStringView section,
              const std::function<std::optional<QString>(QStringView)> &newName, const WritePiece &write)
{
    // The first pass: the new names, by key, and the file's form. A file
    // without a mark whose lines are no valid UTF-8 where they are not
    // ASCII is an 8-bit file, as decodeIniBytes reads it.
    QHash<qsizetype, QString> renamed;
    QSet<QString> targets;
    bool utf8Seen = false;
    bool eightBitSeen = false;
    Form form = Form::Unknown;
    bool marked = false;
    {
        SectionTracker tracker(section);
        LineCutter lines(
            [&](Form lineForm, QByteArrayView content, QByteArrayView) {
                const DecodedLine line = decodeLine(lineForm, content);
                eightBitSeen |= line.eightBit;
                utf8Seen |= !line.eightBit && !isAscii(content);
                const LineShape shape = shapeOf(line.text);
                const qsizetype key = tracker.keyIndex(shape, line.text);
                if (key < 0)
                    return;
                const QStringView name = QStringView(line.text).sliced(shape.nameStart, shape.nameLength);
                std::optional<QString> next = newName(name);
                if (next && *next != name) {
                    targets.insert(*next);
                    renamed.emplace(key, std::move(*next));
                }
            },
            [&](QByteArrayView) {});
        if (!read([&](QByteArrayView piece) { lines.piece(piece); }))
            return Result::Failed;
        lines.end();
        form = lines.form();
        marked = lines.marked();
    }
    if (renamed.isEmpty())
        return Result::Unchanged;
    // A UTF-8 file that holds 8-bit lines too keeps each of them in its
    // own encoding by text and order (see IniText), which only the whole
    // text can tell; such files come from several writers and are rare.
    if (eightBitSeen && (utf8Seen || marked))
        return Result::WholeText;
    const bool eightBitFile = form == Form::Bytes && eightBitSeen;
    if (eightBitFile) {
        for (const QString &name : std::as_const(renamed)) {
            if (!canEncode(IniEncoding::EightBit, name))
                return Result::WholeText;
        }
    }

    // The second pass: every byte as it stands, but the renamed keys'
    // lines, spelled anew, and the lines of keys they take the place of.
    QByteArray out;
    bool written = true;
    const auto flush = [&](bool atEnd) {
        if (out.isEmpty() || (out.size() < kPieceBytes && !atEnd))
            return;
        written = written && write(out);
        out.clear();
    };
    SectionTracker tracker(section);
    LineCutter lines(
        [&](Form, QByteArrayView content, QByteArrayView lineBreak) {
            const DecodedLine line = decodeLine(form, content);
            const LineShape shape = shapeOf(line.text);
            const qsizetype key = tracker.keyIndex(shape, line.text);
            if (key >= 0) {
                if (const auto name = renamed.constFind(key); name != renamed.cend()) {
                    const QStringView text(line.text);
                    QString spelled = text.first(shape.nameStart).toString();
                    spelled += *name;
                    spelled += text.sliced(shape.nameStart + shape.nameLength);
                    out += encodeLine(form, eightBitFile, spelled);
                    out += lineBreak;
                    flush(false);
                    return;
                }
                if (targets.contains(QStringView(line.text).sliced(shape.nameStart, shape.nameLength).toString()))
                    return;
            }
            out += content;
            out += lineBreak;
            flush(false);
        },
        [&](QByteArrayView bytes) { out += bytes; });
    if (!read([&](QByteArrayView piece) {
            if (written)
                lines.piece(piece);
        }))
        return Result::Failed;
    lines.end();
    flush(true);
    return written ? Result::Written : Result::Failed;
}

} // namespace IniKeyRename
