#include "Krio/KrFileSpec.h"

#include "../KrCore/KrExpectError.h"
#include "KrTempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace
{
const uint32_t kNone = 0;
const uint32_t kAny = KrFourCharCode("****");

std::string Text(const KrString& text)
{
    return std::string(text.Text(), static_cast<size_t>(text.Length()));
}

TEST(KrFileSpec, FourCharCodesPutTheFirstCharacterHighest)
{
    EXPECT_EQ(KrFourCharCode("TEXT"), 0x54455854u);
    EXPECT_EQ(KrFourCharCode("PDF "), 0x50444620u);
}

TEST(KrFileSpec, TypeAndCreatorComeFromTheExtension)
{
    struct Case
    {
        const char* path;
        uint32_t type;
        uint32_t creator;
    };
    const Case cases[] = {
        {"MonitorSimulation.txt", KrFourCharCode("TEXT"), KrFourCharCode("ttxt")},
        {"notes.TeXt", KrFourCharCode("TEXT"), KrFourCharCode("ttxt")},
        {"target.cie", KrFourCharCode("TEXT"), KrFourCharCode("ttxt")}, // a TEXT creator is found first
        {"profile.ICC", KrFourCharCode("prof"), KrFourCharCode("sync")},
        {"profile.icm", KrFourCharCode("prof"), KrFourCharCode("sync")},
        {"photo.jpg", KrFourCharCode("JPEG"), KrFourCharCode("8BIM")},
        {"scan.TIFF", KrFourCharCode("TIFF"), KrFourCharCode("8BIM")},
        {"image.j2k", KrFourCharCode("j2k "), KrFourCharCode("8BIM")},
        {"manual.pdf", KrFourCharCode("PDF "), kAny},
        {"lib.DyLib", KrFourCharCode("DYLB"), kAny},
        {"data.ccf", KrFourCharCode("CCF "), kAny},
        {"trailing.", KrFourCharCode("BINA"), kAny}, // the row with the empty extension
        {"archive.tar.gz", kAny, kNone},             // unknown extension
        {"a.b/c", kAny, kNone},                      // the only dot lies in a folder
        {"folder.icc/file", kAny, kNone},            // the extension runs over the '/'
        {"plain", kNone, kNone},                     // no dot: nothing is set
        {".txt", KrFourCharCode("TEXT"), KrFourCharCode("ttxt")},
    };
    for (const Case& c : cases)
    {
        const KrFileSpec fileSpec(c.path);
        EXPECT_EQ(fileSpec.Type(), c.type) << c.path;
        EXPECT_EQ(fileSpec.Creator(), c.creator) << c.path;
    }
}

TEST(KrFileSpec, ACreatorThatFitsTheTypeStaysAndTheCodesChangeOnlyWithTheType)
{
    KrFileSpec fileSpec;
    EXPECT_EQ(fileSpec.Type(), kNone);
    EXPECT_EQ(fileSpec.Creator(), kNone);

    struct Step
    {
        const char* path;
        uint32_t type;
        uint32_t creator;
    };
    const Step steps[] = {
        {"plain", kNone, kNone},
        {"a.cie", KrFourCharCode("TEXT"), KrFourCharCode("ttxt")},
        {"plain", KrFourCharCode("TEXT"), KrFourCharCode("ttxt")}, // no dot keeps both
        {"x.icc", KrFourCharCode("prof"), KrFourCharCode("sync")},
        {"x.unknown", kAny, kNone},
        {"x.pdf", KrFourCharCode("PDF "), kAny},
    };
    for (const Step& step : steps)
    {
        fileSpec.SetPath(step.path);
        EXPECT_EQ(fileSpec.Type(), step.type) << step.path;
        EXPECT_EQ(fileSpec.Creator(), step.creator) << step.path;
    }
}

TEST(KrFileSpec, PathsAreKeptWithSingleForwardSlashes)
{
    const std::pair<const char*, const char*> cases[] = {
        {"dir\\sub\\file.txt", "dir/sub/file.txt"},
        {"dir//file.txt", "dir/file.txt"},
        {"//server/share", "/server/share"},
        {"a///b", "a//b"}, // a pair becomes one slash, scanning on after it
        {"a////b", "a//b"},
        {"a\\/b", "a/b"},
        {"", ""},
    };
    for (const auto& c : cases)
    {
        const KrFileSpec fileSpec(c.first);
        EXPECT_EQ(Text(fileSpec.Path()), c.second) << c.first;
        EXPECT_EQ(Text(fileSpec.NativePath()), c.second) << c.first; // '/' is native here
    }
}

TEST(KrFileSpec, FolderFileNameAndBaseNameSplitThePath)
{
    struct Case
    {
        const char* path;
        const char* folder;
        const char* fileName;
        const char* baseName;
    };
    const Case cases[] = {
        {"name.txt", "", "name.txt", "name"},
        {"dir/sub/name.ICC", "dir/sub/", "name.ICC", "name"},
        {"dir/", "dir/", "", ""},
        {"dir/archive.tar.gz", "dir/", "archive.tar.gz", "archive.tar.gz"}, // unknown extension
        {"dir/.txt", "dir/", ".txt", ".txt"},                               // a leading dot stays
        {"dir/.hidden.icc", "dir/", ".hidden.icc", ".hidden"},
        {"dir/name.", "dir/", "name.", "name"}, // the empty extension is in the table
        {"a.b/c", "a.b/", "c", "c"},
        {"plain", "", "plain", "plain"},
    };
    for (const Case& c : cases)
    {
        const KrFileSpec fileSpec(c.path);
        EXPECT_EQ(Text(fileSpec.Folder()), c.folder) << c.path;
        EXPECT_EQ(Text(fileSpec.FileName()), c.fileName) << c.path;
        EXPECT_EQ(Text(fileSpec.BaseName()), c.baseName) << c.path;
    }
}

TEST(KrFileSpec, SetFileNameKeepsTheFolderAndDerivesTheType)
{
    KrFileSpec fileSpec("dir/old.txt");
    fileSpec.SetFileName("new.icc");
    EXPECT_EQ(Text(fileSpec.Path()), "dir/new.icc");
    EXPECT_EQ(fileSpec.Type(), KrFourCharCode("prof"));
}

TEST(KrFileSpec, SetKindSetsTheCodesAndTheMatchingExtension)
{
    struct Case
    {
        const char* path;
        int32_t kind;
        const char* result;
        uint32_t type;
        uint32_t creator;
    };
    const Case cases[] = {
        {"pic.png", 6, "pic.jpg", KrFourCharCode("JPEG"), KrFourCharCode("8BIM")},
        {"dir/pic.png", 13, "dir/pic", KrFourCharCode("BINA"), kAny}, // empty extension
        {"doc.txt", 2, "doc.icc", KrFourCharCode("prof"), KrFourCharCode("sync")},
        {"doc", 12, "doc.pdf", KrFourCharCode("PDF "), kAny},
        {"x.cie", 1, "x.txt", KrFourCharCode("TEXT"), KrFourCharCode("ttxt")},
        {"dir/x.tar.gz", 20, "dir/x.tar.gz.jpf", KrFourCharCode("jpf "), KrFourCharCode("8BIM")},
        {"a.b/doc.icc", 99, "a.b/doc", kAny, kNone}, // no such kind: the default row
    };
    for (const Case& c : cases)
    {
        KrFileSpec fileSpec(c.path);
        fileSpec.SetKind(c.kind);
        EXPECT_EQ(Text(fileSpec.Path()), c.result) << c.path << " kind " << c.kind;
        EXPECT_EQ(fileSpec.Type(), c.type) << c.path << " kind " << c.kind;
        EXPECT_EQ(fileSpec.Creator(), c.creator) << c.path << " kind " << c.kind;
    }
}

TEST(KrFileSpec, IsAbsoluteKnowsRootsAndDriveLetters)
{
    const std::pair<const char*, bool> cases[] = {
        {"/etc/x", true}, {"\\x", true},  {":x", true},     {"c:/x", true}, {"C:\\x", true},
        {"c:x", false},   {"c:", false},  {"dir/x", false}, {"", false},    {"ab:/", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KrFileSpec::IsAbsolute(c.first), c.second) << c.first;
}

TEST(KrFileSpec, CopiesAreIndependentValues)
{
    KrFileSpec original("a.txt");
    const KrFileSpec copy(original);
    original.SetPath("b.icc");
    EXPECT_EQ(Text(copy.Path()), "a.txt");
    EXPECT_EQ(copy.Type(), KrFourCharCode("TEXT"));
}

// Folder kinds, with the home and XDG folders pointed into the test's own folder.
class KrFileSpecFolders : public ::testing::Test
{
protected:
    std::string Placed(int32_t folderKind, const char* name = "some/dir/name.txt")
    {
        return Text(KrFileSpec(name, folderKind).Path());
    }

    KrTempFolder temp;
    KrScopedEnvironment home{"HOME", temp.Path().c_str()};
    KrScopedEnvironment dataHome{"XDG_DATA_HOME", nullptr};
    KrScopedEnvironment configHome{"XDG_CONFIG_HOME", nullptr};
};

TEST_F(KrFileSpecFolders, FixedFoldersAndNone)
{
    const std::pair<int32_t, std::string> cases[] = {
        {0, "some/dir/name.txt"},
        {7, "name.txt"},
        {1, "/usr/share/color/icc/name.txt"},
        {3, "/usr/share/color/icc/name.txt"},
        {15, "/opt/name.txt"},
        {16, "/usr/lib/name.txt"},
        {17, "/etc/name.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Placed(c.first), c.second) << "kind " << c.first;
}

TEST_F(KrFileSpecFolders, ProgramFolderTakesOnlyTheFileName)
{
    const std::string program = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    for (int32_t kind : {12, 13, 14})
        EXPECT_EQ(Placed(kind), program + "/name.txt") << "kind " << kind;
    EXPECT_EQ(Placed(12, "dir/:odd"), ":odd"); // an absolute file name stays alone
}

TEST_F(KrFileSpecFolders, ApplicationDataFollowsXdgDataHome)
{
    for (int32_t kind : {4, 6, 8, 10})
        EXPECT_EQ(Placed(kind), temp.Path() + "/.local/share/name.txt") << "kind " << kind;
    {
        KrScopedEnvironment data("XDG_DATA_HOME", temp.Path("data").c_str());
        EXPECT_EQ(Placed(4), temp.Path() + "/data/name.txt");
    }
    {
        KrScopedEnvironment relative("XDG_DATA_HOME", "relative"); // not a usable path
        EXPECT_EQ(Placed(4), temp.Path() + "/.local/share/name.txt");
    }
    KrScopedEnvironment noHome("HOME", nullptr);
    EXPECT_EQ(Placed(4), "/etc/name.txt");
}

TEST_F(KrFileSpecFolders, DocumentsComeFromTheUserDirectories)
{
    EXPECT_EQ(Placed(5), temp.Path() + "/Documents/name.txt");
    EXPECT_EQ(Placed(9), temp.Path() + "/Public/name.txt");

    std::filesystem::create_directories(temp.Path("config"));
    KrTempFolder::Write(temp.Path("config/user-dirs.dirs"), "# written by xdg-user-dirs-update\n"
                                                            "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n"
                                                            "XDG_PUBLICSHARE_DIR=\"/srv/shared\"\n"
                                                            "XDG_MUSIC_DIR=\"$HOME/Music\"\n");
    KrScopedEnvironment config("XDG_CONFIG_HOME", temp.Path("config").c_str());
    EXPECT_EQ(Placed(5), temp.Path() + "/Papers/name.txt");
    EXPECT_EQ(Placed(9), "/srv/shared/name.txt");

    KrScopedEnvironment noHome("HOME", nullptr);
    EXPECT_EQ(Placed(9), "/srv/shared/name.txt");
    EXPECT_EQ(Placed(5), "name.txt"); // no folder is known: the name stays relative
}

TEST_F(KrFileSpecFolders, UnsupportedKindsRaise)
{
    for (int32_t kind : {11, 18, -1, 1000})
        EXPECT_RAISES(KrFileSpec("name.txt", kind), KrErrArgErr) << "kind " << kind;
}
}
