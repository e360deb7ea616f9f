#include "KrCore/KrError.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string Shown(const char* text)
{
    return text != nullptr ? text : "(null)";
}
}

TEST(KrError, RecordsNameAndFileByTheNamingRules)
{
    struct Case
    {
        int32_t code;
        const char* name;
        const char* file;
        const char* recordedName;
        const char* recordedFile;
    };
    const Case cases[] = {
        {7, "KrIndexError", "C:\\work/src\\KrCore/KrString.cpp", "KrIndexError", "String.cpp"},
        {7, "KrIndexError", "/src/KrCore\\lib/KrArray.h", "KrIndexError", "KrArray.h"},
        {19, "KrFormatErr", "plain.cpp", "FormatErr", "plain.cpp"},
        {23, "KrDimMismatch", "src/KrVector", "DimMismatch", "Vector"},
        {3, "KrArgErr", nullptr, "KrArgErr", nullptr},
        {43, "KrIOErr", nullptr, "KrIOErr", nullptr},
        {1, "KrUndefProc", nullptr, "KrUndefProc", nullptr},
        {2, "KrUnexpectedErr", nullptr, "KrUnexpectedErr", nullptr},
        {51, "KrOutOfRange", nullptr, "KrOutOfRange", nullptr},
        {8, "KrEOFReached", nullptr, "KrEOFReached", nullptr},
        {20, "kRPtrInvalid", "kRdata.txt", "PtrInvalid", "data.txt"},
        {9, "Kr", "folder/", "", ""},
        {9, "K", "Kr", "K", ""},
        {5, nullptr, nullptr, "Unknown", nullptr},
        {0, nullptr, nullptr, nullptr, nullptr},
        {0, "", "", "", ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Shown(c.name) + " / " + Shown(c.file));
        const KrError error(c.code, c.name, c.file, 12);
        EXPECT_EQ(error.Code(), c.code);
        EXPECT_EQ(Shown(error.Name()), Shown(c.recordedName));
        EXPECT_EQ(Shown(error.File()), Shown(c.recordedFile));
        EXPECT_EQ(error.Line(), 12);
    }
}

TEST(KrError, CopiesOwnTheirTexts)
{
    KrError* source = new KrError(19, "KrFormatErr", "/src/KrVector.cpp", 40);
    const KrError copy(*source);
    KrError assigned(0, nullptr, nullptr, 0);
    assigned = *source;
    const KrError& alias = assigned;
    assigned = alias; // self-assignment keeps the texts
    delete source;
    const KrError* copies[] = {&copy, &assigned};
    for (const KrError* error : copies)
    {
        EXPECT_EQ(error->Code(), 19);
        EXPECT_EQ(Shown(error->Name()), "FormatErr");
        EXPECT_EQ(Shown(error->File()), "Vector.cpp");
        EXPECT_EQ(error->Line(), 40);
    }
}

TEST(KrError, RaiseSuppliesTheRaisingFileAndLine)
{
    int32_t line = 0;
    try
    {
        line = __LINE__ + 1;
        KR_RAISE(KrErrNotFound);
    }
    catch (const KrError& error)
    {
        EXPECT_EQ(error.Code(), 9);
        EXPECT_EQ(Shown(error.Name()), "NotFound");
        EXPECT_EQ(Shown(error.File()), "KrErrorTest.cpp");
        EXPECT_EQ(error.Line(), line);
        return;
    }
    FAIL() << "nothing raised";
}
