// Calibration curves on the host's side: three tables of 256 values between 0 and 1, one per
// channel, read from a text file or an ICC profile or made from a gamma, and written as a plot.
#pragma once

#include <array>
#include <stdexcept>
#include <string>

constexpr int kHostLevels = 256;

// Red, green and blue; entry i answers grey level i.
using KrHostTables = std::array<std::array<double, kHostLevels>, 3>;

// Bad input: the message names the file and what is wrong with it.
class KrHostInputError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// 256 lines "r g b" with numbers from 0 to 1; blank lines and lines starting with '#' are skipped.
KrHostTables KrReadTableFile(const std::string& path);

// The calibration curves of the profile's 'vcgt' tag, sampled at the 256 levels.
KrHostTables KrReadProfileCurves(const std::string& path);

// What a gamma request asks for on every channel: a power curve for gamma above 0, the L* curve
// for 0 and the sRGB curve for -4. Other values raise KrHostInputError.
KrHostTables KrGammaTables(double gamma);

// An SVG plot of the three tables with axes, a grid and the title.
void KrWritePlot(const std::string& path, const KrHostTables& tables, const std::string& title);
