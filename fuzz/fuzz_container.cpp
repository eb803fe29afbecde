// libFuzzer entry of the container target (see targets/container.cpp for the input format).
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return fuzz_container::fuzzOne(data, size);
}
