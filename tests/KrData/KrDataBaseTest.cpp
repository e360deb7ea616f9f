#include "KrData/KrDataBase.h"

#include "../KrCore/KrExpectError.h"
#include "../KrFiles/KrTempFolder.h"
#include "KrPlatform/KrPlatform.h"
#include "Krio/KrFileSpec.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <string>

namespace
{
std::string Text(const KrString& text)
{
    return std::string(text.Text(), static_cast<size_t>(text.Length()));
}

// The entries as [key]=[value], a child in braces, so that results read without ToText.
std::string Structure(const KrDataBase& db)
{
    std::string out;
    for (int32_t i = 0; i < db.Count(); ++i)
    {
        const KrDBData& entry = db.Entry(i);
        out += "[" + Text(entry.Key()) + "]=[" + Text(entry.Value()) + "]";
        if (entry.Child() != nullptr)
            out += "{" + Structure(*entry.Child()) + "}";
    }
    return out;
}

std::string ParsedStructure(const std::string& text)
{
    KrDataBase db;
    db.ParseText(KrString(text.data(), static_cast<int32_t>(text.size()), false));
    return Structure(db);
}

std::string Nested(int levels)
{
    std::string text;
    for (int i = 0; i < levels; ++i)
        text += "k = v\n{\n";
    return text;
}

TEST(KrDataBase, ToTextWritesTheFormat)
{
    KrDataBase db;
    db.Set("Width", "1920");
    db.Set("Title", "two words");
    db.Set("Panel/Gain", "0.5");
    db.Set("Panel/Inner/Deep", "");
    db.Set("", "empty key");
    db.Set("Quote", "say \"hi\" \\o/");
    db.Set("Lines", "one\r\ntwo");
    EXPECT_EQ(Text(db.ToText()), "Width = 1920\n"
                                 "Title = \"two words\"\n"
                                 "Panel = \n"
                                 "{\n"
                                 "\tGain = 0.5\n"
                                 "\tInner = \n"
                                 "\t{\n"
                                 "\t\tDeep = \n"
                                 "\t}\n"
                                 "}\n"
                                 "\"\" = \"empty key\"\n"
                                 "Quote = \"say \\\"hi\\\" \\\\o/\"\n"
                                 "Lines = \"one\r\ntwo\"\n");
}

TEST(KrDataBase, SetOfANestedPathOnAnEmptyDataBase)
{
    KrDataBase db;
    db.Set("a/b", "1");
    EXPECT_EQ(Text(db.ToText()), "a = \n{\n\tb = 1\n}\n");
    EXPECT_EQ(Structure(db), "[a]=[]{[b]=[1]}");
}

TEST(KrDataBase, ParseTextReadsTheFormat)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {" \t\r\n", ""},
        {"# only a comment\n  # another\r\n#{\nblock\n#}\n", ""},
        {"\xEF\xBB\xBF", ""},
        {"\xEF\xBB\xBF"
         "a = 1\n",
         "[a]=[1]"},
        {"{\na = 1\nb = 2\n}\n", "[a]=[1][b]=[2]"},
        {"{\n}\n", ""},
        {"{", ""},
        {"# header\n{\na = 1\n}\nignored = 2\n", "[a]=[1]"},
        {"a =   spaced value  \n", "[a]=[spaced value  ]"},
        {"a = 1\r\nb = 2\r\n", "[a]=[1][b]=[2]"},
        {"a =", "[a]=[]"},
        {"a = \nb = 2", "[a]=[][b]=[2]"},
        {"a\n=\tx\n", "[a]=[x]"},
        {"\"two words\"= x\n", "[two words]=[x]"},
        {"k = \"line1\nline2\"\n", "[k]=[line1\nline2]"},
        {"k = \"a\\\"b\\\\c\\d\"\n", "[k]=[a\"b\\c\\d]"},
        {"k = \"v\" # comment after a quoted value\n", "[k]=[v]"},
        {"k = \"v\" next = 1\n", "[k]=[v][next]=[1]"},
        {"k = 1 # not a comment\n", "[k]=[1 # not a comment]"},
        {"k = 1\nk = 2\n", "[k]=[1][k]=[2]"},
        {"a = 1\n# at the end\r\n", "[a]=[1]"},
        {"a = 1\n#", "[a]=[1]"},
        {"a = 1\n#\nb = 2", "[a]=[1][b]=[2]"},
        {"#{ opens\na = 1\n  #} indented: not an end\nb = 2\n#} c = 3\nd = 4\n", "[c]=[3][d]=[4]"},
        {"#{\na = 1\n", ""},
        {"#{ same line #}\na = 1\n", ""},
        {"a = 1\n{\nb = 2\n{\nc = 3\n}\n}\nd = 4\n", "[a]=[1]{[b]=[2]{[c]=[3]}}[d]=[4]"},
        {"a = 1\n{\nb = 2\n}\n{\nc = 3\n}\n", "[a]=[1]{[c]=[3]}"},
        {"a = 1\n{\n}\n", "[a]=[1]{}"},
        {"a = 1\n{\nb = 2", "[a]=[1]{[b]=[2]}"},
        {"a = 1\n}\nb = 2\n", "[a]=[1]"},
        {"<a = \"1\">\n", "[a]=[1]"},
        {"<\"k\" = \"v\"\n# comment\n>b = 2\n", "[k]=[v][b]=[2]"},
        {"x = y = z\n", "[x]=[y = z]"},
        {std::string("a = b\0c\nd = e", 13), std::string("[a]=[b\0c][d]=[e]", 16)},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(ParsedStructure(c.first), c.second) << c.first;
    }
}

