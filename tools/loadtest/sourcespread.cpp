#include "sourcespread.h"

std::string SourceSpread::addressFor(long index) const
{
    const long slot = index < 0 ? 0 : index % count;
    return "127.0.0." + std::to_string(first + slot);
}

long SourceSpread::mostPerAddress(long total) const
{
    return total <= 0 ? 0 : (total + count - 1) / count;
}
