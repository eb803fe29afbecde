// A module without dependencies of its own and one entry point.
extern "C" __attribute__((visibility("default"))) int testmodule_value()
{
    return 42;
}