TEST(KrDataBase, MalformedTextRaises)
{
    const std::pair<std::string, KrErrorKind> cases[] = {
        {"a=1\n", KrErrFormatErr},
        {"a =1\n", KrErrFormatErr},
        {"a\n", KrErrFormatErr},
        {"a b = 1\n", KrErrFormatErr},
        {"\xEF\xBB", KrErrFormatErr},
        {"<a = \"1\" b>", KrErrFormatErr},
        {"<a = 1>\n", KrErrFormatErr}, // the bare value takes the '>'
        {"<", KrErrFormatErr},
        {"k = \"unterminated\nvalue\n", KrErrFormatErr},
        {"\"unterminated key = 1\n", KrErrFormatErr},
        {"k = \"escaped end\\\"", KrErrFormatErr},
        {"k = \"", KrErrFormatErr},
        {std::string("k = \"cut\0\"", 10), KrErrFormatErr},
        {"{\n{\n", KrErrIndexError},
        {"# c\n{\n{\na = 1\n}\n}\n", KrErrIndexError},
        {"a = 1\n{\n{\n}\n}\n", KrErrIndexError},
        {Nested(KrDataBase::kMaxNesting + 1), KrErrFormatErr},
        {"{" + Nested(KrDataBase::kMaxNesting + 1), KrErrFormatErr},
    };
    for (const auto& c : cases)
    {
        KrDataBase db;
        EXPECT_RAISES(db.ParseText(KrString(c.first.data(), static_cast<int32_t>(c.first.size()), false)), c.second)
            << c.first.substr(0, 40);
    }
}

TEST(KrDataBase, NestingIsLimitedNotTheStack)
{
    KrDataBase db;
    db.ParseText(Nested(KrDataBase::kMaxNesting).c_str());
    const KrDataBase* level = &db;
    int depth = 0;
    while (level->Count() > 0 && level->Entry(0).Child() != nullptr)
    {
        level = level->Entry(0).Child();
        ++depth;
    }
    EXPECT_EQ(depth, KrDataBase::kMaxNesting);

    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "k = v\n{\n";
    EXPECT_RAISES(db.ParseText(deep.c_str()), KrErrFormatErr);
}

TEST(KrDataBase, EntriesReadBeforeAFailureStayAndParseTextReplacesTheContent)
{
    KrDataBase db;
    db.Set("old", "1");
    EXPECT_RAISES(db.ParseText("a = 1\nb=2\n"), KrErrFormatErr);
    EXPECT_EQ(Structure(db), "[a]=[1]");
    db.ParseText("c = 3\n");
    EXPECT_EQ(Structure(db), "[c]=[3]");
    db.ParseText("");
    EXPECT_EQ(db.Count(), 0);
}

TEST(KrDataBase, TextRoundTrips)
{
    const std::pair<const char*, const char*> entries[] = {
        {"Width", "1920"},
        {"spaced", "two words"},
        {"trailing", "spaces  "},
        {"empty", ""},
        {"", "empty key"},
        {"key with space", "x"},
        {"\"quoted\"", "\"quoted\""},
        {"lines", "line1\nline2\r\nline3\rend"},
        {"escapes", "back\\slash \\\" \\"},
        {"hash", "#not a comment"},
        {"=", "="},
        {"a=b", "c = d"},
        {"braces", "{ } < >"},
        {"Section/Inner/Deep", "1"},
        {"Section/Other", "2"},
        {"Section/Inner/Deep/Deeper", " "},
    };
    KrDataBase db;
    for (const auto& entry : entries)
        db.Set(entry.first, entry.second);
    const KrString text = db.ToText();
    KrDataBase back;
    back.ParseText(text);
    EXPECT_EQ(Structure(back), Structure(db)) << Text(text);
    EXPECT_EQ(Text(back.ToText()), Text(text));
    EXPECT_NE(Text(text).find("lines = \"line1\nline2\r\nline3\rend\"\n"), std::string::npos);
    EXPECT_NE(Text(text).find("empty = \n"), std::string::npos);
}

