// A data base built by Set from the input (zero-separated path and value pairs) reads back
// from its ToText with equal entries, unless it holds keys the text form cannot carry.
#include "KrDataBaseFuzz.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
// Deeper paths would pass the nesting that reading accepts.
const long kMaxSlashes = 64;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    KrDataBase db;
    size_t at = 0;
    while (at < input.size())
    {
        size_t pathEnd = input.find('\0', at);
        if (pathEnd == std::string::npos)
            pathEnd = input.size();
        size_t valueEnd = pathEnd < input.size() ? input.find('\0', pathEnd + 1) : pathEnd;
        if (valueEnd == std::string::npos)
            valueEnd = input.size();
        const std::string path = input.substr(at, pathEnd - at);
        const std::string value = pathEnd < valueEnd ? input.substr(pathEnd + 1, valueEnd - pathEnd - 1) : std::string();
        if (std::count(path.begin(), path.end(), '/') <= kMaxSlashes)
            db.Set(path.c_str(), value.c_str());
        at = valueEnd + 1;
    }
    if (KrRoundTrips(db) && !KrStartsWithByteOrderMark(db) && !KrTextReadsBack(db))
        std::abort();
    return 0;
}
