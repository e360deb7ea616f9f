// A small hierarchical settings store kept in a text file: ordered key-value entries, any of
// which may own a nested data base. Entries are addressed by paths such as "Display0/Gain":
// one leading '/' is ignored, a trailing '/' adds nothing, and each component is the key of
// the first entry that has it.
#pragma once

#include "KrCore/KrObject.h"
#include "KrCore/KrString.h"
#include "KrData/KrDBData.h"
#include "KrData/KrList.h"

#include <cstdint>

class KrFileSpec;

class KrDataBase : public KrObject
{
public:
    KrDataBase() = default;
    ~KrDataBase() noexcept override = default;

    // Replaces the content by the file's (read in binary form).
    void Load(const KrFileSpec& fileSpec);
    // Writes ToText to the file as a whole: a save that fails leaves the old file as it was.
    void Save(const KrFileSpec& fileSpec) const;
    // Replaces the content by the entries read from text. Malformed entries raise KrFormatErr,
    // a block before any entry of its level KrIndexError, nesting deeper than kMaxNesting
    // levels KrFormatErr; the entries read before the failure stay.
    void ParseText(const KrString& text);
    KrString ToText() const;
    // Appends the text of the entries, each line indented by depth TABs.
    void AppendText(KrString& text, int32_t depth) const;

    bool Exists(const KrString& path) const;
    KrString GetString(const KrString& path, const KrString& defaultText) const;
    // The value as a decimal number (0 when it is none), or defaultValue when nothing is there.
    int32_t GetInt(const KrString& path, int32_t defaultValue) const;
    // Creates the entry and every data base on the way as needed, then sets the value.
    void Set(const KrString& path, const KrString& value);
    // The child of the entry at path, borrowed. With create, whatever is missing is created
    // first; without it, null when anything is missing.
    KrDataBase* GetChild(const KrString& path, bool create);

    int32_t Count() const { return entries.Count(); }
    const KrDBData& Entry(int32_t index) const { return entries.At(index); }

    static constexpr int32_t kMaxNesting = 1000;

private:
    // The entry at path, or null; with create, missing entries and data bases are made.
    KrDBData* Walk(const KrString& path, bool create);
    // Reads items into this level until its '}' or the end of the text.
    void ReadLevel(const KrString& text, int32_t& position, int32_t depth);

    KrList<KrDBData> entries;
};
