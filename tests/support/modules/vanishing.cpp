// A library that the module tests remove, to show what a missing dependency does.
int vanishingValue()
{
    return 7;
}
