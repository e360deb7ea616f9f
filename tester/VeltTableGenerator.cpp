// Build tool: writes VeltTester's table files into the folder named on the command line.
// "gamma_table.txt" holds (i/1023)^2.2 for i = 0..1023, each gamma file (i/255)^g for i = 0..255,
// one number per line.
#include <cmath>
#include <cstdio>
#include <string>

#include "VeltTableFile.h"

namespace {

constexpr double kCalibrationTableGamma = 2.2;

bool WriteCurve(const std::string& path, std::size_t size, double gamma)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        std::fprintf(stderr, "Cannot create %s\n", path.c_str());
        return false;
    }
    const double last = static_cast<double>(size - 1);
    for (std::size_t i = 0; i < size; ++i)
        std::fprintf(file, "%.9g\n", std::pow(static_cast<double>(i) / last, gamma));
    const bool written = std::ferror(file) == 0;
    if (std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "Cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: VeltTableGenerator FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    bool written = WriteCurve(folder + kVeltCalibrationTableFile, kVeltCalibrationTableSize, kCalibrationTableGamma);
    for (const VeltGammaFile& file : kVeltGammaFiles)
        written = WriteCurve(folder + file.name, kVeltGammaTableSize, file.gamma) && written;
    return written ? 0 : 1;
}
