#include "Krio/KrFile.h"

#include "../KrCore/KrExpectError.h"
#include "KrPlatform/KrPlatform.h"
#include "KrTempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace
{
std::string Text(const KrString& text)
{
    return std::string(text.Text(), static_cast<size_t>(text.Length()));
}

std::string ReadRest(KrFile& file)
{
    return Text(file.ReadAll());
}

class KrFileTest : public ::testing::Test
{
protected:
    // A file object on name in the test's folder, not opened.
    void Name(KrFile& file, const std::string& name) { file.SetFileSpec(KrFileSpec(temp.Path(name).c_str())); }

    // Expects the open error: code 12, named after the message, errno and the path.
    void ExpectOpenFails(KrFile& file, int32_t mode, const char* message, int error)
    {
        KrFileSpec fileSpec;
        file.GetFileSpec(fileSpec);
        const std::string expected = Text(KrString::Format(message, error, fileSpec.Path().Text()));
        try
        {
            file.Open(mode, false);
            ADD_FAILURE() << "Open " << mode << " raised nothing";
        }
        catch (const KrError& error)
        {
            EXPECT_EQ(error.Code(), 12);
            EXPECT_STREQ(error.Name(), expected.c_str());
            EXPECT_EQ(error.File(), nullptr);
            EXPECT_EQ(error.Line(), 0);
        }
        EXPECT_EQ(file.Mode(), 0);
    }

    KrTempFolder temp;
};

const char kReading[] = "FileNotOpen (for reading, errno=%d): %s";
const char kWriting[] = "FileNotOpen (for writing, errno=%d): %s";

TEST_F(KrFileTest, ModesOnAnExistingFile)
{
    struct Case
    {
        int32_t mode;
        const char* readBack; // what the file holds right after opening
        bool writes;
        const char* after; // the file after writing "AB" at the start
    };
    const Case cases[] = {
        {KrFileModeRead, "hello", false, "hello"},
        {KrFileModeWrite, "", true, "AB"},
        {KrFileModeUpdate, "hello", true, "ABllo"},
    };
    for (const Case& c : cases)
    {
        KrTempFolder::Write(temp.Path("f.txt"), "hello");
        KrFile file;
        Name(file, "f.txt");
        file.Open(c.mode, false);
        EXPECT_EQ(file.Mode(), c.mode);
        if (c.mode != KrFileModeWrite)
        {
            EXPECT_EQ(ReadRest(file), c.readBack) << "mode " << c.mode;
        }
        EXPECT_EQ(KrTempFolder::Read(temp.Path("f.txt")), c.readBack) << "mode " << c.mode;
        file.Seek(0, KrSeekStart);
        if (c.writes)
        {
            file.Write("AB", 2, nullptr);
        }
        else
        {
            EXPECT_RAISES(file.Write("AB", 2, nullptr), KrErrFileWriteFailed) << "mode " << c.mode;
        }
        // Written bytes are in the file before Close.
        EXPECT_EQ(KrTempFolder::Read(temp.Path("f.txt")), c.after) << "mode " << c.mode;
        file.Close();
        EXPECT_EQ(file.Mode(), 0);
    }
}

TEST_F(KrFileTest, UpdateModeCreatesAMissingFileButNeverEmptiesOne)
{
    KrFile file;
    Name(file, "new.txt");
    file.Open(KrFileModeUpdate, true);
    EXPECT_EQ(file.GetLength(), 0);
    file.WriteString("abc");
    file.Seek(0, KrSeekStart);
    EXPECT_EQ(ReadRest(file), "abc");
    file.Close();

    // A file that cannot be opened for update is reported, not emptied.
    std::filesystem::create_directory(temp.Path("dir.txt"));
    KrFile folder;
    Name(folder, "dir.txt");
    ExpectOpenFails(folder, KrFileModeUpdate, kWriting, EISDIR);
    EXPECT_TRUE(std::filesystem::is_directory(temp.Path("dir.txt")));
}

TEST_F(KrFileTest, FailedOpensNameTheErrorAndThePath)
{
    struct Case
    {
        const char* name;
        int32_t mode;
        const char* message;
    };
    const Case cases[] = {
        {"missing.txt", KrFileModeRead, kReading},
        {"no/such/folder.txt", KrFileModeWrite, kWriting},
        {"no/such/folder.txt", KrFileModeUpdate, kWriting},
    };
    for (const Case& c : cases)
    {
        KrFile file;
        Name(file, c.name);
        ExpectOpenFails(file, c.mode, c.message, ENOENT);
        char byte;
        EXPECT_RAISES(file.Read(&byte, 1, nullptr), KrErrFileNotOpen);
    }
    EXPECT_EQ(temp.Names().size(), 0u);
}

TEST_F(KrFileTest, OpenWithAnEmptyPathOrAnUnknownMode)
{
    KrFile unnamed;
    for (int32_t mode : {0, 1, 7})
        EXPECT_RAISES(unnamed.Open(mode, false), KrErrFileInvalidDesc) << "mode " << mode;

    KrFile file;
    Name(file, "f.txt");
    for (int32_t mode : {0, -1, 4, 7})
    {
        file.Open(mode, false);
        EXPECT_EQ(file.Mode(), 0);
        char byte;
        EXPECT_RAISES(file.Read(&byte, 1, nullptr), KrErrFileNotOpen) << "mode " << mode;
    }
    EXPECT_EQ(temp.Names().size(), 0u);
}

TEST_F(KrFileTest, OpeningAnOpenFileAgainChangesNothing)
{
    KrTempFolder::Write(temp.Path("f.txt"), "keep");
    KrFile file;
    Name(file, "f.txt");
    file.Open(KrFileModeRead, false);
    file.Open(KrFileModeWrite, false);
    EXPECT_EQ(file.Mode(), KrFileModeRead);
    EXPECT_EQ(ReadRest(file), "keep");
    EXPECT_EQ(KrTempFolder::Read(temp.Path("f.txt")), "keep");
}

TEST_F(KrFileTest, EveryOperationNeedsAnOpenFile)
{
    KrFile file;
    Name(file, "f.txt");
    char buffer[4];
    const std::function<void()> operations[] = {
        [&] { file.Read(buffer, 1, nullptr); },
        [&] { file.Write("x", 1, nullptr); },
        [&] { file.Seek(0, KrSeekStart); },
        [&] { file.Tell(); },
        [&] { file.GetLength(); },
        [&] { file.ReadAll(); },
        [&] { file.WriteString("x"); },
    };
    for (const auto& operation : operations)
        EXPECT_RAISES(operation(), KrErrFileNotOpen);
    EXPECT_FALSE(file.IsSeekable());
    file.Close(); // harmless
    EXPECT_EQ(file.Mode(), 0);
}

TEST_F(KrFileTest, BadBuffersAndCountsRaiseBeforeAnyAccess)
{
    KrTempFolder::Write(temp.Path("f.txt"), "data");
    KrFile file;
    Name(file, "f.txt");
    file.Open(KrFileModeUpdate, false);
    char buffer[4];
    int32_t count = 99;
    EXPECT_RAISES(file.Read(nullptr, 1, &count), KrErrArgErr);
    EXPECT_RAISES(file.Read(buffer, -1, &count), KrErrArgErr);
    EXPECT_RAISES(file.Write(nullptr, 1, &count), KrErrArgErr);
    EXPECT_RAISES(file.Write("x", -5, &count), KrErrArgErr);
    EXPECT_EQ(count, 99);
    EXPECT_EQ(file.Tell(), 0);
}

TEST_F(KrFileTest, ReadAndWriteReportTheirCounts)
{
    KrFile file;
    Name(file, "f.bin");
    file.Open(KrFileModeUpdate, false);
    int32_t written = 0;
    file.Write("0123456789", 10, &written);
    EXPECT_EQ(written, 10);
    file.Seek(6, KrSeekStart);
    char buffer[8] = {};
    int32_t got = 0;
    EXPECT_EQ(file.Read(buffer, 8, &got), 4); // fewer at the end
    EXPECT_EQ(got, 4);
    EXPECT_EQ(std::string(buffer, 4), "6789");
    EXPECT_EQ(file.Read(buffer, 8, nullptr), 0);
}

TEST_F(KrFileTest, SeekFromEachOrigin)
{
    KrTempFolder::Write(temp.Path("f.txt"), "0123456789");
    KrFile file;
    Name(file, "f.txt");
    file.Open(KrFileModeRead, false);
    EXPECT_TRUE(file.IsSeekable());
    EXPECT_EQ(file.GetLength(), 10);

    struct Case
    {
        int32_t from; // the position before the seek
        int32_t offset;
        int32_t origin;
        int32_t position;
    };
    const Case cases[] = {
        {0, 3, KrSeekStart, 3},  {5, 0, KrSeekStart, 0},   {2, 0, KrSeekFromEnd, 10}, {2, 1, KrSeekFromEnd, 9},
        {0, 4, KrSeekFromEnd, 6}, {3, 2, KrSeekCurrent, 5}, {3, -1, KrSeekCurrent, 2}, {7, 0, KrSeekCurrent, 7},
    };
    for (const Case& c : cases)
    {
        file.Seek(c.from, KrSeekStart);
        file.Seek(c.offset, c.origin);
        EXPECT_EQ(file.Tell(), c.position) << c.offset << " from origin " << c.origin;
        EXPECT_EQ(file.GetLength(), 10);
        EXPECT_EQ(file.Tell(), c.position); // GetLength goes back to where it was
    }
    file.Seek(1, KrSeekFromEnd);
    EXPECT_EQ(ReadRest(file), "9");

    file.Seek(4, KrSeekStart);
    EXPECT_RAISES(file.Seek(0, 3), KrErrArgErr);
    EXPECT_RAISES(file.Seek(-1, KrSeekStart), KrErrFileSeekFailed);
    EXPECT_RAISES(file.Seek(11, KrSeekFromEnd), KrErrFileSeekFailed);
    EXPECT_EQ(file.Tell(), 4);
}

TEST_F(KrFileTest, PositionsBeyondTwoGibibytesRaiseInsteadOfWrapping)
{
    std::ofstream(temp.Path("big.bin")).close();
    std::filesystem::resize_file(temp.Path("big.bin"), 3ull << 30); // sparse: no disk used
    KrFile file;
    Name(file, "big.bin");
    file.Open(KrFileModeRead, false);
    EXPECT_RAISES(file.GetLength(), KrErrFileLengthFailed);
    EXPECT_RAISES(file.ReadAll(), KrErrFileLengthFailed);
    EXPECT_RAISES(file.Seek(0, KrSeekFromEnd), KrErrFileLengthFailed);
    file.Seek(INT32_MAX, KrSeekStart);
    EXPECT_EQ(file.Tell(), INT32_MAX);
    file.Seek(1, KrSeekCurrent);
    EXPECT_RAISES(file.Tell(), KrErrFilePosFailed);
}

TEST_F(KrFileTest, ReadAllIsRawOnlyWhenAZeroByteIsPresent)
{
    const std::pair<std::string, bool> cases[] = {
        {std::string("AB\0C", 4), true},
        {"plain text\n", false},
        {std::string("\0", 1), true},
    };
    for (const auto& c : cases)
    {
        KrTempFolder::Write(temp.Path("f.bin"), c.first);
        KrFile file;
        Name(file, "f.bin");
        file.Open(KrFileModeRead, false);
        const KrString all = file.ReadAll();
        EXPECT_EQ(all.IsRaw(), c.second);
        EXPECT_EQ(Text(all), c.first);
        EXPECT_EQ(file.Tell(), static_cast<int32_t>(c.first.size()));
        EXPECT_TRUE(file.ReadAll().IsEmpty());
    }

    KrTempFolder::Write(temp.Path("f.bin"), "plain text\n");
    KrFile file;
    Name(file, "f.bin");
    file.Open(KrFileModeRead, false);
    file.Seek(7, KrSeekStart);
    EXPECT_EQ(ReadRest(file), "ext\n");
    file.Seek(20, KrSeekStart); // beyond the end
    EXPECT_TRUE(file.ReadAll().IsEmpty());
}

TEST_F(KrFileTest, DescribeAndTheFileSpecification)
{
    KrFile file;
    file.SetFileSpec(KrFileSpec("data\\x.txt"));
    EXPECT_EQ(Text(file.Describe()), "KrFile\tdata/x.txt");
    KrFileSpec copy;
    file.GetFileSpec(copy);
    EXPECT_EQ(Text(copy.Path()), "data/x.txt");
    EXPECT_EQ(copy.Type(), KrFourCharCode("TEXT"));
    EXPECT_STREQ(file.ClassName(), "KrObject");
}

TEST_F(KrFileTest, ANewSpecificationLeavesTheOpenFileAlone)
{
    KrFile file;
    Name(file, "first.txt");
    file.Open(KrFileModeWrite, false);
    Name(file, "second.txt");
    EXPECT_EQ(Text(file.Describe()), "KrFile\t" + temp.Path("second.txt"));
    file.WriteString("to the first");
    file.Close();
    EXPECT_EQ(KrTempFolder::Read(temp.Path("first.txt")), "to the first");
    EXPECT_EQ(temp.Names(), std::set<std::string>{"first.txt"});
}

TEST_F(KrFileTest, AWriteThatDoesNotReachTheDiskRaises)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    KrFile file;
    file.SetFileSpec(KrFileSpec("/dev/full"));
    file.Open(KrFileModeWrite, false);
    int32_t written = 0;
    EXPECT_RAISES(file.Write("buffered", 8, &written), KrErrFileWriteFailed);
    EXPECT_RAISES(file.WriteString("more"), KrErrFileWriteFailed);
}

