#pragma once

#include "SortTypes.h"

#include <QCollator>
#include <QLocale>

#include <optional>

// Turns cell texts into comparable keys under the user's locale. A sort
// makes one key per row and compares keys, so that each text is converted
// once rather than at every comparison.
class SortKeys final
{
public:
    explicit SortKeys(const QLocale &locale = QLocale());

    // The tests of sort-kind detection; an empty text passes none.
    std::optional<double> number(const QString &text) const;
    std::optional<qint64> dateTime(const QString &text) const;
    std::optional<qint64> time(const QString &text) const;

    // The kind of a column: number if every text is a number, else date-time
    // if every text is one, else time, else text. Reading stops as soon as
    // no kind is left.
    TSortKind detect(const QStringList &texts) const;

    struct Key {
        std::optional<double> value;              // numbers, date-times and times
        std::optional<QCollatorSortKey> collated; // texts
        QString text;                             // custom comparisons
        int index = 0;
    };
    Key keyOf(const TSortedListEntry &entry, const TSortOptions &options) const;
    // -1, 0 or 1, with the tie settled by the row index before the sort
    // (whatever the direction), then negated for a descending sort.
    static int compare(const Key &a, const Key &b, const TSortOptions &options);

private:
    QLocale m_locale;
    QLocale m_numberLocale; // the same, refusing thousands separators
    QCollator m_collator;
    QStringList m_dateFormats;
    QStringList m_dateTimeFormats;
    QStringList m_timeFormats;
};
