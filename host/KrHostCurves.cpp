#include "KrHostCurves.h"

#include <lcms2.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

namespace
{
double Level(int i) { return i / double(kHostLevels - 1); }

// CIE lightness L* = 100 x back to relative luminance.
double LightnessToLinear(double x)
{
    const double lightness = 100.0 * x;
    const double kappa = 24389.0 / 27.0;
    return lightness > 8.0 ? std::pow((lightness + 16.0) / 116.0, 3.0) : lightness / kappa;
}

double SRGBToLinear(double x) { return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4); }

// The whole word as a number from 0 to 1.
bool ParseTableValue(const std::string& word, double& value)
{
    char* end = nullptr;
    value = std::strtod(word.c_str(), &end);
    return !word.empty() && *end == '\0' && value >= 0.0 && value <= 1.0;
}

std::string EscapeXml(const std::string& text)
{
    std::string escaped;
    for (char c : text)
    {
        switch (c)
        {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

struct ProfileCloser
{
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
}

KrHostTables KrReadTableFile(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        throw KrHostInputError("cannot read the table file " + path + ": " + std::strerror(errno));
    KrHostTables tables{};
    int rows = 0;
    int lineNumber = 0;
    for (std::string line; std::getline(file, line);)
    {
        ++lineNumber;
        std::istringstream words(line);
        std::string word;
        if (!(words >> word) || word[0] == '#')
            continue;
        const std::string where = path + ", line " + std::to_string(lineNumber) + ": ";
        if (rows == kHostLevels)
            throw KrHostInputError(where + "more than 256 rows");
        for (int channel = 0; channel < 3; ++channel)
        {
            if (channel > 0 && !(words >> word))
                throw KrHostInputError(where + "needs three numbers \"r g b\"");
            if (!ParseTableValue(word, tables[channel][rows]))
                throw KrHostInputError(where + "not a number from 0 to 1: " + word);
        }
        if (words >> word)
            throw KrHostInputError(where + "more than three numbers");
        ++rows;
    }
    if (file.bad())
        throw KrHostInputError("cannot read the table file " + path);
    if (rows != kHostLevels)
        throw KrHostInputError("the table file " + path + " has " + std::to_string(rows) + " rows, not 256");
    return tables;
}

KrHostTables KrReadProfileCurves(const std::string& path)
{
    const std::unique_ptr<void, ProfileCloser> profile(cmsOpenProfileFromFile(path.c_str(), "r"));
    if (profile == nullptr)
        throw KrHostInputError("cannot read the ICC profile " + path);
    const auto* curves = static_cast<cmsToneCurve* const*>(cmsReadTag(profile.get(), cmsSigVcgtTag));
    if (curves == nullptr)
        throw KrHostInputError("the ICC profile " + path + " has no calibration curves (no 'vcgt' tag)");
    KrHostTables tables{};
    for (int channel = 0; channel < 3; ++channel)
        for (int i = 0; i < kHostLevels; ++i)
            tables[channel][i] = cmsEvalToneCurveFloat(curves[channel], cmsFloat32Number(Level(i)));
    return tables;
}

KrHostTables KrGammaTables(double gamma)
{
    double (*curve)(double) = nullptr;
    if (gamma == 0.0)
        curve = LightnessToLinear;
    else if (gamma == -4.0)
        curve = SRGBToLinear;
    else if (!(gamma > 0.0))
        throw KrHostInputError("no plot for gamma " + std::to_string(gamma) + ": only above 0, 0 (L*) and -4 (sRGB)");
    KrHostTables tables{};
    for (int i = 0; i < kHostLevels; ++i)
    {
        const double value = curve != nullptr ? curve(Level(i)) : std::pow(Level(i), gamma);
        for (auto& table : tables)
            table[i] = value;
    }
    return tables;
}

void KrWritePlot(const std::string& path, const KrHostTables& tables, const std::string& title)
{
    // Plot area in pixels, inside margins for the title and the axis labels.
    const double left = 60, top = 50, width = 512, height = 400;
    double topValue = 1.0;
    for (const auto& table : tables)
        for (double value : table)
            topValue = std::max(topValue, value);
    const auto x = [&](double input) { return left + input * width; };
    const auto y = [&](double output) { return top + height - output / topValue * height; };

    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << left + width + 30 << "\" height=\""
        << top + height + 50 << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"" << left + width / 2 << "\" y=\"28\" text-anchor=\"middle\" font-size=\"16\">"
        << EscapeXml(title) << "</text>\n";
    for (int step = 0; step <= 10; ++step)
    {
        const double input = step / 10.0;
        const double output = topValue * step / 10.0;
        svg << "<line x1=\"" << x(input) << "\" y1=\"" << top << "\" x2=\"" << x(input) << "\" y2=\"" << top + height
            << "\" stroke=\"#ddd\"/>\n"
            << "<line x1=\"" << left << "\" y1=\"" << y(output) << "\" x2=\"" << left + width << "\" y2=\""
            << y(output) << "\" stroke=\"#ddd\"/>\n"
            << "<text x=\"" << x(input) << "\" y=\"" << top + height + 16 << "\" text-anchor=\"middle\">" << input
            << "</text>\n"
            << "<text x=\"" << left - 6 << "\" y=\"" << y(output) + 4 << "\" text-anchor=\"end\">" << output
            << "</text>\n";
    }
    svg << "<line x1=\"" << left << "\" y1=\"" << top + height << "\" x2=\"" << left + width << "\" y2=\""
        << top + height << "\" stroke=\"black\"/>\n"
        << "<line x1=\"" << left << "\" y1=\"" << top << "\" x2=\"" << left << "\" y2=\"" << top + height
        << "\" stroke=\"black\"/>\n"
        << "<text x=\"" << left + width / 2 << "\" y=\"" << top + height + 36
        << "\" text-anchor=\"middle\">grey level / 255</text>\n";
    const char* const colours[] = {"red", "green", "blue"};
    for (int channel = 0; channel < 3; ++channel)
    {
        svg << "<polyline fill=\"none\" stroke=\"" << colours[channel] << "\" points=\"";
        for (int i = 0; i < kHostLevels; ++i)
            svg << (i > 0 ? " " : "") << x(Level(i)) << "," << y(tables[channel][i]);
        svg << "\"/>\n";
    }
    svg << "</svg>\n";

    std::ofstream file(path);
    file << svg.str();
    file.close();
    if (!file)
        throw KrHostInputError("cannot write the plot " + path);
}
