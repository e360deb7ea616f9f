// Shared pieces of the transform, spline and curve tests.
#pragma once

#include "KrMath/KrMatrix.h"
#include "KrMath/KrVector.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

using Values = std::vector<double>;

inline KrVector MakeVector(std::initializer_list<double> values, int32_t tag = 0)
{
    return KrVector(static_cast<int32_t>(values.size()), tag, values.begin());
}

inline Values Elements(const KrVector& v)
{
    Values elements;
    for (int32_t i = 0; i < v.GetSize(); ++i)
        elements.push_back(v.Get(i));
    return elements;
}

// A matrix with one column per point.
inline KrMatrix MakePoints(std::initializer_list<std::initializer_list<double>> columns, int32_t tag = 0)
{
    const int32_t rows = columns.size() == 0 ? 0 : static_cast<int32_t>(columns.begin()->size());
    KrMatrix m(rows, static_cast<int32_t>(columns.size()), tag);
    int32_t c = 0;
    for (const auto& column : columns)
    {
        int32_t r = 0;
        for (double value : column)
            m.At(r++, c) = value;
        ++c;
    }
    return m;
}
