#include "KrCore/KrObject.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// Tells when it is destroyed.
class Tracked : public KrObject
{
public:
    explicit Tracked(bool& destroyed) : destroyed(destroyed) {}
    ~Tracked() override { destroyed = true; }

private:
    bool& destroyed;
};

// A class that declares its own name, as filters and transforms do.
class Named : public KrObject
{
public:
    KrCastBase* Cast(const char* className) override
    {
        return IsNamed(className, "KrNamed") ? this : KrObject::Cast(className);
    }
    const char* ClassName() const override { return "KrNamed"; }
};

class NamedChild : public Named
{
};
}

TEST(KrObject, LastReleaseDestroysThroughTheVirtualDestructor)
{
    bool destroyed = false;
    KrObject* object = new Tracked(destroyed);
    EXPECT_EQ(object->RefCount(), 1);
    object->Retain();
    EXPECT_EQ(object->RefCount(), 2);
    object->Release();
    EXPECT_EQ(object->RefCount(), 1);
    EXPECT_FALSE(destroyed);
    object->Release();
    EXPECT_TRUE(destroyed);
}

TEST(KrObject, CastAnswersOnlyTheNamesOfItsClassAndBases)
{
    struct Case
    {
        const char* className;
        bool base;       // the root class answers
        bool object;     // a plain KrObject answers
        bool named;      // a class with its own name answers
        bool namedChild; // its subclass answers
    };
    const Case cases[] = {
        {"KrCastBase", true, true, true, true},
        {"KrObject", false, true, true, true},
        {"KrNamed", false, false, true, true},
        {"krnamed", false, false, false, false},
        {"KrObjec", false, false, false, false},
        {"KrNamedChild", false, false, false, false},
        {"", false, false, false, false},
        {nullptr, false, false, false, false},
    };
    KrCastBase base;
    KrObject object;
    Named named;
    NamedChild namedChild;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.className ? c.className : "(null)");
        EXPECT_EQ(base.Cast(c.className), c.base ? &base : nullptr);
        EXPECT_EQ(object.Cast(c.className), c.object ? &object : nullptr);
        EXPECT_EQ(named.Cast(c.className), c.named ? &named : nullptr);
        EXPECT_EQ(namedChild.Cast(c.className), c.namedChild ? &namedChild : nullptr);
    }
    EXPECT_EQ(std::string(base.ClassName()), "KrCastBase");
    EXPECT_EQ(std::string(object.ClassName()), "KrObject");
    EXPECT_EQ(std::string(namedChild.ClassName()), "KrNamed");
}
