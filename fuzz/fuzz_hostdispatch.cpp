// libFuzzer entry of the hostdispatch target (see targets/hostdispatch.cpp for the input format).
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return fuzz_hostdispatch::fuzzOne(data, size);
}
