// Sort-kind detection and comparison on arbitrary texts: the first byte
// picks the kind and the direction, the rest are the rows; the result must
// be a permutation of the rows, and for the detected kind an ordered one.

#include "library/SortGridModel.h"

#include <QLocale>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool localeSet = [] {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        return true;
    }();
    (void)localeSet;
    if (size == 0)
        return 0;
    constexpr TSortKind kinds[] = {TSortKind::skAuto, TSortKind::skText, TSortKind::skNumber, TSortKind::skDateTime,
                                   TSortKind::skTime};
    const TSortKind kind = kinds[(data[0] >> 1) % 5];
    const TSortDirection direction = data[0] & 1 ? TSortDirection::sdDescending : TSortDirection::sdAscending;
    const QStringList texts =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)).split(u'\n').mid(0, 300);
    SortGridModel grid(2);
    for (qsizetype i = 0; i < texts.size(); ++i)
        grid.appendRow({texts[i], QString::number(i)});
    grid.setFixedRows(1);
    TSortOptions options;
    options.kind = kind;
    options.direction = direction;
    grid.SortOnColumn(0, options);
    QList<bool> seen(texts.size(), false);
    for (int row = 1; row < grid.RowCount(); ++row) {
        const int index = grid.Cells(1, row).toInt();
        if (seen[index] || grid.Cells(0, row) != texts[index])
            std::abort();
        seen[index] = true;
    }
    if (kind == TSortKind::skAuto) {
        for (int row = 2; row < grid.RowCount(); ++row) {
            const TSortedListEntry a{grid.Cells(0, row - 1), grid.Cells(1, row - 1).toInt()};
            const TSortedListEntry b{grid.Cells(0, row), grid.Cells(1, row).toInt()};
            if (grid.CompareSortEntries(a, b) > 0)
                std::abort();
        }
    }
    return 0;
}
