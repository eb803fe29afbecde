// A module that needs libtestvanishing.so (found only beside it) and exports one entry point.
int vanishingValue();

extern "C" __attribute__((visibility("default"))) int testmodule_value()
{
    return vanishingValue() * 6;
}
