#include "KrMath/KrVector.h"

#include "KrCore/KrError.h"
#include "KrMath/KrNumberText.h"
#include "Krio/KrXStream.h"

#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace
{
const char kDefaultTextFormat[] = "%f ";
const char kDefaultStreamFormat[] = "%f";
// Below this difference two neighbours count as one level.
const double kFlatStep = 1e-8;

// The stream form: words and their NUL fit this buffer, comments skip this much of a line.
const uint32_t kWordBufferSize = 64;
const uint32_t kCommentSkipSize = 1000;
// The largest DIM the stream form accepts: a short text must not claim gigabytes.
const int32_t kMaxStreamDimension = 1 << 20;

int32_t ElementCount(const KrVector& v)
{
    return v.GetSize() > 0 ? v.GetSize() : 0;
}

void CheckSameSize(const KrVector& a, const KrVector& b)
{
    if (a.GetSize() != b.GetSize())
        KR_RAISE(KrErrDimMismatch);
}

void CheckConversion(bool bufferGiven, int32_t n, const KrVectorData& low, const KrVectorData& high)
{
    if (!bufferGiven || low.GetSize() != n || high.GetSize() != n)
        KR_RAISE(KrErrArgErr);
}

// The code of value between low and high, rounded half up; below the range (or NaN) 0, from
// half a step below the top maxCode.
template <class Code>
Code Quantise(double value, double low, double high)
{
    const double maxCode = std::numeric_limits<Code>::max();
    const double d = (value - low) * maxCode / (high - low);
    if (!(d >= 0.0))
        return 0;
    if (d >= maxCode - 0.5)
        return std::numeric_limits<Code>::max();
    return static_cast<Code>(d + 0.5);
}

template <class Code>
void ToCodes(const KrVector& v, Code* out, const KrVectorData& low, const KrVectorData& high)
{
    const int32_t n = v.GetSize();
    CheckConversion(out != nullptr, n, low, high);
    for (int32_t i = 0; i < n; ++i)
        out[i] = Quantise<Code>(v.Data()[i], low.Get(i), high.Get(i));
}

template <class Code>
void FromCodes(KrVector& v, const Code* in, const KrVectorData& low, const KrVectorData& high)
{
    const double maxCode = std::numeric_limits<Code>::max();
    const int32_t n = low.GetSize();
    CheckConversion(in != nullptr, n, low, high);
    v.SetSize(n);
    for (int32_t i = 0; i < n; ++i)
    {
        const double l = low.Get(i);
        const double h = high.Get(i);
        v.At(i) = l + in[i] / maxCode * (h - l);
    }
}

bool IsKeyword(const char* word, const char* keyword)
{
    return KrString(word).CompareNoCase(keyword) == 0;
}

// What the stream form expects next.
enum class StreamState
{
    Keyword,
    Dimension,
    Type,
    Data,
};
}

KrVector::KrVector(const KrVectorData& source)
{
    Assign(source);
}

KrVector& KrVector::operator=(const KrVector& other)
{
    if (block != other.block)
    {
        KrVectorBlock::Retain(other.block);
        Replace(other.block);
    }
    return *this;
}

KrVector& KrVector::operator=(KrVector&& other) noexcept
{
    if (this != &other)
    {
        Replace(other.block);
        other.block = nullptr;
    }
    return *this;
}

void KrVector::Replace(KrVectorBlock* replacement)
{
    KrVectorBlock* old = block;
    block = replacement;
    KrVectorBlock::Release(old);
}

void KrVector::MakeExclusive()
{
    if (block != nullptr && block->refCount > 1)
        Replace(KrVectorBlock::Acquire(block->count, block->type, block->Values()));
}

KrVectorData& KrVector::Assign(const KrVectorData& source)
{
    if (&source == this)
        return *this;
    const int32_t n = source.GetSize();
    KrVectorBlock* copy = KrVectorBlock::Acquire(n, source.GetType(), nullptr);
    try
    {
        for (int32_t i = 0; i < n; ++i)
            copy->Values()[i] = source.Get(i);
    }
    catch (...)
    {
        KrVectorBlock::Release(copy);
        throw;
    }
    Replace(copy);
    return *this;
}

