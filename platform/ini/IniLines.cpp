#include "IniLines.h"

#include "AnsiCodePage.h"
#include "IniNameTable.h"

#include <QStringDecoder>
#include <QtEndian>

#include <tuple>
#include <utility>

namespace {

bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '\t' || u == '\v';
}

} // namespace

namespace IniLines {

LineCutter::LineCutter(Line line, Raw raw) : m_line(std::move(line)), m_raw(std::move(raw)) {}

void LineCutter::piece(QByteArrayView bytes)
{
    m_pending.append(bytes);
    if (m_form == Form::Unknown) {
        if (m_pending.size() < 3)
            return;
        detectForm();
    }
    cut(false);
}

void LineCutter::end()
{
    if (m_form == Form::Unknown)
        detectForm();
    cut(true);
    if (!m_pending.isEmpty())
        m_raw(m_pending);
    m_pending.clear();
}

void LineCutter::detectForm()
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

// Cuts what is pending in units of one or two bytes; a CR at the end of a
// piece waits for the next, which may hold its LF.
void LineCutter::cut(bool atEnd)
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

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

DecodedLine decodeLine(Form form, QByteArrayView bytes)
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
    // A mark is text here: the file's own is taken off before its lines.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return {text};
    return {AnsiCodePage::decode(bytes), true};
}

namespace {

// [start, end) of text without the blanks at either end, as start and length.
std::pair<qsizetype, qsizetype> trimmedRange(QStringView text, qsizetype start, qsizetype end)
{
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    return {start, end - start};
}

} // namespace

LineShape shapeOf(QStringView text)
{
    qsizetype first = 0;
    while (first < text.size() && isBlank(text[first]))
        ++first;
    if (first == text.size() || text[first] == u';')
        return {};
    LineShape shape;
    qsizetype start = first;
    qsizetype end = first + 1;
    if (text[first] == u'[') {
        start = first + 1;
        while (end < text.size() && text[end] != u']')
            ++end;
        shape.kind = LineShape::Kind::Section;
    } else {
        end = text.indexOf(u'=', first);
        if (end < 0)
            return {};
        shape.kind = LineShape::Kind::Key;
        std::tie(shape.valueStart, shape.valueLength) = trimmedRange(text, end + 1, text.size());
    }
    std::tie(shape.nameStart, shape.nameLength) = trimmedRange(text, start, end);
    return shape;
}

qsizetype SectionTracker::keyIndex(const LineShape &shape, QStringView text)
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

} // namespace IniLines
