#pragma once

#include <QString>

// Removes every character whose code is 32 or less (blanks and control
// characters) from both ends, as the layout's own texts are trimmed.
inline QString trimControlCharacters(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start].unicode() <= 32)
        ++start;
    while (end > start && text[end - 1].unicode() <= 32)
        --end;
    return text.sliced(start, end - start);
}
