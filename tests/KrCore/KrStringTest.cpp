#include "KrCore/KrString.h"

#include "KrExpectError.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{
std::string Bytes(const KrString& s)
{
    return std::string(s.Text(), static_cast<size_t>(s.Length()));
}

KrString Raw(const std::string& bytes)
{
    return KrString(bytes.data(), static_cast<int32_t>(bytes.size()), true);
}

// The first index CharAt refuses.
int32_t Capacity(const KrString& s)
{
    for (int32_t i = 0;; ++i)
    {
        try
        {
            s.CharAt(i);
        }
        catch (const KrError&)
        {
            return i;
        }
    }
}

std::vector<char16_t> Units(const KrString& s)
{
    std::vector<char16_t> units(static_cast<size_t>(s.Length() / 2));
    if (!units.empty())
        std::memcpy(units.data(), s.Text(), units.size() * 2);
    return units;
}

KrString FromUnits(const std::vector<char16_t>& units)
{
    return KrString(units.data(), static_cast<int32_t>(units.size()));
}
}

TEST(KrString, EmptyFormsAreAlike)
{
    const KrString forms[] = {KrString(), KrString(""), KrString(static_cast<const char*>(nullptr)),
                              KrString("abc", 0, true), KrString(0, false), KrString(u"", -1)};
    for (const KrString& s : forms)
    {
        EXPECT_EQ(s.Length(), 0);
        EXPECT_TRUE(s.IsEmpty());
        EXPECT_STREQ(s.Text(), "");
        EXPECT_TRUE(s == KrString());
    }
}

TEST(KrString, ConstructorsSetCapacityAndLength)
{
    struct Case
    {
        const char* what;
        KrString s;
        int32_t length;
        int32_t capacity;
        bool raw;
    };
    const char16_t units[] = {u'a', u'b', 0, u'c'};
    const Case cases[] = {
        {"text", KrString("hello"), 5, 5, false},
        {"bytes", KrString("a\0b", 3, true), 3, 3, true},
        {"text room", KrString(8, false), 0, 8, false},
        {"raw room", KrString(8, true), 8, 8, true},
        {"units to zero", KrString(units, -1), 4, 4, true},
        {"units counted", KrString(units, 4), 8, 8, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.s.Length(), c.length);
        EXPECT_EQ(Capacity(c.s), c.capacity);
        EXPECT_EQ(c.s.IsRaw(), c.raw);
    }
}

TEST(KrString, AppendGrowsByTheGrowthRule)
{
    struct Case
    {
        const char* what;
        KrString start;
        const char* appended;
        int32_t capacity;
    };
    const Case cases[] = {
        {"4-byte text + 1", KrString("abcd"), "e", 10},
        {"full 20 + 1", KrString("abcdefghijabcdefghij"), "k", 30},
        {"empty room 10 + 25", KrString(10, false), "abcdefghijklmnopqrstuvwxy", 25},
        {"full 10 + 1", KrString("abcdefghij"), "k", 15},
        {"room left", KrString(10, false), "abcde", 10},
        {"empty text + 1", KrString(""), "a", 10},
        {"no buffer + 12", KrString(), "abcdefghijkl", 12},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        KrString s = c.start;
        const std::string expected = Bytes(s) + c.appended;
        s.Append(c.appended);
        EXPECT_EQ(Bytes(s), expected);
        EXPECT_EQ(Capacity(s), c.capacity);
    }
}

TEST(KrString, SingleByteAppendsGrowByHalf)
{
    const int32_t expected[] = {10, 15, 22, 33, 49, 73};
    std::vector<int32_t> capacities;
    KrString s;
    std::string reference;
    for (int i = 0; i < 60; ++i)
    {
        const char c = static_cast<char>('a' + i % 26);
        s.Append(c);
        reference += c;
        const int32_t capacity = Capacity(s);
        if (capacities.empty() || capacities.back() != capacity)
            capacities.push_back(capacity);
    }
    EXPECT_EQ(capacities, std::vector<int32_t>(std::begin(expected), std::end(expected)));
    EXPECT_EQ(Bytes(s), reference);
}

