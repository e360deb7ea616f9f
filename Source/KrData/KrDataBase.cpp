#include "KrData/KrDataBase.h"

#include "KrCore/KrError.h"
#include "Krio/KrFile.h"
#include "Krio/KrFileSpec.h"

#include <cstring>

namespace
{
const char kByteOrderMark[] = "\xEF\xBB\xBF";
const int32_t kByteOrderMarkLength = 3;

bool IsWhitespace(char byte)
{
    return KrString::IsDelimiter(byte, KrString());
}

// Passes over whitespace and comments, to where the next item may start. A "#{" comment runs
// to the first line that starts with "#}" and ends after its '}'; any other '#' comments out
// the rest of its line.
void SkipToItem(const char* bytes, int32_t length, int32_t& position)
{
    while (position < length)
    {
        if (IsWhitespace(bytes[position]))
        {
            ++position;
        }
        else if (bytes[position] != '#')
        {
            return;
        }
        else if (position + 1 < length && bytes[position + 1] == '{')
        {
            int32_t at = position + 2;
            while (at + 2 < length && !(KrIsLineEnd(bytes[at]) && bytes[at + 1] == '#' && bytes[at + 2] == '}'))
                ++at;
            position = at + 2 < length ? at + 3 : length; // an unclosed comment runs to the end
        }
        else
        {
            ++position;
            while (position < length && !KrIsLineEnd(bytes[position]))
                ++position;
        }
    }
}

// Where the top level starts: after a byte-order mark and inside an outer brace pair.
int32_t TopLevelStart(const KrString& text)
{
    const char* bytes = text.Text();
    const int32_t length = text.Length();
    int32_t start = 0;
    if (length >= kByteOrderMarkLength && std::memcmp(bytes, kByteOrderMark, kByteOrderMarkLength) == 0)
        start = kByteOrderMarkLength;
    int32_t first = start;
    SkipToItem(bytes, length, first);
    return first < length && bytes[first] == '{' ? first + 1 : start;
}
}

void KrDataBase::Load(const KrFileSpec& fileSpec)
{
    KrFile file;
    file.SetFileSpec(fileSpec);
    file.Open(KrFileModeRead, false);
    const KrString text = file.ReadAll();
    file.Close();
    ParseText(text);
}

void KrDataBase::Save(const KrFileSpec& fileSpec) const
{
    KrFile::Replace(fileSpec, ToText());
}

void KrDataBase::ParseText(const KrString& text)
{
    const KrString source(text); // text may be a value of an entry that Clear drops
    entries.Clear();
    int32_t position = TopLevelStart(source);
    ReadLevel(source, position, 0);
}

void KrDataBase::ReadLevel(const KrString& text, int32_t& position, int32_t depth)
{
    const char* bytes = text.Text();
    const int32_t length = text.Length();
    for (;;)
    {
        SkipToItem(bytes, length, position);
        if (position >= length)
            return;
        const char first = bytes[position++];
        if (first == '}')
            return;
        if (first == '{')
        {
            if (entries.Count() == 0)
                KR_RAISE(KrErrIndexError);
            if (depth >= kMaxNesting)
                KR_RAISE(KrErrFormatErr);
            entries.At(entries.Count() - 1).NewChild()->ReadLevel(text, position, depth + 1);
            continue;
        }
        const bool bracketed = first == '<';
        if (!bracketed)
            --position; // the byte starts the entry
        KrDBData entry;
        entry.Parse(text, position);
        entries.Append(entry);
        if (bracketed)
        {
            SkipToItem(bytes, length, position);
            if (position >= length || bytes[position] != '>')
                KR_RAISE(KrErrFormatErr);
            ++position;
        }
    }
}

KrString KrDataBase::ToText() const
{
    KrString text;
    AppendText(text, 0);
    return text;
}

void KrDataBase::AppendText(KrString& text, int32_t depth) const
{
    for (int32_t i = 0; i < entries.Count(); ++i)
        entries.At(i).ToText(text, depth);
}

KrDBData* KrDataBase::Walk(const KrString& path, bool create)
{
    const KrString kept(path); // path may be a key of an entry that moves when entries grow
    const char* bytes = kept.Text();
    int32_t from = kept.Length() > 0 && bytes[0] == '/' ? 1 : 0;
    int32_t end = kept.Length();
    if (end > from && bytes[end - 1] == '/')
        --end;

    KrDataBase* level = this;
    for (;;)
    {
        int32_t to = from;
        while (to < end && bytes[to] != '/')
            ++to;
        const KrString component(bytes + from, to - from, false);
        KrDBData* entry = nullptr;
        for (int32_t i = 0; i < level->entries.Count() && entry == nullptr; ++i)
        {
            if (level->entries.At(i).Key() == component)
                entry = &level->entries.At(i);
        }
        if (entry == nullptr && !create)
            return nullptr;
        if (entry == nullptr)
        {
            level->entries.Append(KrDBData(component, KrString()));
            entry = &level->entries.At(level->entries.Count() - 1);
        }
        if (to >= end)
            return entry;
        if (entry->Child() == nullptr && !create)
            return nullptr;
        level = entry->Child() != nullptr ? entry->Child() : entry->NewChild();
        from = to + 1;
    }
}

bool KrDataBase::Exists(const KrString& path) const
{
    // Walking without create changes nothing.
    return const_cast<KrDataBase*>(this)->Walk(path, false) != nullptr;
}

KrString KrDataBase::GetString(const KrString& path, const KrString& defaultText) const
{
    const KrDBData* entry = const_cast<KrDataBase*>(this)->Walk(path, false);
    return entry != nullptr ? entry->Value() : defaultText;
}

int32_t KrDataBase::GetInt(const KrString& path, int32_t defaultValue) const
{
    const KrDBData* entry = const_cast<KrDataBase*>(this)->Walk(path, false);
    return entry != nullptr ? entry->Value().ToLong() : defaultValue;
}

void KrDataBase::Set(const KrString& path, const KrString& value)
{
    const KrString kept(value); // value may live in an entry that moves when entries grow
    Walk(path, true)->SetValue(kept);
}

KrDataBase* KrDataBase::GetChild(const KrString& path, bool create)
{
    KrDBData* entry = Walk(path, create);
    if (entry == nullptr)
        return nullptr;
    if (entry->Child() == nullptr && create)
        return entry->NewChild();
    return entry->Child();
}
