#include "IniKeyRename.h"

#include "AnsiCodePage.h"
#include "IniNameTable.h"
#include "IniText.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QStringDecoder>
#include <QtEndian>

namespace {

// What the new file is handed over in.
constexpr qsizetype kPieceBytes = 256 * 1024;

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\v';
}

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

enum class Form { Unknown, Bytes, Utf16LE, Utf16BE };

// The pieces cut into lines in the file's form, a break being CR, LF or
// CR LF as IniDocument reads them. The byte-order mark, and the lone byte a
// UTF-16 file of odd length ends in, go to `raw` as they stand.
class LineCutter final
{
public:
    using Line = std::function<void(Form form, QByteArrayView content, QByteArrayView lineBreak)>;
    using Raw = std::function<void(QByteArrayView bytes)>;

    LineCutter(Line line, Raw raw) : m_line(std::move(line)), m_raw(std::move(raw)) {}

    Form form() const { return m_form; }
    bool marked() const { return m_marked; }

    void piece(QByteArrayView bytes)
    {
        m_pending.append(bytes);
        if (m_form == Form::Unknown) {
            if (m_pending.size() < 3)
                return;
            detectForm();
        }
        cut(false);
    }

    void end()
    {
        if (m_form == Form::Unknown)
            detectForm();
        cut(true);
        if (!m_pending.isEmpty())
            m_raw(m_pending);
        m_pending.clear();
    }

private:
    void detectForm()
    {
        const auto starts = [&](QByteArrayView mark) { return QByteArrayView(m_pending).startsWith(mark); };
        qsizetype mark = 0;
        if (starts("\xFF\xFE") || starts("\xFE\xFF")) {
            m_form = starts("\xFF\xFE") ? Form::Utf16LE : Form::Utf16BE;
            mark = 2;
        } else {
            m_form = Form::Bytes;
            m_marked = starts("\xEF\xBB\xBF");
            mark = m_marked ? 3 : 0;
        }
        m_raw(QByteArrayView(m_pending).first(mark));
        m_pending.remove(0, mark);
    }

    // Cuts what is pending in units of `width` bytes; a CR at the end of a
    // piece waits for the next, which may hold its LF.
    void cut(bool atEnd)
    {
        const qsizetype width = m_form == Form::Bytes ? 1 : 2;
        const bool bigEndian = m_form == Form::Utf16BE;
        const char *data = m_pending.constData();
        const qsizetype units = m_pending.size() / width;
        const auto unit = [&](qsizetype i) -> char16_t {
            if (width == 1)
                return char16_t(static_cast<unsigned char>(data[i]));
            return bigEndian ? qFromBigEndian<quint16>(data + 2 * i) : qFromLittleEndian<quint16>(data + 2 * i);
        };
        qsizetype start = 0;
        while (start < units) {
            qsizetype end = start;
            while (end < units && unit(end) != u'\n' && unit(end) != u'\r')
                ++end;
            if (end == units) {
                if (atEnd) {
                    m_line(m_form, QByteArrayView(data + start * width, (end - start) * width), {});
                    start = end;
                }
                break;
            }
            qsizetype next = end + 1;
            if (unit(end) == u'\r') {
                if (next == units && !atEnd)
                    break;
                if (next < units && unit(next) == u'\n')
                    ++next;
            }
            m_line(m_form, QByteArrayView(data + start * width, (end - start) * width),
                   QByteArrayView(data + end * width, (next - end) * width));
            start = next;
        }
        m_pending.remove(0, start * width);
    }

    Line m_line;
    Raw m_raw;
    QByteArray m_pending;
    Form m_form = Form::Unknown;
    bool m_marked = false;
};

// One line's text, as a whole-file decoder gives it (see decodeIniBytes):
// ASCII as it is, valid UTF-8 as UTF-8, anything else in the 8-bit code
// page; UTF-16 unit by unit.
struct DecodedLine {
    QString text;
    bool eightBit = false; // read in the code page
};

DecodedLine decodeLine(Form form, QByteArrayView bytes, bool firstOfText)
{
    if (form != Form::Bytes) {
        QString text(bytes.size() / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char *p = bytes.data() + 2 * i;
            text[i] = QChar(form == Form::Utf16BE ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p));
        }
        return {text};
    }
    if (isAscii(bytes))
        return {QString::fromLatin1(bytes)};
    // A mark at the very start is dropped, as a decoder of the whole text
    // drops it; anywhere else it is text.
    QStringConverter::Flags flags = QStringConverter::Flag::Stateless;
    if (!firstOfText)
        flags |= QStringConverter::Flag::ConvertInitialBom;
    QStringDecoder decoder(QStringDecoder::Utf8, flags);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return {text};
    return {AnsiCodePage::decode(bytes), true};
}

// Where a line's key name lies in its text, as IniDocument finds it.
struct LineShape {
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    qsizetype nameStart = 0;
    qsizetype nameLength = 0;
};

LineShape shapeOf(QStringView text)
{
    qsizetype first = 0;
    while (first < text.size() && isBlank(text[first]))
        ++first;
    if (first == text.size() || text[first] == u';')
        return {};
    qsizetype start = first + 1;
    qsizetype end = start;
    LineShape shape;
    if (text[first] == u'[') {
        while (end < text.size() && text[end] != u']')
            ++end;
        shape.kind = LineShape::Kind::Section;
    } else {
        end = text.indexOf(u'=', first);
        if (end < 0)
            return {};
        start = first;
        shape.kind = LineShape::Kind::Key;
    }
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    shape.nameStart = start;
    shape.nameLength = end - start;
    return shape;
}

// Follows the sections line by line: which key of the wanted section's
// first occurrence a line is, counted from 0, or -1.
class SectionTracker final
{
public:
    explicit SectionTracker(QStringView section) : m_section(section) {}

    qsizetype keyIndex(const LineShape &shape, QStringView text)
    {
        if (shape.kind == LineShape::Kind::Section) {
            const QStringView name = text.sliced(shape.nameStart, shape.nameLength);
            if (m_state == State::Inside)
                m_state = State::After;
            else if (m_state == State::Before && IniNameTable::namesEqual(name, m_section))
                m_state = State::Inside;
            return -1;
        }
        if (shape.kind != LineShape::Kind::Key || m_state != State::Inside)
            return -1;
        return m_keys++;
    }

private:
    enum class State { Before, Inside, After };
    QStringView m_section;
    State m_state = State::Before;
    qsizetype m_keys = 0;
};

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
        bool first = true;
        LineCutter lines(
            [&](Form lineForm, QByteArrayView content, QByteArrayView) {
                const DecodedLine line = decodeLine(lineForm, content, std::exchange(first, false));
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
                    renamed.insert(key, std::move(*next));
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
    bool first = true;
    LineCutter lines(
        [&](Form, QByteArrayView content, QByteArrayView lineBreak) {
            const DecodedLine line = decodeLine(form, content, std::exchange(first, false));
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
