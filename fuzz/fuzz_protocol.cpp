// libFuzzer entry of the protocol target (see targets/protocol.cpp for the input format).
#include "fuzztargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return fuzz_protocol::fuzzOne(data, size);
}
