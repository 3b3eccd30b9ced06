#include "platform/local_address.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

namespace platform {
namespace {

TEST(LocalAddress, AnAddressFoundIsAnIpv4AddressOfAnotherInterfaceThanLoopback) {
  LocalAddress found;
  found.address = "untouched";
  if (!GetLocalAddress(found)) {
    EXPECT_EQ(found.address, "untouched");
    GTEST_SKIP() << "this machine has no IPv4 address besides loopback";
  }
  in_addr parsed{};
  ASSERT_EQ(inet_pton(AF_INET, found.address.c_str(), &parsed), 1) << found.address;
  EXPECT_EQ(std::to_string(found.octets[0]) + "." + std::to_string(found.octets[1]) + "." +
                std::to_string(found.octets[2]) + "." + std::to_string(found.octets[3]),
            found.address);
  EXPECT_NE(found.octets[0], 127);
  char name[256] = {};
  ASSERT_EQ(gethostname(name, sizeof name - 1), 0);
  EXPECT_EQ(found.hostName, name);
}

}  // namespace
}  // namespace platform
