#include "IniText.h"

#include "AnsiCodePage.h"

#include <QSet>
#include <QStringDecoder>
#include <QtEndian>

#include <optional>
#include <vector>

namespace {

bool startsWith(const QByteArray &bytes, std::initializer_list<unsigned char> mark)
{
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char c : mark) {
        if (static_cast<unsigned char>(bytes[i++]) != c)
            return false;
    }
    return true;
}

// UTF-16 is copied unit by unit rather than through a codec, so lone
// surrogates and other ill-formed sequences come back exactly as they were.
QString fromUtf16Units(const char *data, qsizetype byteCount, bool bigEndian)
{
    const qsizetype units = byteCount / 2;
    QString result(units, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(result.data());
    for (qsizetype i = 0; i < units; ++i) {
        const char *p = data + 2 * i;
        out[i] = bigEndian ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
    }
    return result;
}

QByteArray toUtf16Units(const QString &text, bool bigEndian)
{
    QByteArray result(text.size() * 2, Qt::Uninitialized);
    char *out = result.data();
    const char16_t *in = reinterpret_cast<const char16_t *>(text.constData());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (bigEndian)
            qToBigEndian<quint16>(in[i], out + 2 * i);
        else
            qToLittleEndian<quint16>(in[i], out + 2 * i);
    }
    return result;
}

// The text of bytes that are valid UTF-8 as a whole; nullopt otherwise. A
// mark at their start is text: the file's own mark is taken off before, and
// one more after it (or at the start of a line) must come back on a rewrite.
std::optional<QString> decodeStrictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r';
}

// Calls visit(line, lineBreak) for each line of bytes; a break is CR, LF or
// CR LF, and never occurs inside a UTF-8 sequence.
template <typename Visit>
void forEachLine(QByteArrayView bytes, const Visit &visit)
{
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        qsizetype next = end;
        if (next < bytes.size())
            next += (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
        visit(bytes.sliced(pos, end - pos), bytes.sliced(end, next - end));
        pos = next;
    }
}

// A file whose bytes are not valid UTF-8 as a whole, line by line: valid
// lines as UTF-8, the others in the 8-bit code page. Returns whether a line
// that is not plain ASCII was valid UTF-8 (otherwise the file is simply an
// 8-bit file).
bool decodeLineByLine(QByteArrayView bytes, IniText &result)
{
    struct EightBitLine {
        QString text;
        bool eightBit;
    };
    std::vector<EightBitLine> nonAscii;
    QSet<QString> eightBitTexts;
    bool utf8Seen = false;
    result.text.reserve(bytes.size());
    forEachLine(bytes, [&](QByteArrayView line, QByteArrayView lineBreak) {
        if (isAscii(line)) {
            result.text.append(QLatin1StringView(line));
        } else if (std::optional<QString> text = decodeStrictUtf8(line)) {
            utf8Seen = true;
            result.text.append(*text);
            nonAscii.push_back({std::move(*text), false});
        } else {
            const QString eightBit = AnsiCodePage::decode(line);
            result.text.append(eightBit);
            eightBitTexts.insert(eightBit);
            nonAscii.push_back({eightBit, true});
        }
        result.text.append(QLatin1StringView(lineBreak));
    });
    // Recorded in file order for every text that occurs as an 8-bit line, so
    // that a line which reads the same in UTF-8 keeps its own bytes too.
    for (EightBitLine &line : nonAscii) {
        if (eightBitTexts.contains(line.text))
            result.eightBitLines[line.text].append(line.eightBit);
    }
    return utf8Seen;
}

