#include "IniSectionStream.h"

#include "AnsiCodePage.h"
#include "HeldFile.h"
#include "IniNameTable.h"

#include <QByteArray>
#include <QStringDecoder>
#include <QtEndian>

#include <utility>

namespace {

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\v';
}

QStringView trimmed(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// Splits the text into lines, follows the sections and hands on the keys
// of the wanted one. Line by line, the same rules IniDocument applies to the
// whole text.
class SectionReader final
{
public:
    SectionReader(QStringView section, const std::function<void(QStringView, QStringView)> &visit)
        : m_section(section), m_visit(visit)
    {}

    bool done() const { return m_state == State::After; }

    void line(QStringView text)
    {
        qsizetype first = 0;
        while (first < text.size() && isBlank(text[first]))
            ++first;
        if (first == text.size())
            return;
        if (text[first] == u'[') {
            qsizetype close = first + 1;
            while (close < text.size() && text[close] != u']')
                ++close;
            const QStringView name = trimmed(text.sliced(first + 1, close - first - 1));
            // Only the first occurrence of a section is read.
            if (m_state == State::Inside)
                m_state = State::After;
            else if (m_state == State::Before && IniNameTable::namesEqual(name, m_section))
                m_state = State::Inside;
            return;
        }
        if (m_state != State::Inside || text[first] == u';')
            return;
        const qsizetype eq = text.indexOf(u'=', first);
        if (eq < 0)
            return;
        QStringView value = trimmed(text.sliced(eq + 1));
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
            value = value.sliced(1, value.size() - 2);
        m_visit(trimmed(text.sliced(first, eq - first)), value);
    }

private:
    enum class State { Before, Inside, After };
    QStringView m_section;
    const std::function<void(QStringView, QStringView)> &m_visit;
    State m_state = State::Before;
};

enum class Form { Unknown, Bytes, Utf16LE, Utf16BE };

// The pieces of the file, cut into lines in the file's encoding. A line of
// bytes decodes as decodeIniBytes decodes it: ASCII as it is, valid UTF-8
// as UTF-8, anything else in the 8-bit code page.
class LineSplitter final
{
public:
    explicit LineSplitter(SectionReader &reader) : m_reader(reader) {}

    void piece(QByteArrayView bytes)
    {
        m_pending.append(bytes);
        if (m_form == Form::Unknown) {
            if (m_pending.size() < 3)
                return;
            detectForm();
        }
        consume(false);
    }

    void end()
    {
        if (m_form == Form::Unknown)
            detectForm();
        consume(true);
    }

private:
    void detectForm()
    {
        const auto starts = [&](QByteArrayView mark) { return QByteArrayView(m_pending).startsWith(mark); };
        if (starts("\xFF\xFE") || starts("\xFE\xFF")) {
            m_form = starts("\xFF\xFE") ? Form::Utf16LE : Form::Utf16BE;
            m_pending.remove(0, 2);
        } else {
            m_form = Form::Bytes;
            if (starts("\xEF\xBB\xBF"))
                m_pending.remove(0, 3);
        }
    }

    void consume(bool atEnd)
    {
        if (m_form == Form::Bytes)
            consumeBytes(atEnd);
        else
            consumeUnits(atEnd);
    }

    void consumeBytes(bool atEnd)
    {
        const QByteArrayView all(m_pending);
        qsizetype start = 0;
        for (;;) {
            if (m_reader.done())
                break;
            qsizetype end = start;
            while (end < all.size() && all[end] != '\n' && all[end] != '\r')
                ++end;
            if (end == all.size() && !atEnd)
                break;
            m_reader.line(decode(all.sliced(start, end - start)));
            start = end + 1;
            if (start >= all.size())
                break;
        }
        m_pending.remove(0, std::min(start, m_pending.size()));
    }

    QString decode(QByteArrayView line)
    {
        const bool first = std::exchange(m_firstLine, false);
        if (isAscii(line))
            return QString::fromLatin1(line);
        // A mark at the start of the text is dropped, as a decoder of the
        // whole file drops it; one on a later line is text.
        QStringConverter::Flags flags = QStringConverter::Flag::Stateless;
        if (!first)
            flags |= QStringConverter::Flag::ConvertInitialBom;
        QStringDecoder decoder(QStringDecoder::Utf8, flags);
        QString text = decoder.decode(line);
        return decoder.hasError() ? AnsiCodePage::decode(line) : text;
    }

    void consumeUnits(bool atEnd)
    {
        const bool bigEndian = m_form == Form::Utf16BE;
        const qsizetype units = m_pending.size() / 2;
        const char *data = m_pending.constData();
        const auto unit = [&](qsizetype i) {
            return char16_t(bigEndian ? qFromBigEndian<quint16>(data + 2 * i)
                                      : qFromLittleEndian<quint16>(data + 2 * i));
        };
        qsizetype start = 0;
        QString line;
        for (;;) {
            if (m_reader.done())
                break;
            qsizetype end = start;
            while (end < units && unit(end) != u'\n' && unit(end) != u'\r')
                ++end;
            if (end == units && !atEnd)
                break;
            line.resize(end - start);
            for (qsizetype i = start; i < end; ++i)
                line[i - start] = QChar(unit(i));
            m_reader.line(line);
            start = end + 1;
            if (start >= units)
                break;
        }
        m_pending.remove(0, std::min(start * 2, m_pending.size()));
    }

    SectionReader &m_reader;
    QByteArray m_pending;
    Form m_form = Form::Unknown;
    bool m_firstLine = true;
};

} // namespace

namespace IniSectionStream {

bool read(const QString &fileName, QStringView section,
          const std::function<void(QStringView key, QStringView value)> &visit, qint64 maxBytes)
{
    SectionReader reader(section, visit);
    LineSplitter lines(reader);
    const HeldFile::Status status = HeldFile::readInPieces(fileName, maxBytes, [&](QByteArrayView piece) {
        if (!reader.done())
            lines.piece(piece);
    });
    if (status == HeldFile::Status::Missing)
        return true;
    if (status != HeldFile::Status::Read)
        return false;
    lines.end();
    return true;
}

} // namespace IniSectionStream
