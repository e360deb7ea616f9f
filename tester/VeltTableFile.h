// The table files VeltTester reads from its own directory, and the reader of their numbers.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// Entry 38 calibrates with the 1024 numbers of this file.
constexpr const char* kVeltCalibrationTableFile = "gamma_table.txt";
constexpr std::size_t kVeltCalibrationTableSize = 1024;

// Entries 39 and 40 upload one of these 256-number curves, chosen by its index.
struct VeltGammaFile {
    const char* name;
    double gamma;  // the exponent the file's curve was made with
};
constexpr VeltGammaFile kVeltGammaFiles[] = {
    {"g1.6.txt", 1.6}, {"g1.8.txt", 1.8}, {"g2.0.txt", 2.0}, {"g2.2.txt", 2.2},
    {"g2.4.txt", 2.4}, {"g2.6.txt", 2.6}, {"g2.8.txt", 2.8},
};
constexpr int kVeltGammaFileCount = static_cast<int>(sizeof kVeltGammaFiles / sizeof kVeltGammaFiles[0]);
constexpr std::size_t kVeltGammaTableSize = 256;

enum class VeltTableStatus {
    Complete,    // all the wanted numbers were read
    TooFew,      // the text ended before them
    Malformed,   // a piece of text between blanks is not a finite number
    Unreadable,  // the stream reported a read error
};

struct VeltTableReading {
    VeltTableStatus status;
    std::size_t found;  // numbers read before the reading stopped
};

// Reads `count` whitespace-separated decimal numbers into `numbers` (as 32-bit floats, in file
// order); anything after them is left unread. On any problem `numbers` is left empty.
VeltTableReading ReadVeltTableNumbers(std::FILE* file, std::size_t count, std::vector<float>& numbers);

// Reads `count` numbers from the file at `path`. On failure answers false, leaves `numbers` empty
// and sets `problem` to a one-line message naming the file and what was wrong.
bool LoadVeltTableFile(const std::string& path, std::size_t count, std::vector<float>& numbers,
                       std::string& problem);
