// A host passes named settings as text. Whatever the name and value, the device writes no more
// than its 32 bytes of out and raises nothing: a name is always given here.
#include "KrCore/KrLog.h"
#include "KrDevices/KrVeltDevice.h"
#include "Krio/KrStreamImplemented.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace
{
class DiscardingStream : public KrStreamImplemented
{
public:
    void Write(const void*, int32_t, int32_t*) override {}
};
}

// The first line is the name, the rest the value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool silenced = (SetLogStream(new DiscardingStream()), true);
    (void)silenced;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t lineEnd = input.find('\n');
    const std::string name = input.substr(0, lineEnd);
    const std::string value = lineEnd == std::string::npos ? std::string() : input.substr(lineEnd + 1);
    KrVeltDevice device;
    const std::unique_ptr<char[]> out(new char[KrVeltDevice::kNamedParameterOutSize]);
    device.SetNamedParameter(name.c_str(), value.c_str(), out.get(), 0);
    return 0;
}
