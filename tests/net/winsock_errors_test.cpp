#include "net/winsock_errors.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace net {
namespace {

TEST(WinsockErrors, SocketErrnoValuesGetWinsockCodesAndTexts) {
  struct Row {
    const char* name;
    int errnoValue;
    int code;
    const char* text;
  };
  const Row rows[] = {
      {"EACCES", EACCES, 10013,
       "The requested address is a broadcast address, but the appropriate flag was not set."},
      {"EINVAL", EINVAL, 10022, "An invalid argument was supplied."},
      {"ENOTSOCK", ENOTSOCK, 10038, "The descriptor is not a socket."},
      {"EMSGSIZE", EMSGSIZE, 10040, " Error Code = 10040"},
      {"EADDRINUSE", EADDRINUSE, 10048, " Error Code = 10048"},
      {"EADDRNOTAVAIL", EADDRNOTAVAIL, 10049, "The specified address is not available from the local machine."},
      {"ENETRESET", ENETRESET, 10052, "The connection has been broken due to the remote host resetting."},
      {"ENOBUFS", ENOBUFS, 10055, "No buffer space is available."},
      {"EPIPE", EPIPE, 10058,
       "The socket has been shut down; it is not possible to sendto on a socket after shutdown has been invoked "
       "with how set to SD_SEND or SD_BOTH."},
      {"EHOSTUNREACH", EHOSTUNREACH, 10065,
       "The remote host cannot be reached from this host at this time. (too much data?)"},
      {"ENOMEM, no Winsock counterpart", ENOMEM, ENOMEM, " Error Code = 12"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    errno = row.errnoValue;
    EXPECT_EQ(TakeSocketError(), row.code);
    EXPECT_EQ(errno, 0);
    EXPECT_EQ(WinsockErrorText(row.code), row.text);
  }
  EXPECT_EQ(WinsockErrorText(10093), "Either the application has not called WSAStartup, or WSAStartup failed.");
  EXPECT_EQ(WinsockErrorText(-5), " Error Code = -5");
}

}  // namespace
}  // namespace net
