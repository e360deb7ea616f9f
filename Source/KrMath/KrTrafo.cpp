#include "KrMath/KrTrafo.h"

#include "KrData/KrArray.h"
#include "KrData/KrDataBase.h"
#include "KrPlatform/KrPlatform.h"

namespace
{
const char kClassName[] = "KrTrafo";

// How long TransformMatrix stays quiet between two progress reports.
const int64_t kProgressIntervalMs = 200;
}

// Two parallel arrays in insertion order: keys[i] has the value values[i].
struct KrTrafo::Attributes
{
    KrArray<int32_t> keys;
    KrArray<KrString> values;
};

KrTrafo::KrTrafo() = default;

KrTrafo::~KrTrafo() = default;

KrCastBase* KrTrafo::Cast(const char* className)
{
    return IsNamed(className, kClassName) ? this : KrObject::Cast(className);
}

const char* KrTrafo::ClassName() const
{
    return kClassName;
}

int32_t KrTrafo::GetOne() const
{
    return 1;
}

int32_t KrTrafo::GetInputDimension() const
{
    return 0;
}

int32_t KrTrafo::GetOutputDimension(int32_t inputDimension) const
{
    return inputDimension;
}

int32_t KrTrafo::GetInputSpace() const
{
    return 0;
}

int32_t KrTrafo::GetOutputSpace(int32_t inputSpace) const
{
    return inputSpace;
}

KrVector KrTrafo::Transform(const KrVector& in) const
{
    return in;
}

KrMatrix KrTrafo::TransformMatrix(const KrMatrix& in, KrProgressObserver* progress) const
{
    KrMatrix result;
    const int32_t count = in.GetColumns();
    if (count <= 0)
    {
        result.SetType(GetOutputSpace(in.GetType()));
        return result;
    }
    int64_t noted = KrPlatformMilliseconds();
    KrVector previous = in.GetColumnVector(0);
    KrVector out = Transform(previous);
    result = KrMatrix(out.GetSize(), count, out.GetType());
    result.SetColumn(0, out);
    for (int32_t i = 1; i < count; ++i)
    {
        if (progress != nullptr && KrPlatformMilliseconds() - noted > kProgressIntervalMs)
        {
            progress->ReportProgress(double(i) / (count - 1));
            noted = KrPlatformMilliseconds();
        }
        KrVector column = in.GetColumnVector(i);
        if (column != previous)
        {
            out = Transform(column);
            previous = column;
        }
        result.SetColumn(i, out);
    }
    return result;
}

void KrTrafo::TransformInto(const KrVectorData& in, KrVectorData& out) const
{
    const KrVector result = Transform(KrVector(in));
    out.Assign(result);
}

void KrTrafo::TransformMatrixInto(const KrMatrixData& in, KrMatrixData& out, KrProgressObserver*) const
{
    const KrMatrix result = TransformMatrix(KrMatrix(in), nullptr);
    out.Assign(result);
}

void KrTrafo::ReadSettings(KrDataBase& db)
{
    db.GetString("Type", KrString());
}

void KrTrafo::WriteSettings(KrDataBase& db) const
{
    db.Set("Type", ClassName());
}

KrString KrTrafo::GetAttribute(int32_t key)
{
    if (attributes == nullptr)
        InitAttributesOnce();
    if (attributes == nullptr)
        return KrString();
    const int32_t index = attributes->keys.Find(key);
    return index >= 0 ? attributes->values.At(index) : KrString();
}

void KrTrafo::SetAttribute(int32_t key, const KrString& value)
{
    if (attributes == nullptr)
    {
        attributes = std::make_unique<Attributes>();
        InitAttributesOnce();
    }
    int32_t index = attributes->keys.Find(key);
    if (index < 0)
    {
        index = attributes->keys.Size();
        attributes->keys.SetSize(index + 1);
        attributes->values.SetSize(index + 1);
        attributes->keys.At(index) = key;
    }
    attributes->values.At(index) = value;
}

void KrTrafo::InitAttributes()
{
}

void KrTrafo::InitAttributesOnce()
{
    if (attributesInitialized)
        return;
    attributesInitialized = true;
    InitAttributes();
}
