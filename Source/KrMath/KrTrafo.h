// The colour transform: maps one colour (a vector tagged with its colour space) to another,
// and every column of a matrix the same way. Hosts hand over transforms of their own with
// this table, so its order is shared with them.
#pragma once

#include "KrCore/KrObject.h"
#include "KrCore/KrString.h"
#include "KrMath/KrMatrix.h"
#include "KrMath/KrVector.h"

#include <cstdint>
#include <memory>

class KrDataBase;

// The host's progress observer: only its second operation is ever called.
class KrProgressObserver
{
public:
    // The first operation of the host's table; the system never calls it.
    virtual void Unused() {}
    // fraction runs from 0 to 1.
    virtual void ReportProgress(double fraction) = 0;

protected:
    ~KrProgressObserver() = default;
};

class KrTrafo : public KrObject
{
public:
    KrTrafo();
    ~KrTrafo() override;

    // The order of these virtual functions is shared with a separately built host: keep it,
    // and declare nothing virtual before the last of them in a derived class.
    KrCastBase* Cast(const char* className) override;
    const char* ClassName() const override;
    virtual int32_t GetOne() const;
    virtual int32_t GetInputDimension() const;
    virtual int32_t GetOutputDimension(int32_t inputDimension) const;
    virtual int32_t GetInputSpace() const;
    // The colour space of the result for an input of inputSpace.
    virtual int32_t GetOutputSpace(int32_t inputSpace) const;
    // The identity here.
    virtual KrVector Transform(const KrVector& in) const;
    // Every column through Transform; a column equal to the one before reuses its result.
    // progress, when given, hears at most every 200 ms how far the columns have got.
    virtual KrMatrix TransformMatrix(const KrMatrix& in, KrProgressObserver* progress) const;
    // Reads in only through its interface and writes out only through Assign: both may be a
    // host's, and the same object.
    virtual void TransformInto(const KrVectorData& in, KrVectorData& out) const;
    virtual void TransformMatrixInto(const KrMatrixData& in, KrMatrixData& out, KrProgressObserver* ignored) const;
    virtual void ReadSettings(KrDataBase& db);
    virtual void WriteSettings(KrDataBase& db) const;
    // Empty text for a key that has no value.
    virtual KrString GetAttribute(int32_t key);
    virtual void SetAttribute(int32_t key, const KrString& value);
    // Stores the default attributes; runs once, at the first GetAttribute or SetAttribute.
    virtual void InitAttributes();

private:
    struct Attributes;

    // Runs InitAttributes unless it has run already.
    void InitAttributesOnce();

    std::unique_ptr<Attributes> attributes; // null until the first SetAttribute
    bool attributesInitialized = false;
};
