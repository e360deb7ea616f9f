// The host's own calibration transform: each channel of an 'RGB ' colour (0 to 255) goes
// through that channel's table, read between its 256 entries by straight lines.
#pragma once

#include "KrHostCurves.h"
#include "KrPluginInterface.h"

#include <vector>

// A vector of the host's, handed to the plug-in's vectors through KrVectorData.
class KrHostVector : public KrVectorData
{
public:
    KrVectorData& Assign(const KrVectorData& source) override;
    int32_t GetSize() const override { return int32_t(values.size()); }
    void SetSize(int32_t n) override { values.resize(n > 0 ? size_t(n) : 0); }
    double Get(int32_t index) const override { return values.at(size_t(index)); }
    double& At(int32_t index) override { return values.at(size_t(index)); }
    int32_t GetType() const override { return type; }
    void SetType(int32_t tag) override { type = tag; }

private:
    std::vector<double> values;
    int32_t type = 0;
};

class KrHostCurveTrafo : public KrTrafo
{
public:
    explicit KrHostCurveTrafo(const KrHostTables& tables) : tables(tables) {}

    KrObject* Cast(const char* className) override;
    const char* ClassName() const override { return "KrHostCurveTrafo"; }

    int32_t GetOne() const override { return 1; }
    int32_t GetInputDimension() const override { return 3; }
    int32_t GetOutputDimension(int32_t) const override { return 3; }
    int32_t GetInputSpace() const override { return kRGBSpace; }
    int32_t GetOutputSpace(int32_t) const override { return kRGBSpace; }
    // Values of the plug-in's own kind cannot be made here: both answer empty values.
    KrVector Transform(const KrVector&) const override { return KrVector(); }
    KrMatrix TransformMatrix(const KrMatrix&, KrProgressObserver*) const override { return KrMatrix(); }
    // The first three components of in through the tables; out becomes an 'RGB ' triple. An
    // input with fewer components leaves out as it was.
    void TransformInto(const KrVectorData& in, KrVectorData& out) const override;
    void TransformMatrixInto(const KrMatrixData&, KrMatrixData&, KrProgressObserver*) const override {}
    void ReadSettings(KrDataBase&) override {}
    void WriteSettings(KrDataBase&) const override {}
    KrString GetAttribute(int32_t) override { return KrString(); }
    void SetAttribute(int32_t, const KrString&) override {}
    void InitAttributes() override {}

    static constexpr int32_t kRGBSpace = 0x52474220; // 'RGB '

private:
    KrHostTables tables;
};
