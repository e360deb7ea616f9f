// Shared pieces of the vector and matrix tests.
#pragma once

#include "KrMath/KrMatrixData.h"
#include "KrMath/KrVector.h"
#include "KrMath/KrVectorData.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

// 'RGB ': the tag the devices give their colour triples.
constexpr int32_t kTagRGB = 0x52474220;

// A vector of the given elements and tag.
inline KrVector MakeVector(std::initializer_list<double> values, int32_t tag = 0)
{
    return KrVector(static_cast<int32_t>(values.size()), tag, values.begin());
}

inline std::vector<double> Elements(const KrVector& v)
{
    std::vector<double> elements;
    for (int32_t i = 0; i < v.GetSize(); ++i)
        elements.push_back(v.Get(i));
    return elements;
}

// A vector of another make, known only through the interface, as a host hands one over.
class ForeignVector : public KrVectorData
{
public:
    ForeignVector(std::vector<double> values, int32_t tag) : values(std::move(values)), tag(tag) {}

    KrVectorData& Assign(const KrVectorData& source) override
    {
        values.assign(static_cast<size_t>(source.GetSize()), 0.0);
        for (int32_t i = 0; i < source.GetSize(); ++i)
            values[size_t(i)] = source.Get(i);
        tag = source.GetType();
        return *this;
    }
    int32_t GetSize() const override { return static_cast<int32_t>(values.size()); }
    void SetSize(int32_t n) override { values.resize(static_cast<size_t>(n)); }
    double Get(int32_t index) const override { return values.at(static_cast<size_t>(index)); }
    double& At(int32_t index) override { return values.at(static_cast<size_t>(index)); }
    int32_t GetType() const override { return tag; }
    void SetType(int32_t newTag) override { tag = newTag; }

private:
    std::vector<double> values;
    int32_t tag;
};

// A row-major matrix of another make, known only through the interface.
class ForeignMatrix : public KrMatrixData
{
public:
    ForeignMatrix(int32_t rows, int32_t columns, int32_t tag, std::vector<double> values)
        : rows(rows), columns(columns), tag(tag), values(std::move(values))
    {
    }

    KrMatrixData& Assign(const KrMatrixData& source) override
    {
        SetSize(source.GetRows(), source.GetColumns());
        for (int32_t r = 0; r < rows; ++r)
        {
            for (int32_t c = 0; c < columns; ++c)
                At(r, c) = source.Get(r, c);
        }
        tag = source.GetType();
        return *this;
    }
    int32_t GetRows() const override { return rows; }
    int32_t GetColumns() const override { return columns; }
    void SetSize(int32_t newRows, int32_t newColumns) override
    {
        rows = newRows;
        columns = newColumns;
        values.resize(size_t(rows) * size_t(columns));
    }
    double Get(int32_t row, int32_t column) const override { return values.at(size_t(row) * size_t(columns) + size_t(column)); }
    double& At(int32_t row, int32_t column) override { return values.at(size_t(row) * size_t(columns) + size_t(column)); }
    int32_t GetType() const override { return tag; }
    void SetType(int32_t newTag) override { tag = newTag; }

private:
    int32_t rows;
    int32_t columns;
    int32_t tag;
    std::vector<double> values;
};