void KrVector::SetSize(int32_t n)
{
    if (n == GetSize())
        return;
    KrVectorBlock* resized = KrVectorBlock::Acquire(n, GetType(), nullptr);
    const int32_t kept = n < ElementCount(*this) ? n : ElementCount(*this);
    if (kept > 0)
        std::memcpy(resized->Values(), block->Values(), static_cast<size_t>(kept) * sizeof(double));
    Replace(resized);
}

void KrVector::CheckIndex(int32_t index) const
{
    if (block == nullptr || index < 0 || index >= block->count)
        KR_RAISE(KrErrIndexError);
}

double KrVector::Get(int32_t index) const
{
    CheckIndex(index);
    return block->Values()[index];
}

double& KrVector::At(int32_t index)
{
    CheckIndex(index);
    MakeExclusive();
    return block->Values()[index];
}

void KrVector::SetType(int32_t tag)
{
    if (block == nullptr)
    {
        block = KrVectorBlock::Acquire(0, tag, nullptr);
    }
    else if (block->type != tag)
    {
        MakeExclusive();
        block->type = tag;
    }
}

void KrVector::SetValues(int32_t n, ...)
{
    SetSize(n);
    MakeExclusive();
    va_list values;
    va_start(values, n);
    for (int32_t i = 0; i < ElementCount(*this); ++i)
        block->Values()[i] = va_arg(values, double);
    va_end(values);
}

void KrVector::SetValues(int32_t n, const double* values)
{
    if (values == nullptr && n > 0)
        KR_RAISE(KrErrArgErr);
    SetSize(n);
    MakeExclusive();
    if (ElementCount(*this) > 0)
        std::memcpy(block->Values(), values, static_cast<size_t>(ElementCount(*this)) * sizeof(double));
}

void KrVector::GetValues(double* out) const
{
    if (ElementCount(*this) == 0)
        return;
    if (out == nullptr)
        KR_RAISE(KrErrArgErr);
    std::memcpy(out, block->Values(), static_cast<size_t>(ElementCount(*this)) * sizeof(double));
}

void KrVector::ToUInt16(uint16_t* out, const KrVectorData& low, const KrVectorData& high) const
{
    ToCodes(*this, out, low, high);
}

void KrVector::FromUInt16(const uint16_t* in, const KrVectorData& low, const KrVectorData& high)
{
    FromCodes(*this, in, low, high);
}

void KrVector::ToUInt8(uint8_t* out, const KrVectorData& low, const KrVectorData& high) const
{
    ToCodes(*this, out, low, high);
}

void KrVector::FromUInt8(const uint8_t* in, const KrVectorData& low, const KrVectorData& high)
{
    FromCodes(*this, in, low, high);
}

KrString KrVector::ToText(const char* format) const
{
    if (format == nullptr)
        format = kDefaultTextFormat;
    KrString text;
    for (int32_t i = 0; i < ElementCount(*this); ++i)
        text.Append(KrString::Format(format, block->Values()[i]));
    return text;
}

void KrVector::FromText(const KrString& text)
{
    std::vector<double> numbers;
    const char* characters = text.Text();
    for (int32_t offset = 0; offset < text.Length();)
    {
        double number = 0.0;
        const int32_t consumed = KrScanFloat(characters + offset, number);
        if (consumed == 0)
            break;
        numbers.push_back(number);
        offset += consumed;
    }
    SetValues(static_cast<int32_t>(numbers.size()), numbers.data());
}