TEST(KrString, AppendForms)
{
    KrString s("ab");
    s.Append(KrString("cd")).Append('e').Append("fg").Append(static_cast<const char*>(nullptr));
    EXPECT_EQ(Bytes(s), "abcdefg");
    EXPECT_EQ(Bytes(KrString("x") + "y" + KrString()), "xy");

    KrString raw = Raw(std::string("a\0", 2));
    raw.Append(Raw(std::string("\0b", 2)));
    EXPECT_EQ(Bytes(raw), std::string("a\0\0b", 4));
    EXPECT_TRUE(raw.IsRaw());
}

TEST(KrString, AppendToItselfAppendsItsPreviousContent)
{
    KrString full("abcd"); // no room left: the append reallocates
    full.Append(full);
    EXPECT_EQ(Bytes(full), "abcdabcd");

    KrString roomy(20, false);
    roomy.Append("xyz");
    roomy.Append(roomy.Text() + 1);
    EXPECT_EQ(Bytes(roomy), "xyzyz");

    KrString shared("pq");
    KrString copy(shared);
    shared.Append(copy);
    EXPECT_EQ(Bytes(shared), "pqpq");
    EXPECT_EQ(Bytes(copy), "pq");
}

class KrStringSharing : public ::testing::Test
{
protected:
    KrString source{"shared text"};
    KrString copy{source};
};

TEST_F(KrStringSharing, CopiesShareUntilOneChanges)
{
    EXPECT_EQ(copy.Text(), source.Text());

    copy.Append("!");
    EXPECT_EQ(Bytes(source), "shared text");
    EXPECT_EQ(Bytes(copy), "shared text!");
    EXPECT_NE(copy.Text(), source.Text());
}

TEST_F(KrStringSharing, EveryMutatorLeavesTheOtherSharerAlone)
{
    copy.CharRef(0) = 'S';
    EXPECT_EQ(Bytes(source), "shared text");
    EXPECT_EQ(Bytes(copy), "Shared text");

    KrString third(source);
    third.SetLong(42);
    EXPECT_EQ(Bytes(third), "42");
    EXPECT_EQ(Bytes(source), "shared text");

    KrString fourth(source);
    fourth.MakeExclusive(false);
    EXPECT_NE(fourth.Text(), source.Text());
    EXPECT_TRUE(fourth == source);

    EXPECT_EQ(Bytes(source.ReplaceChar('e', 'E')), "sharEd tExt");
    EXPECT_EQ(Bytes(source), "shared text");
}

TEST_F(KrStringSharing, AssignmentSharesAndDropsTheOldBuffer)
{
    KrString other("other");
    other = source;
    EXPECT_EQ(other.Text(), source.Text());
    const KrString& alias = other;
    other = alias;
    EXPECT_EQ(Bytes(other), "shared text");
    other = "plain";
    EXPECT_EQ(Bytes(other), "plain");
    EXPECT_EQ(Bytes(source), "shared text");
}

TEST(KrString, CharAtIsBoundedByTheCapacity)
{
    KrString roomy(8, false);
    roomy.Append("abc");
    EXPECT_EQ(roomy.CharAt(3), '\0'); // the position Length, inside the capacity
    EXPECT_EQ(roomy.CharAt(7), '\0');
    EXPECT_RAISES(roomy.CharAt(8), KrErrIndexError);
    EXPECT_RAISES(roomy.CharAt(-1), KrErrIndexError);

    const KrString exact("abc");
    EXPECT_EQ(exact.CharAt(2), 'c');
    EXPECT_RAISES(exact.CharAt(3), KrErrIndexError);
    EXPECT_RAISES(KrString().CharAt(0), KrErrIndexError);
}

TEST(KrString, CharRefWritesAndTheLengthFollowsTheFirstZero)
{
    KrString s(6, false);
    s.CharRef(0) = 'a';
    s.CharRef(1) = 'b';
    EXPECT_EQ(Bytes(s), "ab");
    s.CharRef(5) = 'z'; // past a zero byte: not counted
    EXPECT_EQ(s.Length(), 2);
    s.CharRef(2) = 'c';
    s.CharRef(3) = 'd';
    s.CharRef(4) = 'e';
    EXPECT_EQ(Bytes(s), "abcdez"); // the byte after the capacity stays zero
    s.CharRef(1) = '\0';
    EXPECT_EQ(Bytes(s), "a");

    EXPECT_RAISES(s.CharRef(6), KrErrIndexError);
    EXPECT_RAISES(s.CharRef(-1), KrErrIndexError);
    KrString none;
    EXPECT_RAISES(none.CharRef(0), KrErrIndexError);

    KrString raw = Raw(std::string("a\0c", 3));
    raw.CharRef(1) = 'b';
    EXPECT_EQ(Bytes(raw), "abc");
}

