// One entry of a key-value data base: a key, a value text and an optional nested data base.
#pragma once

#include "KrCore/KrPtr.h"
#include "KrCore/KrString.h"

#include <cstdint>

class KrDataBase;

// Line ends of the text form.
inline bool KrIsLineEnd(char byte)
{
    return byte == '\r' || byte == '\n';
}

class KrDBData
{
public:
    KrDBData() = default;
    KrDBData(const KrString& key, const KrString& value) : key(key), value(value) {}
    // Copies share both strings and take another reference to the child.
    KrDBData(const KrDBData& other);
    KrDBData& operator=(const KrDBData& other);
    virtual ~KrDBData();

    // Appends the entry's text: depth TABs, key, " = ", value and a line feed, then a child
    // as its entries at depth + 1 between a "{" and a "}" line. A key or value holding a
    // space, TAB, CR, LF or double quote is quoted, and so is an empty key; an empty value is
    // written as nothing.
    virtual void ToText(KrString& text, int32_t depth) const;
    // Reads one "key = value" from text at position and moves position past it. A key not
    // followed by a lone "=", and an unclosed quoted key or value, raise KrFormatErr.
    virtual void Parse(const KrString& text, int32_t& position);

    const KrString& Key() const { return key; }
    const KrString& Value() const { return value; }
    void SetValue(const KrString& newValue) { value = newValue; }
    KrDataBase* Child() const { return child.Get(); }
    // A new, empty child in place of any old one; the entry holds its only reference.
    KrDataBase* NewChild();

private:
    KrString key;
    KrString value;
    KrPtr<KrDataBase> child;
};