TEST(KrDataBase, KeysThatStartLikeSyntaxDoNotReadBack)
{
    for (const char* key : {"#k", "{k", "}k", "<k"})
    {
        KrDataBase db;
        db.Set(key, "1");
        EXPECT_EQ(Text(db.ToText()), std::string(key) + " = 1\n");
        KrDataBase back;
        try
        {
            back.ParseText(db.ToText());
        }
        catch (const KrError&)
        {
        }
        EXPECT_FALSE(back.Exists(key)) << key;
    }
}

TEST(KrDataBase, PathsLeadThroughChildren)
{
    KrDataBase db;
    db.ParseText("Display0 = Left\n"
                 "Left = \n{\n\tVeltPort = 1\n\tName = first\n\tName = second\n\tWord = 12abc\n"
                 "\tEmpty = \n\tHuge = 99999999999\n\tTiny = -99999999999\n}\n"
                 "Leaf = x\n");
    const std::pair<const char*, bool> exists[] = {
        {"Display0", true},   {"/Display0", true},   {"Display0/", true}, {"Left/VeltPort", true},
        {"/Left/Name/", true}, {"left/VeltPort", false}, {"Left/Missing", false}, {"Leaf/x", false},
        {"Missing/x", false}, {"", false},
    };
    for (const auto& c : exists)
        EXPECT_EQ(db.Exists(c.first), c.second) << c.first;

    EXPECT_EQ(Text(db.GetString("Left/Name", "default")), "first");
    EXPECT_EQ(Text(db.GetString("Left/Nope", "default")), "default");
    EXPECT_EQ(db.GetInt("Left/VeltPort", -1), 1);
    EXPECT_EQ(db.GetInt("Left/Nope", -1), -1);
    EXPECT_EQ(db.GetInt("Left/Word", -1), 12);
    EXPECT_EQ(db.GetInt("Left/Empty", -1), 0);
    EXPECT_EQ(db.GetInt("Left/Huge", -1), INT32_MAX);
    EXPECT_EQ(db.GetInt("Left/Tiny", -1), INT32_MIN);

    EXPECT_EQ(db.GetChild("Leaf", false), nullptr);
    EXPECT_EQ(db.GetChild("Missing/Deeper", false), nullptr);
    EXPECT_EQ(db.GetChild("Left", false), db.Entry(1).Child());
    EXPECT_EQ(db.Count(), 3); // lookups created nothing

    KrDataBase* created = db.GetChild("Leaf", true);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->Count(), 0);
    EXPECT_EQ(created->RefCount(), 1); // the entry holds the only reference
    EXPECT_EQ(db.GetChild("Leaf", true), created);
    EXPECT_NE(db.GetChild("New/Path", true), nullptr);
    EXPECT_EQ(Structure(db).substr(Structure(db).find("[Leaf]")), "[Leaf]=[x]{}[New]=[]{[Path]=[]{}}");

    db.Set("Left/Name", "changed"); // the first of the two
    EXPECT_EQ(Text(db.GetString("Left/Name", "")), "changed");
    EXPECT_EQ(Text(db.GetString("", "none")), "none");
    db.Set("/", "root");
    EXPECT_EQ(Text(db.GetString("", "none")), "root"); // "/" and "" both name the empty key
}

TEST(KrDataBase, ArgumentsMayComeFromItsOwnEntries)
{
    KrDataBase db;
    for (int i = 0; i < 10; ++i) // the list is full: the next new entry moves all of them
        db.Set(KrString::Format("k%d", i), KrString::Format("value %d", i));
    db.Set(KrString::Format("k%d", 0) + "copy", db.Entry(0).Value());
    db.Set(db.Entry(3).Value(), db.Entry(5).Key());
    EXPECT_EQ(Text(db.GetString("k0copy", "")), "value 0");
    EXPECT_EQ(Text(db.GetString("value 3", "")), "k5");

    db.Set("text", "inner = 1\n");
    db.ParseText(db.Entry(db.Count() - 1).Value());
    EXPECT_EQ(Structure(db), "[inner]=[1]");
}