QByteArray encodeLineByLine(const QString &text, const QHash<QString, QList<bool>> &eightBitLines)
{
    QHash<QString, qsizetype> used;
    QByteArray result;
    result.reserve(text.size() + text.size() / 8);
    const QStringView all(text);
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype end = pos;
        while (end < all.size() && !isLineBreak(all[end].unicode()))
            ++end;
        const QStringView line = all.sliced(pos, end - pos);
        bool eightBit = false;
        if (const auto found = eightBitLines.constFind(line.toString()); found != eightBitLines.cend()) {
            qsizetype &next = used[found.key()];
            eightBit = next < found->size() && found->at(next);
            ++next;
        }
        result.append(eightBit ? AnsiCodePage::encode(line) : line.toUtf8());
        qsizetype next = end;
        if (next < all.size())
            next += (all[next] == u'\r' && next + 1 < all.size() && all[next + 1] == u'\n') ? 2 : 1;
        result.append(all.sliced(end, next - end).toLatin1());
        pos = next;
    }
    return result;
}

} // namespace

IniText decodeIniBytes(const QByteArray &bytes)
{
    IniText result;
    if (startsWith(bytes, {0xFF, 0xFE}) || startsWith(bytes, {0xFE, 0xFF})) {
        const bool bigEndian = static_cast<unsigned char>(bytes[0]) == 0xFE;
        result.encoding = bigEndian ? IniEncoding::Utf16BE : IniEncoding::Utf16LE;
        const qsizetype payload = bytes.size() - 2;
        result.text = fromUtf16Units(bytes.constData() + 2, payload, bigEndian);
        if (payload % 2)
            result.trailingBytes = bytes.right(1);
        return result;
    }
    // The mark is never text, whatever follows it.
    const bool marked = startsWith(bytes, {0xEF, 0xBB, 0xBF});
    const QByteArrayView body = QByteArrayView(bytes).sliced(marked ? 3 : 0);
    result.encoding = marked ? IniEncoding::Utf8Bom : IniEncoding::Utf8;
    if (std::optional<QString> text = decodeStrictUtf8(body)) {
        result.text = std::move(*text);
        return result;
    }
    // A few stray bytes must not turn every other line into the code page.
    if (decodeLineByLine(body, result) || marked)
        return result;
    // The 8-bit code page; even bytes it does not define survive a rewrite.
    result.encoding = IniEncoding::EightBit;
    result.eightBitLines.clear();
    result.text = AnsiCodePage::decode(bytes);
    return result;
}

QByteArray encodeIniText(const IniText &text)
{
    QByteArray result;
    switch (text.encoding) {
    case IniEncoding::Utf8:
    case IniEncoding::Utf8Bom:
        if (text.encoding == IniEncoding::Utf8Bom)
            result = QByteArray("\xEF\xBB\xBF");
        result += text.eightBitLines.isEmpty() ? text.text.toUtf8() : encodeLineByLine(text.text, text.eightBitLines);
        break;
    case IniEncoding::Utf16LE:
        result = QByteArray("\xFF\xFE") + toUtf16Units(text.text, false);
        break;
    case IniEncoding::Utf16BE:
        result = QByteArray("\xFE\xFF") + toUtf16Units(text.text, true);
        break;
    case IniEncoding::EightBit:
        result = AnsiCodePage::encode(text.text);
        break;
    }
    return result + text.trailingBytes;
}

std::optional<QByteArray> encodeIniContinuation(const IniText &form, QStringView suffix)
{
    if (!form.trailingBytes.isEmpty() || !canEncode(form.encoding, suffix))
        return std::nullopt;
    IniText text;
    text.encoding = form.encoding;
    text.text = suffix.toString();
    QByteArray bytes = encodeIniText(text);
    switch (form.encoding) {
    case IniEncoding::Utf8Bom:
        return bytes.sliced(3);
    case IniEncoding::Utf16LE:
    case IniEncoding::Utf16BE:
        return bytes.sliced(2);
    default:
        return bytes;
    }
}

bool canEncode(IniEncoding encoding, QStringView text)
{
    return encoding != IniEncoding::EightBit || AnsiCodePage::canEncode(text);
}

IniEncoding newFileEncoding()
{
#ifdef Q_OS_WIN
    return IniEncoding::Utf16LE;
#else
    return IniEncoding::Utf8;
#endif
}
