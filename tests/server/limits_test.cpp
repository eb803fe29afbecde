// What an address counts as, and the limits kept per address.
#include "addresskey.h"
#include "addresslimits.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>

namespace {

AddressKey keyOf(const char *text)
{
    sockaddr_storage address{};
    auto &v4 = reinterpret_cast<sockaddr_in &>(address);
    auto &v6 = reinterpret_cast<sockaddr_in6 &>(address);
    if (::inet_pton(AF_INET, text, &v4.sin_addr) == 1)
        v4.sin_family = AF_INET;
    else if (::inet_pton(AF_INET6, text, &v6.sin6_addr) == 1)
        v6.sin6_family = AF_INET6;
    return AddressKey::fromSockaddr(address);
}

TEST(AddressKey, CountsIPv6Per64AndMappedIPv4AsItsIPv4)
{
    EXPECT_EQ(keyOf("2001:db8:1:2::7"), keyOf("2001:db8:1:2:ffff:1:2:3"));
    EXPECT_NE(keyOf("2001:db8:1:2::7"), keyOf("2001:db8:1:3::7"));
    EXPECT_EQ(keyOf("2001:db8:1:2::7").toText(), "2001:db8:1:2::/64");
    EXPECT_EQ(keyOf("::ffff:192.0.2.7"), keyOf("192.0.2.7"));
    EXPECT_NE(keyOf("192.0.2.7"), keyOf("192.0.2.8")) << "IPv4 addresses count one by one";
    EXPECT_TRUE(keyOf("::ffff:192.0.2.7").isIPv4());
    EXPECT_EQ(keyOf("::ffff:192.0.2.7").toText(), "192.0.2.7");
    EXPECT_NE(keyOf("::1"), keyOf("0.0.0.1"));
    EXPECT_FALSE(keyOf("::1").isIPv4());
}

TEST(AddressLimits, HoldsAtMostTheConnectionsAllowedPerAddress)
{
    AddressLimits limits(AddressLimits::Config{.maxConnections = 3});
    const AddressKey a = keyOf("192.0.2.1");
    const AddressKey b = keyOf("::ffff:192.0.2.2");
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(limits.admit(a));
    EXPECT_FALSE(limits.admit(a));
    EXPECT_EQ(limits.connections(a), 3);
    EXPECT_TRUE(limits.admit(b));
    limits.release(a);
    EXPECT_TRUE(limits.admit(a));
    for (int i = 0; i < 3; ++i)
        limits.release(a);
    limits.release(b);
    EXPECT_EQ(limits.addressesKnown(), 0) << "nothing is kept for an address that has gone";
}

TEST(AddressLimits, BlocksGuessingPastTheAllowanceForTheBlockTimeOnly)
{
    AddressLimits limits; // ten unknown codes a minute, a block of ten minutes
    const AddressKey guesser = keyOf("2001:db8::1");
    const AddressKey neighbour = keyOf("2001:db8::2"); // the same /64
    const AddressKey other = keyOf("2001:db8:0:1::1");
    double now = 1000;
    for (int i = 0; i < 10; ++i) {
        limits.unknownCode(guesser, now);
        now += 5000; // ten in 50 s
        EXPECT_FALSE(limits.guessingBlocked(guesser, now)) << i;
    }
    limits.unknownCode(neighbour, now); // the eleventh within the minute, from the same /64
    EXPECT_TRUE(limits.guessingBlocked(guesser, now));
    EXPECT_FALSE(limits.guessingBlocked(other, now));
    EXPECT_TRUE(limits.guessingBlocked(guesser, now + 10 * 60 * 1000.0 - 1));
    EXPECT_FALSE(limits.guessingBlocked(guesser, now + 10 * 60 * 1000.0));
}

TEST(AddressLimits, CountsOnlyTheUnknownCodesWithinTheLastWindow)
{
    AddressLimits limits;
    const AddressKey slow = keyOf("198.51.100.4");
    double now = 0;
    for (int i = 0; i < 40; ++i) {
        limits.unknownCode(slow, now);
        now += 6001; // fewer than eleven in any minute
    }
    EXPECT_FALSE(limits.guessingBlocked(slow, now));
    limits.sweep(now + 60 * 1000.0);
    EXPECT_EQ(limits.addressesKnown(), 0);

    AddressLimits quick(AddressLimits::Config{.unknownCodesAllowed = 2, .windowMs = 100, .blockMs = 1000});
    quick.unknownCode(slow, 0);
    quick.unknownCode(slow, 50);
    quick.unknownCode(slow, 99);
    EXPECT_TRUE(quick.guessingBlocked(slow, 99));
    quick.sweep(500);
    EXPECT_EQ(quick.addressesKnown(), 1) << "a block is remembered until it ends";
    quick.sweep(1099);
    EXPECT_EQ(quick.addressesKnown(), 0);
}

} // namespace