TEST(KrDataBase, IsAnObjectWithTheBaseName)
{
    KrDataBase* db = new KrDataBase;
    EXPECT_STREQ(db->ClassName(), "KrObject");
    EXPECT_EQ(db->Cast("KrObject"), db);
    EXPECT_EQ(db->Cast("KrDataBase"), nullptr);
    db->Release();
}

class KrDataBaseFiles : public ::testing::Test
{
protected:
    void TearDown() override { KrPlatformSetFileCreator(nullptr); }

    KrFileSpec StateFileSpec(const char* name = "MonitorSimulation.txt") const { return KrFileSpec(temp.Path(name).c_str()); }

    KrTempFolder temp;
};

TEST_F(KrDataBaseFiles, SaveWritesToTextAndLoadReadsItBack)
{
    KrDataBase db;
    db.Set("Display0", "Left");
    db.Set("Left/VeltPort", "0");
    db.Set("Left/_RLUT", " 0.000000 0.003922");
    db.Save(StateFileSpec());
    EXPECT_EQ(KrTempFolder::Read(temp.Path("MonitorSimulation.txt")), Text(db.ToText()));
    EXPECT_EQ(temp.Names(), std::set<std::string>{"MonitorSimulation.txt"});

    db.Set("Left/_Connected", "true");
    db.Save(StateFileSpec());
    KrDataBase loaded;
    loaded.Set("stale", "gone");
    loaded.Load(StateFileSpec());
    EXPECT_EQ(Structure(loaded), Structure(db));
    EXPECT_EQ(temp.Names(), std::set<std::string>{"MonitorSimulation.txt"});
}

TEST_F(KrDataBaseFiles, LoadingAMissingFileRaisesTheOpenError)
{
    KrDataBase db;
    try
    {
        db.Load(StateFileSpec());
        ADD_FAILURE() << "nothing raised";
    }
    catch (const KrError& error)
    {
        EXPECT_EQ(error.Code(), 12);
        EXPECT_EQ(error.Name(), "FileNotOpen (for reading, errno=" + std::to_string(ENOENT) + "): " +
                                    temp.Path("MonitorSimulation.txt"));
    }
}

TEST_F(KrDataBaseFiles, LoadReadsRawBytesAndMalformedFilesRaise)
{
    KrTempFolder::Write(temp.Path("MonitorSimulation.txt"), std::string("\xEF\xBB\xBFk = v\0w\n", 11));
    KrDataBase db;
    db.Load(StateFileSpec());
    EXPECT_EQ(Structure(db), std::string("[k]=[v\0w]", 9));

    KrTempFolder::Write(temp.Path("MonitorSimulation.txt"), "k=v\n");
    EXPECT_RAISES(db.Load(StateFileSpec()), KrErrFormatErr);
}

// The disk fills while the new text is written.
std::FILE* CreateOnAFullDisk(const std::string& target, std::string& created)
{
    KrPlatformSetFileCreator(nullptr);
    std::FILE* real = KrPlatformCreateFileBeside(target, created);
    KrPlatformSetFileCreator(CreateOnAFullDisk);
    if (real == nullptr)
        return nullptr;
    std::fclose(real);
    return std::fopen("/dev/full", "wb");
}

TEST_F(KrDataBaseFiles, ASaveThatFailsLeavesTheOldFileByteForByte)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const std::string old = "# prepared by hand\r\nDisplay0 = Left\nLeft = \n{\n  VeltPort = 0\n}\n";
    KrTempFolder::Write(temp.Path("MonitorSimulation.txt"), old);
    KrDataBase db;
    db.Load(StateFileSpec());
    db.Set("Left/_Brightness", "0.500000");

    KrPlatformSetFileCreator(CreateOnAFullDisk);
    EXPECT_RAISES(db.Save(StateFileSpec()), KrErrFileWriteFailed);
    EXPECT_EQ(KrTempFolder::Read(temp.Path("MonitorSimulation.txt")), old);
    EXPECT_EQ(temp.Names(), std::set<std::string>{"MonitorSimulation.txt"});

    KrPlatformSetFileCreator(nullptr);
    db.Save(StateFileSpec());
    KrDataBase loaded;
    loaded.Load(StateFileSpec());
    EXPECT_EQ(Text(loaded.GetString("Left/_Brightness", "")), "0.500000");
}
}