TEST(KrString, Substring)
{
    struct Case
    {
        int32_t start;
        int32_t count;
        const char* expected;
    };
    const Case cases[] = {
        {3, 10, "lo"}, {5, 1, ""},   {-2, -1, "hello"}, {0, 0, ""},   {1, 3, "ell"},
        {-2, 2, "he"}, {4, -1, "o"}, {6, 1, ""},        {0, 5, "hello"}, {2, -7, "llo"},
        {1, 2147483647, "ello"},
    };
    const KrString s("hello");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.start << ", " << c.count);
        const KrString part = s.Substring(c.start, c.count);
        EXPECT_EQ(Bytes(part), c.expected);
        EXPECT_EQ(Capacity(part), part.Length());
    }
    const KrString raw = Raw(std::string("a\0bc", 4)).Substring(1, 2);
    EXPECT_TRUE(raw.IsRaw());
    EXPECT_EQ(Bytes(raw), std::string("\0b", 2));
}

TEST(KrString, Find)
{
    struct Case
    {
        const char* text;
        const char* needle;
        int32_t start;
        bool ignoreCase;
        int32_t expected;
    };
    const Case cases[] = {
        {"abc", "", 0, false, 0},
        {"abc", "", 3, false, 3},
        {"abc", "", 4, false, -1},
        {"xabcx", "ABC", 0, true, 1},
        {"xabcx", "ABC", 0, false, -1},
        {"xABcx", "abC", 0, true, 1},
        {"abcabc", "abc", 1, false, 3},
        {"abcabc", "abc", 4, false, -1},
        {"abc", "abcd", 0, false, -1},
        {"abc", "c", 2, false, 2},
        {"abc", "a", -5, false, 0},
        {"x[", "x{", 0, true, -1},          // only letters fold
        {"@", "`", 0, true, -1},
        {"\xC3\x84", "\xC3\xA4", 0, true, -1}, // bytes above 127 never fold
        {"\xC3\xA4", "\xC3\xA4", 0, true, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.text << " / " << c.needle << " from " << c.start);
        EXPECT_EQ(KrString(c.text).Find(c.needle, c.start, c.ignoreCase), c.expected);
    }
    // A raw haystack compares like strncmp: bytes after a common zero do not count.
    EXPECT_EQ(Raw(std::string("ab\0x", 4)).Find(Raw(std::string("b\0y", 3)), 0, false), 1);
}

TEST(KrString, CharSearches)
{
    const KrString path("a/b/c");
    EXPECT_EQ(path.FindChar('/', 0), 1);
    EXPECT_EQ(path.FindChar('/', 2), 3);
    EXPECT_EQ(path.FindChar('/', 4), -1);
    EXPECT_EQ(path.FindChar('/', -3), 1);
    EXPECT_EQ(path.FindChar('\0', 0), -1);
    EXPECT_EQ(path.FindLastChar('/'), 3);
    EXPECT_EQ(path.FindLastChar('x'), -1);
    EXPECT_EQ(KrString().FindLastChar('x'), -1);
    EXPECT_EQ(KrString("key=value;").FindFirstOf(";="), 3);
    EXPECT_EQ(KrString("key").FindFirstOf(""), -1);
    EXPECT_EQ(KrString("key").FindFirstOf(";="), -1);

    const KrString raw = Raw(std::string("a\0b", 3));
    EXPECT_EQ(raw.FindChar('\0', 0), 1);
    EXPECT_EQ(raw.FindLastChar('b'), 2);
    EXPECT_EQ(raw.FindFirstOf(Raw(std::string("\0", 1))), 1);
}

