#include "SortKeys.h"

#include <QDateTime>

#include <cmath>

namespace {

// Locale formats with two-digit years also accept four digits.
void addWithLongYears(QStringList &formats, const QString &format)
{
    formats.append(format);
    if (format.contains(QStringLiteral("yy")) && !format.contains(QStringLiteral("yyyy"))) {
        QString longYear = format;
        longYear.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
        formats.append(longYear);
    }
}

} // namespace

SortKeys::SortKeys(const QLocale &locale) : m_locale(locale), m_numberLocale(locale), m_collator(locale)
{
    m_numberLocale.setNumberOptions(QLocale::RejectGroupSeparator);
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
    for (QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat}) {
        addWithLongYears(m_dateFormats, locale.dateFormat(type));
        addWithLongYears(m_dateTimeFormats, locale.dateTimeFormat(type));
        m_timeFormats.append(locale.timeFormat(type));
    }
    // A short date followed by a short time, as dates and times are commonly written.
    for (const QString &date : QStringList(m_dateFormats))
        m_dateTimeFormats.append(date + u' ' + locale.timeFormat(QLocale::ShortFormat));
}

std::optional<double> SortKeys::number(const QString &text) const
{
    if (text.isEmpty())
        return std::nullopt;
    // Plain whole numbers (badge numbers) are read directly; the locale's
    // general parser is many times slower and gives the same value.
    if (text.size() <= 15) {
        qsizetype i = 0;
        bool negative = false;
        if (text[0] == u'-' && m_locale.negativeSign() == u"-") {
            negative = true;
            i = 1;
        }
        qint64 value = 0;
        const qsizetype first = i;
        for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
            value = value * 10 + (text[i].unicode() - u'0');
        if (i == text.size() && i > first)
            return double(negative ? -value : value);
    }
    bool ok = false;
    const double value = m_numberLocale.toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint64> SortKeys::dateTime(const QString &text) const
{
    if (text.isEmpty())
        return std::nullopt;
    for (const QString &format : m_dateFormats) {
        const QDate date = m_locale.toDate(text, format);
        if (date.isValid())
            return QDateTime(date, QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    }
    for (const QString &format : m_dateTimeFormats) {
        const QDateTime dateTime = m_locale.toDateTime(text, format);
        if (dateTime.isValid())
            return QDateTime(dateTime.date(), dateTime.time(), Qt::UTC).toMSecsSinceEpoch();
    }
    return std::nullopt;
}

std::optional<qint64> SortKeys::time(const QString &text) const
{
    if (text.isEmpty())
        return std::nullopt;
    for (const QString &format : m_timeFormats) {
        const QTime time = m_locale.toTime(text, format);
        if (time.isValid())
            return time.msecsSinceStartOfDay();
    }
    return std::nullopt;
}

TSortKind SortKeys::detect(const QStringList &texts) const
{
    bool isNumber = true;
    bool isDateTime = true;
    bool isTime = true;
    for (const QString &text : texts) {
        isNumber = isNumber && number(text).has_value();
        isDateTime = isDateTime && dateTime(text).has_value();
        isTime = isTime && time(text).has_value();
        if (!isNumber && !isDateTime && !isTime)
            return TSortKind::skText;
    }
    if (isNumber)
        return TSortKind::skNumber;
    if (isDateTime)
        return TSortKind::skDateTime;
    if (isTime)
        return TSortKind::skTime;
    return TSortKind::skText;
}

SortKeys::Key SortKeys::keyOf(const TSortedListEntry &entry, const TSortOptions &options) const
{
    Key key;
    key.index = entry.index;
    const QString text = options.caseSensitive ? entry.text : m_locale.toUpper(entry.text);
    switch (options.kind) {
    case TSortKind::skNumber:
        key.value = number(text);
        break;
    case TSortKind::skDateTime:
        if (const std::optional<qint64> v = dateTime(text))
            key.value = double(*v);
        break;
    case TSortKind::skTime:
        if (const std::optional<qint64> v = time(text))
            key.value = double(*v);
        break;
    case TSortKind::skCustom:
        key.text = text;
        break;
    case TSortKind::skAuto:
    case TSortKind::skText:
        key.collated = m_collator.sortKey(text);
        break;
    }
    return key;
}

int SortKeys::compare(const Key &a, const Key &b, const TSortOptions &options)
{
    int result = 0;
    switch (options.kind) {
    case TSortKind::skNumber:
    case TSortKind::skDateTime:
    case TSortKind::skTime:
        // A text that cannot be converted compares as equal.
        if (a.value && b.value)
            result = *a.value < *b.value ? -1 : (*a.value > *b.value ? 1 : 0);
        break;
    case TSortKind::skCustom:
        if (options.customCompare) {
            const int c = options.customCompare(a.text, b.text);
            result = c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
        break;
    case TSortKind::skAuto:
    case TSortKind::skText: {
        const int c = a.collated->compare(*b.collated);
        result = c < 0 ? -1 : (c > 0 ? 1 : 0);
        break;
    }
    }
    if (result == 0)
        return a.index < b.index ? -1 : (a.index > b.index ? 1 : 0);
    return options.direction == TSortDirection::sdDescending ? -result : result;
}
