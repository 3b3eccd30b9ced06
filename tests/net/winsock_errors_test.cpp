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
}

}  // namespace
}  // namespace net
