// libFuzzer entry of the clientdispatch target (see targets/clientdispatch.cpp for the input format).
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return fuzz_clientdispatch::fuzzOne(data, size);
}
