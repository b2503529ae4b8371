#pragma once

#include <QString>

// The framework's field operations on strings. Fields are counted from 1; a string with k
// separators has k + 1 fields, empty ones included.
namespace framework {

inline int CountFields(const QString& text, const QString& separator)
{
    return int(text.count(separator)) + 1;
}

// The field at that position, or the empty string when there is none.
inline QString NthField(const QString& text, const QString& separator, int position)
{
    if (position < 1)
        return {};
    return text.section(separator, position - 1, position - 1);
}

// The framework's string equality: letter case does not count.
inline bool equalIgnoringCase(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace framework