void KrVector::ReadFrom(KrStream* stream)
{
    if (stream == nullptr)
        KR_RAISE(KrErrArgErr);
    KrXStream text(stream, false);
    StreamState state = StreamState::Keyword;
    int32_t dimension = 0;
    int32_t tag = 0;
    int32_t index = 0;
    for (;;)
    {
        char word[kWordBufferSize];
        char terminator = '\0';
        text.ReadWord(word, sizeof word, &terminator);
        if (word[0] == '\0')
            return; // the data ended; what was stored stays
        if (word[0] == '#')
        {
            if (terminator != '\n' && terminator != '\r')
                text.ReadLine(nullptr, kCommentSkipSize);
            continue;
        }
        switch (state)
        {
        case StreamState::Keyword:
            if (IsKeyword(word, "BEGIN_DATA"))
            {
                if (dimension < 1 || dimension > kMaxStreamDimension)
                    KR_RAISE(KrErrArgErr);
                SetSize(dimension);
                SetType(tag);
                MakeExclusive();
                index = 0;
                state = StreamState::Data;
            }
            else if (IsKeyword(word, "DIM"))
            {
                state = StreamState::Dimension;
            }
            else if (IsKeyword(word, "TYPE"))
            {
                state = StreamState::Type;
            }
            break;
        case StreamState::Dimension:
            KrScanInt32(word, dimension);
            state = StreamState::Keyword;
            break;
        case StreamState::Type:
            KrScanInt32(word, tag);
            state = StreamState::Keyword;
            break;
        case StreamState::Data:
            if (IsKeyword(word, "END_DATA"))
                return;
            if (index < dimension) // values beyond the dimension are ignored
                block->Values()[index++] = std::strtod(word, nullptr);
            break;
        }
    }
}

void KrVector::WriteTo(KrStream* stream, const char* format) const
{
    if (stream == nullptr)
        KR_RAISE(KrErrArgErr);
    if (format == nullptr)
        format = kDefaultStreamFormat;
    KrString text = KrString::Format("DIM %2d\nTYPE %ld\nBEGIN_DATA\n", GetSize(), static_cast<long>(GetType()));
    for (int32_t i = 0; i < ElementCount(*this); ++i)
    {
        text.Append(KrString::Format(format, block->Values()[i]));
        text.Append('\t');
    }
    text.Append("\nEND_DATA\n");
    stream->Write(text.Text(), text.Length(), nullptr);
}

void KrVector::ResolveRange(int32_t& first, int32_t& last) const
{
    const int32_t size = GetSize();
    if (first < 0)
        first = 0;
    if (last < 0)
        last = size - 1;
    if (first >= size || last < first || last >= size)
        KR_RAISE(KrErrIndexError);
}

void KrVector::Fill(double value, int32_t first, int32_t last)
{
    if (block == nullptr)
        return;
    ResolveRange(first, last);
    MakeExclusive();
    for (int32_t i = first; i <= last; ++i)
        block->Values()[i] = value;
}

void KrVector::Clip(double low, double high, int32_t first, int32_t last)
{
    if (block == nullptr)
        return;
    ResolveRange(first, last);
    MakeExclusive();
    for (int32_t i = first; i <= last; ++i)
    {
        double& element = block->Values()[i];
        if (low > element)
            element = low;
        else if (high < element)
            element = high;
    }
}

const KrVectorBlock& KrVector::NonEmptyBlock() const
{
    if (block == nullptr || block->count < 1)
        KR_RAISE(KrErrDimMismatch);
    return *block;
}

double KrVector::Max(int32_t first, int32_t last) const
{
    const double* v = NonEmptyBlock().Values();
    ResolveRange(first, last);
    double largest = v[first];
    for (int32_t i = first + 1; i <= last; ++i)
    {
        if (v[i] > largest)
            largest = v[i];
    }
    return largest;
}

double KrVector::Sample(double x) const
{
    const KrVectorBlock& samples = NonEmptyBlock();
    const int32_t n = samples.count;
    const double* v = samples.Values();
    if (n == 1 || !(x > 0.0))
        return v[0];
    if (x >= 1.0)
        return v[n - 1];
    // x < 1, so t stays below n - 1 and v[i + 1] exists.
    const double t = x * (n - 1);
    const int32_t i = static_cast<int32_t>(t);
    const double f = t - i;
    return (1.0 - f) * v[i] + f * v[i + 1];
}

