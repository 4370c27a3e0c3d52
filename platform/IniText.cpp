#include "IniText.h"

#include <QStringDecoder>
#include <QtEndian>

#include <optional>

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

// The text of bytes that are valid UTF-8 as a whole; nullopt otherwise.
std::optional<QString> decodeStrictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
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
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF})) {
        if (std::optional<QString> text = decodeStrictUtf8(QByteArrayView(bytes).sliced(3))) {
            result.encoding = IniEncoding::Utf8Bom;
            result.text = std::move(*text);
            return result;
        }
    } else if (std::optional<QString> text = decodeStrictUtf8(bytes)) {
        result.encoding = IniEncoding::Utf8;
        result.text = std::move(*text);
        return result;
    }
    // The 8-bit code page. Latin-1 maps every byte to one character and back,
    // so even bytes no code page defines survive a rewrite.
    result.encoding = IniEncoding::EightBit;
    result.text = QString::fromLatin1(bytes);
    return result;
}

QByteArray encodeIniText(const IniText &text)
{
    QByteArray result;
    switch (text.encoding) {
    case IniEncoding::Utf8:
        result = text.text.toUtf8();
        break;
    case IniEncoding::Utf8Bom:
        result = QByteArray("\xEF\xBB\xBF") + text.text.toUtf8();
        break;
    case IniEncoding::Utf16LE:
        result = QByteArray("\xFF\xFE") + toUtf16Units(text.text, false);
        break;
    case IniEncoding::Utf16BE:
        result = QByteArray("\xFE\xFF") + toUtf16Units(text.text, true);
        break;
    case IniEncoding::EightBit:
        result = text.text.toLatin1();
        break;
    }
    return result + text.trailingBytes;
}

bool canEncode(IniEncoding encoding, QStringView text)
{
    if (encoding != IniEncoding::EightBit)
        return true;
    for (QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

IniEncoding newFileEncoding()
{
#ifdef Q_OS_WIN
    return IniEncoding::Utf16LE;
#else
    return IniEncoding::Utf8;
#endif
}
