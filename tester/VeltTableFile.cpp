#include "VeltTableFile.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

// No number in a table file needs more characters; a longer run of text is not a number, and
// capping it keeps a file without blanks from filling memory.
constexpr std::size_t kMaxNumberLength = 64;

enum class Token { Text, End, TooLong };

// Reads the next run of non-blank characters into `text`.
Token ReadToken(std::FILE* file, std::string& text)
{
    text.clear();
    int c = std::getc(file);
    while (c != EOF && std::isspace(c))
        c = std::getc(file);
    if (c == EOF)
        return Token::End;
    while (c != EOF && !std::isspace(c)) {
        if (text.size() == kMaxNumberLength)
            return Token::TooLong;
        text.push_back(static_cast<char>(c));
        c = std::getc(file);
    }
    return Token::Text;
}

// The whole text must be one finite number: tables feed a monitor, so inf, nan and values too
// large for a float are refused.
bool ParseNumber(const std::string& text, float& number)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    number = std::strtof(begin, &end);
    return end == begin + text.size() && std::isfinite(number);
}

}  // namespace

VeltTableReading ReadVeltTableNumbers(std::FILE* file, std::size_t count, std::vector<float>& numbers)
{
    numbers.clear();
    numbers.reserve(count);
    std::string text;
    VeltTableStatus status = VeltTableStatus::Complete;
    while (numbers.size() < count) {
        const Token token = ReadToken(file, text);
        float number = 0.0f;
        if (token == Token::End)
            status = std::ferror(file) ? VeltTableStatus::Unreadable : VeltTableStatus::TooFew;
        else if (token == Token::TooLong || !ParseNumber(text, number))
            status = VeltTableStatus::Malformed;
        if (status != VeltTableStatus::Complete)
            break;
        numbers.push_back(number);
    }
    const VeltTableReading reading{status, numbers.size()};
    if (status != VeltTableStatus::Complete)
        std::vector<float>().swap(numbers);
    return reading;
}

bool LoadVeltTableFile(const std::string& path, std::size_t count, std::vector<float>& numbers,
                       std::string& problem)
{
    numbers.clear();
    std::string reason;
    if (std::FILE* file = std::fopen(path.c_str(), "r")) {
        const VeltTableReading reading = ReadVeltTableNumbers(file, count, numbers);
        std::fclose(file);
        switch (reading.status) {
        case VeltTableStatus::Complete:
            return true;
        case VeltTableStatus::TooFew:
            reason = "only " + std::to_string(reading.found) + " found";
            break;
        case VeltTableStatus::Malformed:
            reason = "number " + std::to_string(reading.found + 1) + " is malformed";
            break;
        case VeltTableStatus::Unreadable:
            reason = "the file cannot be read";
            break;
        }
    } else {
        reason = "the file cannot be opened";
    }
    problem = "Cannot read " + std::to_string(count) + " numbers from " + path + ": " + reason + "\n";
    return false;
}