double KrVector::InverseSample(double y) const
{
    const KrVectorBlock& samples = NonEmptyBlock();
    const int32_t n = samples.count;
    const double* v = samples.Values();
    if (n == 1) // read as flat: its position is 0 from its value upwards, else 1
        return y < v[0] ? 1.0 : 0.0;

    int32_t lo = 0;
    int32_t hi = n - 1;
    if (v[n - 1] > v[0])
    {
        if (y <= v[0])
            return 0.0;
        if (y >= v[n - 1])
            return 1.0;
        while (lo + 1 < hi)
        {
            const int32_t mid = lo + (hi - lo) / 2;
            if (y < v[mid])
                hi = mid;
            else
                lo = mid;
        }
    }
    else
    {
        if (y >= v[0])
            return 0.0;
        if (y <= v[n - 1])
            return 1.0;
        while (lo + 1 < hi)
        {
            const int32_t mid = lo + (hi - lo) / 2;
            if (y < v[mid])
                lo = mid;
            else
                hi = mid;
        }
    }
    const double x0 = static_cast<double>(lo) / (n - 1);
    const double x1 = static_cast<double>(hi) / (n - 1);
    const double step = v[hi] - v[lo];
    if (std::fabs(step) <= kFlatStep)
        return (x0 + x1) / 2.0;
    return x0 + (y - v[lo]) / step * (x1 - x0);
}

double KrVector::SquaredDistance(const KrVector& other) const
{
    CheckSameSize(*this, other);
    double sum = 0.0;
    for (int32_t i = 0; i < ElementCount(*this); ++i)
    {
        const double d = Data()[i] - other.Data()[i];
        sum += d * d;
    }
    return sum;
}

double KrVector::Distance(const KrVector& other) const
{
    return std::sqrt(SquaredDistance(other));
}

KrVector& KrVector::operator+=(const KrVector& other)
{
    CheckSameSize(*this, other);
    MakeExclusive();
    for (int32_t i = 0; i < ElementCount(*this); ++i)
        block->Values()[i] += other.Data()[i];
    return *this;
}

KrVector& KrVector::operator-=(const KrVector& other)
{
    CheckSameSize(*this, other);
    MakeExclusive();
    for (int32_t i = 0; i < ElementCount(*this); ++i)
        block->Values()[i] -= other.Data()[i];
    return *this;
}

KrVector& KrVector::operator*=(double s)
{
    MakeExclusive();
    for (int32_t i = 0; i < ElementCount(*this); ++i)
        block->Values()[i] *= s;
    return *this;
}

double Dot(const KrVector& a, const KrVector& b)
{
    CheckSameSize(a, b);
    double sum = 0.0;
    for (int32_t i = 0; i < ElementCount(a); ++i)
        sum += a.Data()[i] * b.Data()[i];
    return sum;
}

bool operator==(const KrVector& a, const KrVector& b)
{
    if (a.Data() == b.Data())
        return true;
    if (a.GetSize() != b.GetSize())
        return false;
    for (int32_t i = 0; i < ElementCount(a); ++i)
    {
        if (!(a.Data()[i] == b.Data()[i]))
            return false;
    }
    return true;
}

bool operator!=(const KrVector& a, const KrVector& b)
{
    return !(a == b);
}

KrVector operator+(const KrVector& a, const KrVector& b)
{
    KrVector sum(a);
    sum += b;
    return sum;
}

KrVector operator-(const KrVector& a, const KrVector& b)
{
    KrVector difference(a);
    difference -= b;
    return difference;
}

KrVector operator*(const KrVector& v, double s)
{
    KrVector product(v);
    product *= s;
    return product;
}

KrVector operator*(double s, const KrVector& v)
{
    return v * s;
}
