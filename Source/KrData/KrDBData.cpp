#include "KrData/KrDBData.h"

#include "KrCore/KrError.h"
#include "KrData/KrDataBase.h"

namespace
{
const char kQuote = '"';
const char kEscape = '\\';

bool IsBlank(char byte)
{
    return byte == ' ' || byte == '\t';
}

// Keys and values holding one of these bytes are written quoted.
bool NeedsQuotes(const KrString& text)
{
    const char* bytes = text.Text();
    const int32_t length = text.Length();
    for (int32_t i = 0; i < length; ++i)
    {
        if (IsBlank(bytes[i]) || KrIsLineEnd(bytes[i]) || bytes[i] == kQuote)
            return true;
    }
    return false;
}

// A quoted token ends at the end of the text when its closing quote is missing, or when the
// last quote is escaped by an odd run of backslashes: both are unclosed.
KrString UnquoteToken(const KrString& token)
{
    const char* bytes = token.Text();
    const int32_t length = token.Length();
    int32_t backslashes = 0;
    for (int32_t i = length - 2; i >= 1 && bytes[i] == kEscape; --i)
        ++backslashes;
    if (length < 2 || bytes[length - 1] != kQuote || backslashes % 2 != 0)
        KR_RAISE(KrErrFormatErr);
    return token.Unquote();
}

KrString TokenText(const KrString& token)
{
    return token.Text()[0] == kQuote ? UnquoteToken(token) : token;
}

void AppendTabs(KrString& text, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        text.Append('\t');
}
}

KrDBData::KrDBData(const KrDBData& other) = default;
KrDBData& KrDBData::operator=(const KrDBData& other) = default;
KrDBData::~KrDBData() = default;

void KrDBData::ToText(KrString& text, int32_t depth) const
{
    AppendTabs(text, depth);
    text.Append(key.IsEmpty() || NeedsQuotes(key) ? key.Quote() : key);
    text.Append(" = ");
    text.Append(NeedsQuotes(value) ? value.Quote() : value);
    text.Append('\n');
    if (child.Get() == nullptr)
        return;
    AppendTabs(text, depth);
    text.Append("{\n");
    child->AppendText(text, depth + 1);
    AppendTabs(text, depth);
    text.Append("}\n");
}

void KrDBData::Parse(const KrString& text, int32_t& position)
{
    const KrString defaultDelimiters;
    const KrString lineEnds("\r\n");
    const char* bytes = text.Text();
    const int32_t length = text.Length();

    key = TokenText(text.NextToken(position, defaultDelimiters, true));

    // The separator is a lone '=': whitespace (or the end of the text) on both sides.
    while (position < length && KrString::IsDelimiter(bytes[position], defaultDelimiters))
        ++position;
    const bool separated = position + 1 >= length || KrString::IsDelimiter(bytes[position + 1], defaultDelimiters);
    if (position >= length || bytes[position] != '=' || !separated)
        KR_RAISE(KrErrFormatErr);
    ++position;

    while (position < length && IsBlank(bytes[position]))
        ++position;
    if (position >= length || KrIsLineEnd(bytes[position]))
        value = KrString();
    else if (bytes[position] == kQuote)
        value = UnquoteToken(text.NextToken(position, defaultDelimiters, true));
    else
        value = text.NextToken(position, lineEnds, true); // the rest of the line, blanks kept
}

KrDataBase* KrDBData::NewChild()
{
    KrDataBase* created = new KrDataBase;
    child = created;
    created->Release(); // the entry's reference is now the only one
    return created;
}
