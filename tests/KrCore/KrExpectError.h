// Checks that a statement raises a KrError of a given kind.
#pragma once

#include "KrCore/KrError.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

inline ::testing::AssertionResult RaisesKind(const std::function<void()>& action, const KrErrorKind& kind)
{
    try
    {
        action();
    }
    catch (const KrError& error)
    {
        const KrError expected(kind.code, kind.name, nullptr, 0);
        if (error.Code() == expected.Code() && error.Name() != nullptr && std::strcmp(error.Name(), expected.Name()) == 0)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "raised " << error.Code() << " " << (error.Name() ? error.Name() : "(null)")
                                             << ", expected " << kind.code << " " << kind.name;
    }
    return ::testing::AssertionFailure() << "nothing raised, expected " << kind.code << " " << kind.name;
}

#define EXPECT_RAISES(statement, kind) EXPECT_TRUE(RaisesKind([&] { statement; }, kind))
