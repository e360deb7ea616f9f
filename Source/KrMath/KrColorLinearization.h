// One tone curve per channel of a colour space: the transform the system builds itself, a
// gamma per channel for a calibration among others. Colours of a known space meet the curves
// normalised to 0..1 and are scaled back to their space afterwards; colours of any other type
// meet them raw.
#pragma once

#include "KrData/KrArray.h"
#include "KrMath/KrCurveLinearization.h"
#include "KrMath/KrVectorLinearization.h"

#include <cstdint>

class KrColorLinearization : public KrVectorLinearization
{
public:
    // As many identity curves as the space has channels (three for an unlisted signature).
    explicit KrColorLinearization(int32_t colorSpace);
    ~KrColorLinearization() override;

    // Both the number of curves.
    int32_t GetInputDimension() const override;
    int32_t GetOutputDimension(int32_t inputDimension) const override;
    // Both the space the linearization was made for.
    int32_t GetInputSpace() const override;
    int32_t GetOutputSpace(int32_t inputSpace) const override;
    // Forward.
    KrVector Transform(const KrVector& in) const override;
    // Key 1 holds "1".
    void InitAttributes() override;

    void Reset() override;
    bool IsIdentity() const override;
    // Curve i acts on element i; elements beyond the last curve stay as they are. The input's
    // own type, not the space of the linearization, decides the normalisation. KrIndexError
    // for fewer elements than curves; KrDimMismatch for a known space and no or more than 15
    // elements.
    KrVector Forward(const KrVector& in) const override;
    KrVector Inverse(const KrVector& in) const override;
    void Invert() override;
    void SetChannelCount(int32_t n) override;
    int32_t GetChannelCount() const override;
    // The character '0' + number of curves, a space, then every curve's text. The text reads
    // back only when the curve texts have equal lengths; more curves than one character can
    // count raise KrArgErr.
    KrString ToText(const char* format = nullptr) const override;
    // Empty text gives no curves. Otherwise the first character counts the curves (below '1':
    // KrArgErr) and the rest is cut into that many equal segments, one per curve.
    void FromText(const KrString& text) override;
    // Curve i becomes outer's curve i applied after itself. KrIndexError when outer has fewer
    // curves; the curves composed before that stay.
    virtual void Compose(const KrColorLinearization& outer);
    // As many curves as the space has channels; the first ones stay.
    virtual void SetColorSpace(int32_t signature);

    // KrIndexError outside 0..count - 1.
    KrCurveLinearization& GetCurve(int32_t index);
    const KrCurveLinearization& GetCurve(int32_t index) const;

private:
    using CurveDirection = double (KrCurveLinearization::*)(double) const;

    // Forward or Inverse, by the curves' direction.
    KrVector Apply(const KrVector& in, CurveDirection direction) const;

    KrArray<KrCurveLinearization> curves;
    int32_t colorSpace;
};
