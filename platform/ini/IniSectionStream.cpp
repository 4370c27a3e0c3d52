#include "IniSectionStream.h"

#include "HeldFile.h"
#include "IniLines.h"

#include <utility>

namespace IniSectionStream {

bool read(const QString &fileName, QStringView section,
          const std::function<void(QStringView key, QStringView value)> &visit, qint64 maxBytes)
{
    IniLines::SectionTracker tracker(section);
    IniLines::LineCutter lines(
        [&](IniLines::Form form, QByteArrayView content, QByteArrayView) {
            if (tracker.done())
                return;
            const QString text = IniLines::decodeLine(form, content).text;
            const IniLines::LineShape shape = IniLines::shapeOf(text);
            if (tracker.keyIndex(shape, text) < 0)
                return;
            // Stripped of one pair of matching quotes, as IniDocument reads it.
            QStringView value = QStringView(text).sliced(shape.valueStart, shape.valueLength);
            if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
                value = value.sliced(1, value.size() - 2);
            visit(QStringView(text).sliced(shape.nameStart, shape.nameLength), value);
        },
        [](QByteArrayView) {});
    const HeldFile::Status status = HeldFile::readInPieces(fileName, maxBytes, [&](QByteArrayView piece) {
        if (!tracker.done())
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
