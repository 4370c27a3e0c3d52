#pragma once

#include <QString>

#include <functional>

// The vocabulary of a sort of the record grid.
enum class TSortKind { skAuto, skText, skNumber, skDateTime, skTime, skCustom };
enum class TSortDirection { sdAscending, sdDescending };

struct TSortOptions {
    TSortKind kind = TSortKind::skAuto;
    TSortDirection direction = TSortDirection::sdAscending;
    bool caseSensitive = false;
    // Used only with skCustom: negative, zero or positive like a comparison.
    std::function<int(const QString &, const QString &)> customCompare;
};

// One data row during a sort: its text in the sort column and its row
// index before the sort.
struct TSortedListEntry {
    QString text;
    int index = 0;
};

// Called before a click sort; may change the options.
using TClickSortEvent = std::function<void(int col, int row, TSortOptions &options)>;
using TBeginSortEvent = std::function<void(int col, TSortOptions &options)>;
using TEndSortEvent = std::function<void(int col)>;
