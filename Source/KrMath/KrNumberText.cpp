#include "KrMath/KrNumberText.h"

#include <cstdio>
#include <cstdlib>

int32_t KrScanFloat(const char* text, double& value)
{
    float number = 0.0f;
    int consumed = 0;
    if (std::sscanf(text, "%f%n", &number, &consumed) != 1)
        return 0;
    value = number;
    return consumed;
}

int32_t KrScanInt32(const char* text, int32_t& value)
{
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (number < INT32_MIN)
        value = INT32_MIN;
    else if (number > INT32_MAX)
        value = INT32_MAX;
    else
        value = static_cast<int32_t>(number);
    return static_cast<int32_t>(end - text);
}
