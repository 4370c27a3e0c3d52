#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>

// The lines of an INI file read a piece at a time, by the rules IniDocument
// and decodeIniBytes apply to the whole text: for the readers and writers
// of stores too large to hold as text (IniSectionStream, IniKeyRename).
namespace IniLines {

enum class Form { Unknown, Bytes, Utf16LE, Utf16BE };

// The pieces cut into lines in the file's form, a break being CR, LF or
// CR LF as IniDocument reads them. The byte-order mark, and the lone byte a
// UTF-16 file of odd length ends in, go to `raw` as they stand.
class LineCutter final
{
public:
    using Line = std::function<void(Form form, QByteArrayView content, QByteArrayView lineBreak)>;
    using Raw = std::function<void(QByteArrayView bytes)>;

    LineCutter(Line line, Raw raw);

    Form form() const { return m_form; }
    bool marked() const { return m_marked; }

    void piece(QByteArrayView bytes);
    void end();

private:
    void detectForm();
    void cut(bool atEnd);

    Line m_line;
    Raw m_raw;
    QByteArray m_pending;
    Form m_form = Form::Unknown;
    bool m_marked = false;
};

bool isAscii(QByteArrayView bytes);

// One line's text, as a decoder of the whole file gives it: ASCII as it
// is, valid UTF-8 as UTF-8, anything else in the 8-bit code page; UTF-16
// unit by unit.
struct DecodedLine {
    QString text;
    bool eightBit = false; // read in the code page
};
DecodedLine decodeLine(Form form, QByteArrayView bytes);

// Where a line's name (and a key's value) lies in its text, trimmed of
// blanks, as IniDocument finds them.
struct LineShape {
    enum class Kind { Other, Section, Key } kind = Kind::Other;
    qsizetype nameStart = 0;
    qsizetype nameLength = 0;
    qsizetype valueStart = 0;
    qsizetype valueLength = 0;
};
LineShape shapeOf(QStringView text);

// Follows the sections line by line: which key of the wanted section's
// first occurrence a line is, counted from 0, or -1.
class SectionTracker final
{
public:
    explicit SectionTracker(QStringView section) : m_section(section) {}

    qsizetype keyIndex(const LineShape &shape, QStringView text);
    // Past the section's first occurrence: no later line is one of its keys.
    bool done() const { return m_state == State::After; }

private:
    enum class State { Before, Inside, After };
    QStringView m_section;
    State m_state = State::Before;
    qsizetype m_keys = 0;
};

} // namespace IniLines
