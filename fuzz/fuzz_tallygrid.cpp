// libFuzzer entry of the tallygrid target (see targets/tallygrid.cpp for the input format).
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return fuzz_tallygrid::fuzzOne(data, size);
}
