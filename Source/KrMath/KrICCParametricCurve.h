// The parametric tone curves of ICC colour profiles (function types 0 to 4).
#pragma once

#include "KrMath/KrVector.h"

// The curve of type at x (0..1), clamped into 0..1. params holds g, a, b, c, d, e, f as
// elements 0 to 6, of which type 0 to 4 reads the first 1, 3, 4, 5 or 7.
// KrOutOfRange: x outside 0..1 (checked first), a negative base under the power g, or a result
// that is not a number. KrArgErr: type above 4. KrIndexError: fewer parameters than the type reads.
double KrCalcICCParametricCurve(unsigned type, const KrVector& params, double x);
