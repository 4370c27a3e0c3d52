#include "AnsiCodePage.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#ifndef Q_OS_WIN

// Latin-1 maps every byte to one character and back.
QString AnsiCodePage::decode(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes);
}

QByteArray AnsiCodePage::encode(QStringView text)
{
    return text.toLatin1();
}

bool AnsiCodePage::canEncode(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

#else

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // U+DC80..U+DCFF: one byte each

bool isEscape(char16_t c)
{
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

// The code page's text of bytes, or nothing when the code page does not map
// them or would not give the same bytes back.
bool decodeExactly(const char *bytes, int size, QString &text)
{
    const int units = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
    if (units <= 0)
        return false;
    text.resize(units);
    ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, size, reinterpret_cast<wchar_t *>(text.data()), units);
    return AnsiCodePage::encode(text) == QByteArrayView(bytes, size);
}

// Text without escapes in the code page; false where a character has no
// exact byte form (a best-fit or default character would be written).
bool encodePlain(QStringView text, QByteArray &bytes)
{
    if (text.isEmpty())
        return true;
    const auto *units = reinterpret_cast<const wchar_t *>(text.utf16());
    BOOL usedDefault = FALSE;
    const int size =
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, int(text.size()), nullptr, 0, nullptr, &usedDefault);
    if (size <= 0)
        return false;
    const qsizetype at = bytes.size();
    bytes.resize(at + size);
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, int(text.size()), bytes.data() + at, size, nullptr,
                          &usedDefault);
    return !usedDefault;
}

} // namespace

QString AnsiCodePage::decode(QByteArrayView bytes)
{
    QString text;
    if (bytes.isEmpty() || decodeExactly(bytes.data(), int(bytes.size()), text))
        return text;
    // Character by character: one byte, or a lead byte and its trail, as the
    // code page reads them; a byte that reads as nothing is kept as itself.
    text.clear();
    const UINT codePage = ::GetACP();
    qsizetype at = 0;
    while (at < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        QString character;
        const int length = ::IsDBCSLeadByteEx(codePage, byte) && at + 1 < bytes.size() ? 2 : 1;
        if (byte < 0x80 || decodeExactly(bytes.data() + at, length, character)) {
            text += byte < 0x80 ? QString(QChar(byte)) : character;
            at += byte < 0x80 ? 1 : length;
        } else {
            text += QChar(char16_t(kEscapeBase + byte));
            ++at;
        }
    }
    return text;
}

namespace {

// The bytes of text: runs of characters in the code page, escapes as the
// bytes they stand for; false where a character has no exact byte form.
bool encodeWithEscapes(QStringView text, QByteArray &bytes)
{
    bool exact = true;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isEscape(text[i].unicode()))
            continue;
        exact = encodePlain(text.sliced(runStart, i - runStart), bytes) && exact;
        if (i < text.size())
            bytes += char(text[i].unicode() - kEscapeBase);
        runStart = i + 1;
    }
    return exact;
}

} // namespace

QByteArray AnsiCodePage::encode(QStringView text)
{
    QByteArray bytes;
    encodeWithEscapes(text, bytes);
    return bytes;
}

bool AnsiCodePage::canEncode(QStringView text)
{
    QByteArray bytes;
    return encodeWithEscapes(text, bytes);
}

#endif