TEST(KrString, ReplaceAll)
{
    struct Case
    {
        const char* text;
        const char* from;
        const char* to;
        const char* expected;
    };
    const Case cases[] = {
        {"a//b", "//", "/", "a/b"},
        {"///", "//", "/", "//"}, // a replacement is not searched again
        {"aaa", "a", "aa", "aaaaaa"},
        {"abab", "ab", "ba", "baba"},
        {"abc", "", "x", "abc"},
        {"abc", "b", "", "ac"},
        {"abc", "abc", "", ""},
        {"", "a", "b", ""},
        {"a.b.c", ".", "::", "a::b::c"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        const KrString source(c.text);
        EXPECT_EQ(Bytes(source.ReplaceAll(c.from, c.to)), c.expected);
        EXPECT_EQ(Bytes(source), c.text);
    }
    EXPECT_EQ(Bytes(KrString("a\\b\\c").ReplaceChar('\\', '/')), "a/b/c");
}

TEST(KrString, QuoteAndUnquoteRoundTrip)
{
    const char* texts[] = {"", "plain", "say \"hi\"", "back\\slash", "\\", "\"", "trailing\\", "\\\"", "tab\tline\n",
                           "\xC3\xA9t\xC3\xA9"};
    for (const char* text : texts)
    {
        SCOPED_TRACE(text);
        const KrString quoted = KrString(text).Quote();
        EXPECT_EQ(Capacity(quoted), 2 * static_cast<int32_t>(std::strlen(text)) + 2);
        EXPECT_EQ(Bytes(quoted.Unquote()), text);
    }
    EXPECT_EQ(Bytes(KrString("a\"b\\c").Quote()), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(Bytes(KrString().Quote()), "\"\"");
    EXPECT_EQ(Bytes(Raw(std::string("ab\0cd", 5)).Quote()), "\"ab\""); // up to the first zero byte
}

TEST(KrString, Unquote)
{
    struct Case
    {
        std::string quoted;
        std::string expected;
    };
    const Case cases[] = {
        {"\"", ""},
        {"\"\"", ""},
        {"\"abc\"", "abc"},
        {"\"a\\nb\"", "a\\nb"},        // an unknown escape keeps both bytes
        {"\"a\\\"", "a\\"},            // a backslash before the closing quote stays
        {"\"\\\\\\\"\"", "\\\""},       // escaped backslash, escaped quote
        {"\"a\"b\"", "a\"b"},          // an inner quote is copied
        {std::string("\"a\0b\"", 5), std::string("a\0b", 3)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.quoted);
        EXPECT_EQ(Bytes(Raw(c.quoted).Unquote()), c.expected);
    }
    const char* malformed[] = {"", "abc", "\"abc", "abc\"", "a"};
    for (const char* text : malformed)
    {
        SCOPED_TRACE(text);
        const KrString s(text);
        EXPECT_RAISES(s.Unquote(), KrErrFormatErr);
        EXPECT_EQ(Bytes(s), text);
    }
}

TEST(KrString, NextToken)
{
    struct Case
    {
        std::string text;
        const char* set;
        bool quoted;
        int32_t start;
        std::string token;
        int32_t position;
    };
    const Case cases[] = {
        {"  x y", "", false, 0, "x", 4},
        {"\"a b\" c", "", true, 0, "\"a b\"", 5},
        {"\"a b\" c", "", false, 0, "\"a", 3},
        {"\"a\\\"b\" c", "", true, 0, "\"a\\\"b\"", 6},   // an escaped quote does not close
        {"\"a\\\\\"b", "", true, 0, "\"a\\\\\"", 5},       // an escaped backslash does not escape
        {"\"open", "", true, 0, "\"open", 5},
        {"\"a\"b", "", true, 0, "\"a\"", 3},              // nothing after the closing quote
        {"   ", "", false, 0, "", 3},
        {"", "", true, 0, "", 0},
        {"a,b", ",", false, 1, "b", 3},
        {"a b", ",", false, 0, "a b", 3},
        {"\ta\r\nb", "", false, 0, "a", 3},
        {std::string("a\0b", 3), "", false, 0, "a", 2},    // zero is a default delimiter
        {std::string("a\0b", 3), ",", false, 0, std::string("a\0b", 3), 3},
        {std::string("\"a\0b\"", 5), "", true, 0, "\"a", 3}, // zero ends a quoted token
        {"xy", "", false, -4, "xy", 2},
        {"xy", "", false, 9, "", 9},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.text);
        int32_t position = c.start;
        const KrString token = Raw(c.text).NextToken(position, c.set, c.quoted);
        EXPECT_EQ(Bytes(token), c.token);
        EXPECT_EQ(position, c.position);
    }
}

TEST(KrString, NextTokenSplitsALine)
{
    const KrString line("  key = \"a \\\"quoted\\\" value\"\t# note ");
    const char* expected[] = {"key", "=", "\"a \\\"quoted\\\" value\"", "#", "note"};
    std::vector<std::string> tokens;
    int32_t position = 0;
    for (KrString token = line.NextToken(position, "", true); !token.IsEmpty();
         token = line.NextToken(position, "", true))
        tokens.push_back(Bytes(token));
    EXPECT_EQ(tokens, std::vector<std::string>(std::begin(expected), std::end(expected)));
    EXPECT_EQ(Bytes(KrString(tokens[2].c_str()).Unquote()), "a \"quoted\" value");
}

TEST(KrString, IsDelimiter)
{
    for (char c : {'\0', '\t', '\n', '\r', ' '})
        EXPECT_TRUE(KrString::IsDelimiter(c, KrString()));
    EXPECT_FALSE(KrString::IsDelimiter('\v', KrString()));
    EXPECT_FALSE(KrString::IsDelimiter(' ', ","));
    EXPECT_TRUE(KrString::IsDelimiter(',', ";,"));
    EXPECT_TRUE(KrString::IsDelimiter('\0', Raw(std::string("\0", 1))));
    EXPECT_FALSE(KrString::IsDelimiter('\0', ","));
}

TEST(KrString, ToUtf16DecodesByTheLeadByteTable)
{
    struct Case
    {
        const char* what;
        std::string bytes;
        std::vector<char16_t> units;
    };
    const Case cases[] = {
        {"ascii", "A~", {0x41, 0x7E}},
        {"two bytes", "\xC3\xA9", {0x00E9}},
        {"three bytes", "\xE2\x82\xAC", {0x20AC}},
        {"four bytes, low 16 bits", "\xF0\x9F\x98\x80", {0xF600}},
        {"surrogate as encoded", "\xED\xA0\xBD", {0xD83D}},
        {"lone continuation", "\x80", {0x0000}},
        {"continuation lead absorbs", "\xBF\xBF", {0x0FFF}},
        {"continuation lead takes four", "\x81\x80\x80\x80\x80\x81", {0x0000, 0x0001}},
        {"truncated by end", "\xE2\x82", {0x0082}},
        {"truncated by a lead", "\xE2" "A", {0x0002, 0x0041}},
        {"truncated by another lead", "\xC3\xC3\xA9", {0x0003, 0x00E9}},
        {"overlong", "\xC0\xAF", {0x002F}},
        {"five bytes", "\xF8\x88\x80\x80\x81", {0x0001}},
        {"six bytes", "\xFD\xBF\xBF\xBF\xBF\xBF", {0xFFFF}},
        {"six bytes then one more", "\xFC\x80\x80\x80\x80\x80\x81", {0x0000, 0x0001}},
        {"lone 0xFF", "\xFF", {0x0001}},
        {"stops at a zero byte", std::string("a\0b", 3), {0x61}},
        {"empty", "", {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const KrString utf16 = Raw(c.bytes).ToUtf16();
        EXPECT_TRUE(utf16.IsRaw());
        EXPECT_EQ(Units(utf16), c.units);
        const int32_t textLength = static_cast<int32_t>(std::strlen(Raw(c.bytes).Text()));
        EXPECT_EQ(Capacity(utf16), 2 * textLength + 2);
        const int32_t end = utf16.Length();
        EXPECT_EQ(utf16.CharAt(end), '\0'); // a 16-bit zero follows
        EXPECT_EQ(utf16.CharAt(end + 1), '\0');
    }
}

TEST(KrString, ToUtf8EncodesEachUnit)
{
    struct Case
    {
        std::vector<char16_t> units;
        std::string bytes;
    };
    const Case cases[] = {
        {{0x41}, "A"},
        {{0x7F}, "\x7F"},
        {{0x80}, "\xC2\x80"},
        {{0x00E9}, "\xC3\xA9"},
        {{0x07FF}, "\xDF\xBF"},
        {{0x0800}, "\xE0\xA0\x80"},
        {{0x20AC}, "\xE2\x82\xAC"},
        {{0xD83D}, "\xED\xA0\xBD"},
        {{0xD83D, 0xDE00}, "\xED\xA0\xBD\xED\xB8\x80"},
        {{0xFFFF}, "\xEF\xBF\xBF"},
        {{0x0000}, std::string("\0", 1)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.bytes);
        const KrString utf8 = FromUnits(c.units).ToUtf8();
        EXPECT_FALSE(utf8.IsRaw());
        EXPECT_EQ(Bytes(utf8), c.bytes);
        EXPECT_EQ(Capacity(utf8), 4 * static_cast<int32_t>(c.units.size()));
    }
    EXPECT_EQ(Bytes(Raw(std::string("A\0B", 3)).ToUtf8()), "A"); // an odd last byte is ignored
    EXPECT_EQ(Raw("A").ToUtf8().Length(), 0);
    EXPECT_TRUE(KrString().ToUtf8() == KrString());
}

TEST(KrString, Utf8RoundTripsThroughUtf16)
{
    const char* texts[] = {"", "plain", "\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC 5", "\xEF\xBF\xBF\xE0\xA0\x80\xDF\xBF",
                           "\x7F\xC2\x80"};
    for (const char* text : texts)
    {
        SCOPED_TRACE(text);
        EXPECT_EQ(Bytes(KrString(text).ToUtf16().ToUtf8()), text);
    }
}

TEST(KrString, EqualityOfRawAndTextStrings)
{
    struct Case
    {
        const char* what;
        KrString a;
        KrString b;
        bool equal;
    };
    const Case cases[] = {
        {"no buffer and empty text", KrString(), KrString(""), true},
        {"texts", KrString("abc"), KrString("abc"), true},
        {"different texts", KrString("abc"), KrString("abd"), false},
        {"raw with the same zero", Raw(std::string("a\0b", 3)), Raw(std::string("a\0b", 3)), true},
        {"raw differing after a zero", Raw(std::string("a\0b", 3)), Raw(std::string("a\0c", 3)), false},
        {"raw and text alike", Raw("abc"), KrString("abc"), true},
        {"raw shorter than text", Raw("ab"), KrString("abc"), false},
        {"raw with zero and its text prefix", Raw(std::string("a\0b", 3)), KrString("a"), false},
        {"raw and no buffer", Raw("a"), KrString(), false},
        {"text room and text", KrString(5, false), KrString(""), true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.a == c.b, c.equal);
        EXPECT_EQ(c.b == c.a, c.equal);
        EXPECT_EQ(c.a != c.b, !c.equal);
    }
}

TEST(KrString, CompareNoCase)
{
    struct Case
    {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"abc", "ABC", 0}, {"Key", "kEY", 0}, {"abc", "abd", -1}, {"b", "A", 1},
        {"abc", "ab", 'c'}, {"", "a", -'a'}, {"\xC3", "\xE3", -61 - -29}, {"[", "{", '[' - '{'},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.a << " / " << c.b);
        EXPECT_EQ(KrString(c.a).CompareNoCase(c.b), c.expected);
    }
    EXPECT_RAISES(KrString("a").CompareNoCase(nullptr), KrErrArgErr);
}

TEST(KrString, NumbersInAndOut)
{
    struct Case
    {
        const char* text;
        int32_t number;
    };
    const Case cases[] = {
        {"42", 42}, {"  -17x", -17}, {"abc", 0}, {"", 0}, {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KrString(c.text).ToLong(), c.number) << c.text;
    EXPECT_DOUBLE_EQ(KrString("2.5e1").ToDouble(), 25.0);
    EXPECT_DOUBLE_EQ(KrString("x").ToDouble(), 0.0);
    EXPECT_TRUE(std::isinf(KrString("1e999").ToDouble()));

    KrString s("old");
    const KrString result = s.SetLong(-2147483647 - 1);
    EXPECT_EQ(Bytes(s), "-2147483648");
    EXPECT_TRUE(result == s);
}

TEST(KrString, FormatProducesTheWholeText)
{
    EXPECT_EQ(Bytes(KrString::Format("%d-%s-%.2f", 7, "x", 0.5)), "7-x-0.50");
    EXPECT_TRUE(KrString::Format("%s", "") == KrString());
    for (size_t size : {4095u, 4096u, 10000u})
    {
        SCOPED_TRACE(size);
        const std::string text(size, 'q');
        const KrString formatted = KrString::Format("<%s>", text.c_str());
        EXPECT_EQ(Bytes(formatted), "<" + text + ">");
    }
}
