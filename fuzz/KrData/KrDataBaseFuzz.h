// What the data base fuzzers check: entries compared byte for byte, and which data bases the
// text form can carry unchanged.
#pragma once

#include "KrData/KrDataBase.h"

#include <cstring>

inline bool KrSameBytes(const KrString& a, const KrString& b)
{
    return a.Length() == b.Length() && std::memcmp(a.Text(), b.Text(), static_cast<size_t>(a.Length())) == 0;
}

inline bool KrSameEntries(const KrDataBase& a, const KrDataBase& b)
{
    if (a.Count() != b.Count())
        return false;
    for (int32_t i = 0; i < a.Count(); ++i)
    {
        const KrDBData& x = a.Entry(i);
        const KrDBData& y = b.Entry(i);
        if (!KrSameBytes(x.Key(), y.Key()) || !KrSameBytes(x.Value(), y.Value()))
            return false;
        if ((x.Child() == nullptr) != (y.Child() == nullptr))
            return false;
        if (x.Child() != nullptr && !KrSameEntries(*x.Child(), *y.Child()))
            return false;
    }
    return true;
}

inline bool KrHasZeroByte(const KrString& text)
{
    return std::memchr(text.Text(), '\0', static_cast<size_t>(text.Length())) != nullptr;
}

// Keys written bare at the start of an item that then reads as syntax, and zero bytes, which
// the text form does not carry.
inline bool KrRoundTrips(const KrDataBase& db)
{
    for (int32_t i = 0; i < db.Count(); ++i)
    {
        const KrDBData& entry = db.Entry(i);
        if (!entry.Key().IsEmpty() && std::strchr("#{}<", entry.Key().Text()[0]) != nullptr)
            return false;
        if (KrHasZeroByte(entry.Key()) || KrHasZeroByte(entry.Value()))
            return false;
        if (entry.Child() != nullptr && !KrRoundTrips(*entry.Child()))
            return false;
    }
    return true;
}

// A first key that starts with the bytes of a byte-order mark loses them when read back.
inline bool KrStartsWithByteOrderMark(const KrDataBase& db)
{
    return db.Count() > 0 && std::strncmp(db.Entry(0).Key().Text(), "\xEF\xBB\xBF", 3) == 0;
}

// ToText then ParseText gives the same entries, and the same text again.
inline bool KrTextReadsBack(const KrDataBase& db)
{
    const KrString text = db.ToText();
    KrDataBase back;
    back.ParseText(text);
    return KrSameEntries(db, back) && KrSameBytes(back.ToText(), text);
}
