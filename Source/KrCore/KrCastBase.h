// Root of the classes that answer a type test by class name.
#pragma once

class KrCastBase
{
public:
    // The order of these virtual functions is shared with a separately built host: keep it.

    // This object when className names its class or one of its bases, else null.
    virtual KrCastBase* Cast(const char* className);
    virtual const char* ClassName() const;
    virtual ~KrCastBase();

protected:
    // Exact byte comparison; a null className names no class.
    static bool IsNamed(const char* className, const char* ownName);
};
