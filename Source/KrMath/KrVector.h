// A small array of doubles with a colour-space tag: a value type whose copies share one
// counted record until the first write (MakeExclusive) gives the writer its own.
#pragma once

#include "KrCore/KrString.h"
#include "KrMath/KrVectorBlock.h"
#include "KrMath/KrVectorData.h"

#include <cstdint>

class KrStream;

class KrVector : public KrVectorData
{
public:
    // No record when n and tag are both 0. Without values the elements start at 0.0.
    explicit KrVector(int32_t n = 0, int32_t tag = 0, const double* values = nullptr)
        : block(n == 0 && tag == 0 ? nullptr : KrVectorBlock::Acquire(n, tag, values))
    {
    }
    KrVector(const KrVector& other) : block(other.block) { KrVectorBlock::Retain(block); }
    KrVector(KrVector&& other) noexcept : block(other.block) { other.block = nullptr; }
    explicit KrVector(const KrVectorData& source);
    KrVector& operator=(const KrVector& other);
    KrVector& operator=(KrVector&& other) noexcept;

    // The order of these virtual functions is shared with a separately built host: keep it.
    ~KrVector() override { KrVectorBlock::Release(block); }
    KrVectorData& Assign(const KrVectorData& source) override;
    int32_t GetSize() const override { return block != nullptr ? block->count : 0; }
    // A new record of n elements unless n is the size already: leading values are kept, new
    // ones are 0.0. A negative n keeps no elements and is reported by GetSize as it is.
    void SetSize(int32_t n) override;
    double Get(int32_t index) const final;
    double& At(int32_t index) final;
    int32_t GetType() const override { return block != nullptr ? block->type : 0; }
    void SetType(int32_t tag) override;
    // n doubles as further arguments (pass doubles, not integers).
    virtual void SetValues(int32_t n, ...);
    virtual void SetValues(int32_t n, const double* values);
    virtual void GetValues(double* out) const;
    // Codes of each element between the bounds low and high, rounded half up and clamped.
    virtual void ToUInt16(uint16_t* out, const KrVectorData& low, const KrVectorData& high) const;
    // Takes the size of low; the tag stays.
    virtual void FromUInt16(const uint16_t* in, const KrVectorData& low, const KrVectorData& high);
    virtual void ToUInt8(uint8_t* out, const KrVectorData& low, const KrVectorData& high) const;
    virtual void FromUInt8(const uint8_t* in, const KrVectorData& low, const KrVectorData& high);
    // Each element printed with format (null: "%f ") and appended.
    virtual KrString ToText(const char* format = nullptr) const;
    // The numbers at the start of text, up to the first that is not one, read as 32-bit
    // floats; the tag stays.
    virtual void FromText(const KrString& text);
    // The DIM/TYPE/BEGIN_DATA/END_DATA form; the stream is borrowed.
    virtual void ReadFrom(KrStream* stream);
    virtual void WriteTo(KrStream* stream, const char* format = nullptr) const;

    // Gives this vector a record of its own when it shares one.
    void MakeExclusive();

    // The range first..last; a negative first means 0, a negative last the final element. A
    // range that is empty or passes the end raises KrIndexError.
    void Fill(double value, int32_t first = -1, int32_t last = -1);
    // Clamps into [low, high].
    void Clip(double low, double high, int32_t first = -1, int32_t last = -1);
    double Max(int32_t first = -1, int32_t last = -1) const;

    // The elements read as a function sampled at 0, 1/(n - 1), ..., 1, interpolated linearly.
    // Positions outside 0..1 and a NaN position give the nearer end (NaN: element 0).
    double Sample(double x) const;
    // The position in 0..1 where the vector reaches y (rising, or falling or flat). A single
    // element reads as flat: 0 from its value upwards, else 1.
    double InverseSample(double y) const;

    double SquaredDistance(const KrVector& other) const;
    double Distance(const KrVector& other) const;
    KrVector& operator+=(const KrVector& other);
    KrVector& operator-=(const KrVector& other);
    KrVector& operator*=(double s);

    // The elements in order; null without a record. Copies that share a record answer the same.
    const double* Data() const { return block != nullptr ? block->Values() : nullptr; }

private:
    // Resolves the defaults of a range and checks it against the size.
    void ResolveRange(int32_t& first, int32_t& last) const;
    void CheckIndex(int32_t index) const;
    // The record of a vector with at least one element; KrDimMismatch otherwise.
    const KrVectorBlock& NonEmptyBlock() const;
    // Replaces the record, dropping the reference to the old one.
    void Replace(KrVectorBlock* replacement);

    KrVectorBlock* block = nullptr;
};

double Dot(const KrVector& a, const KrVector& b);
bool operator==(const KrVector& a, const KrVector& b);
bool operator!=(const KrVector& a, const KrVector& b);
// Results take the size and tag of the left operand.
KrVector operator+(const KrVector& a, const KrVector& b);
KrVector operator-(const KrVector& a, const KrVector& b);
KrVector operator*(const KrVector& v, double s);
KrVector operator*(double s, const KrVector& v);
