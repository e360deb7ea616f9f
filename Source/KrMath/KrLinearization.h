// A tone curve that maps one channel value to another and back, normally within 0..1.
#pragma once

class KrLinearization
{
public:
    virtual ~KrLinearization() = default;
    virtual double Forward(double x) const = 0;
    // The x whose Forward value is y.
    virtual double Inverse(double y) const = 0;

protected:
    KrLinearization() = default;
    KrLinearization(const KrLinearization&) = default;
    KrLinearization& operator=(const KrLinearization&) = default;
};