// Replace, with the new file made beside the target by a creator that tests can swap.
class KrFileReplaceTest : public KrFileTest
{
protected:
    void TearDown() override { KrPlatformSetFileCreator(nullptr); }

    KrFileSpec Target() const { return KrFileSpec(temp.Path("settings.txt").c_str()); }
};

TEST_F(KrFileReplaceTest, ReplacesTheWholeFileAndKeepsItsPermissions)
{
    KrTempFolder::Write(temp.Path("settings.txt"), "a much longer old content");
    std::filesystem::permissions(temp.Path("settings.txt"), std::filesystem::perms::owner_read |
                                                                std::filesystem::perms::owner_write |
                                                                std::filesystem::perms::group_read);
    KrFile::Replace(Target(), KrString("new\0bytes", 9, true));
    EXPECT_EQ(KrTempFolder::Read(temp.Path("settings.txt")), std::string("new\0bytes", 9));
    EXPECT_EQ(std::filesystem::status(temp.Path("settings.txt")).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
    EXPECT_EQ(temp.Names(), std::set<std::string>{"settings.txt"});

    KrFile::Replace(KrFileSpec(temp.Path("fresh.txt").c_str()), "");
    EXPECT_EQ(KrTempFolder::Read(temp.Path("fresh.txt")), "");
    EXPECT_RAISES(KrFile::Replace(KrFileSpec(), "x"), KrErrFileInvalidDesc);
}

// The disk fills while the new file is written.
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

std::FILE* CreateNothing(const std::string&, std::string&)
{
    errno = ENOSPC;
    return nullptr;
}

TEST_F(KrFileReplaceTest, AFailedReplaceLeavesTheOldFileByteForByte)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const std::string old("old\r\ncontent\0kept", 17);
    KrTempFolder::Write(temp.Path("settings.txt"), old);

    KrPlatformSetFileCreator(CreateOnAFullDisk);
    EXPECT_RAISES(KrFile::Replace(Target(), "new content"), KrErrFileWriteFailed);
    EXPECT_EQ(KrTempFolder::Read(temp.Path("settings.txt")), old);
    EXPECT_EQ(temp.Names(), std::set<std::string>{"settings.txt"}); // the new file is gone

    KrPlatformSetFileCreator(CreateNothing);
    try
    {
        KrFile::Replace(Target(), "new content");
        ADD_FAILURE() << "nothing raised";
    }
    catch (const KrError& error)
    {
        EXPECT_EQ(error.Code(), 12);
        EXPECT_EQ(error.Name(), "FileNotOpen (for writing, errno=" + std::to_string(ENOSPC) + "): " +
                                    temp.Path("settings.txt"));
    }
    EXPECT_EQ(KrTempFolder::Read(temp.Path("settings.txt")), old);
}

TEST_F(KrFileReplaceTest, ATargetThatCannotBeReplacedIsReportedAndNothingIsLeftBehind)
{
    std::filesystem::create_directory(temp.Path("settings.txt"));
    KrTempFolder::Write(temp.Path("settings.txt/inside"), "x");
    try
    {
        KrFile::Replace(Target(), "new content");
        ADD_FAILURE() << "nothing raised";
    }
    catch (const KrError& error)
    {
        EXPECT_EQ(error.Code(), 12);
        EXPECT_EQ(std::string(error.Name()).rfind("FileNotOpen (for writing, errno=", 0), 0u) << error.Name();
    }
    EXPECT_EQ(temp.Names(), std::set<std::string>{"settings.txt"});
    EXPECT_EQ(KrTempFolder::Read(temp.Path("settings.txt/inside")), "x");
}
}
