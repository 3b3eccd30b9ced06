#include "net/winsock_errors.h"

#include <cerrno>
#include <charconv>

namespace net {
namespace {

struct CodeOfErrno {
  int errnoValue;
  int code;
};

// Winsock numbers its socket errors 10000 + the BSD errno; Linux numbers the same errors
// differently, so each is listed by name.
constexpr CodeOfErrno kCodes[] = {
    {EINTR, 10004},           {EBADF, 10009},           {EACCES, 10013},          {EFAULT, 10014},
    {EINVAL, 10022},          {EMFILE, 10024},          {EWOULDBLOCK, 10035},     {EINPROGRESS, 10036},
    {EALREADY, 10037},        {ENOTSOCK, 10038},        {EDESTADDRREQ, 10039},    {EMSGSIZE, 10040},
    {EPROTOTYPE, 10041},      {ENOPROTOOPT, 10042},     {EPROTONOSUPPORT, 10043}, {ESOCKTNOSUPPORT, 10044},
    {EOPNOTSUPP, 10045},      {EPFNOSUPPORT, 10046},    {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},
    {EADDRNOTAVAIL, 10049},   {ENETDOWN, 10050},        {ENETUNREACH, 10051},     {ENETRESET, 10052},
    {ECONNABORTED, 10053},    {ECONNRESET, 10054},      {ENOBUFS, 10055},         {EISCONN, 10056},
    {ENOTCONN, 10057},        {ESHUTDOWN, 10058},       {ETOOMANYREFS, 10059},    {ETIMEDOUT, 10060},
    {ECONNREFUSED, 10061},    {ELOOP, 10062},           {ENAMETOOLONG, 10063},    {EHOSTDOWN, 10064},
    {EHOSTUNREACH, 10065},
    // Linux refuses a send on a socket shut down for sending with EPIPE where Winsock says 10058.
    {EPIPE, 10058},
};

struct TextOfCode {
  int code;
  const char* text;
};

constexpr TextOfCode kTexts[] = {
    {10013, "The requested address is a broadcast address, but the appropriate flag was not set."},
    {10014, "The system detected an invalid pointer address in attempting to use a pointer argument in a call."},
    {10022, "An invalid argument was supplied."},
    {10036, "A blocking Windows Sockets 1.1 call is in progress, or the service provider is still processing a "
            "callback function."},
    {10038, "The descriptor is not a socket."},
    {10049, "The specified address is not available from the local machine."},
    {10050, "The network subsystem has failed."},
    {10051, "The network cannot be reached from this host at this time."},
    {10052, "The connection has been broken due to the remote host resetting."},
    {10055, "No buffer space is available."},
    {10058, "The socket has been shut down; it is not possible to sendto on a socket after shutdown has been "
            "invoked with how set to SD_SEND or SD_BOTH."},
    {10060, "The connection has been dropped, because of a network failure or because the system on the other end "
            "went down without notice."},
    {10065, "The remote host cannot be reached from this host at this time. (too much data?)"},
    {10093, "Either the application has not called WSAStartup, or WSAStartup failed."},
};

}  // namespace

int WinsockErrorCode(int errnoValue) {
  for (const CodeOfErrno& entry : kCodes) {
    if (entry.errnoValue == errnoValue) return entry.code;
  }
  return errnoValue;
}

int TakeSocketError() {
  const int code = WinsockErrorCode(errno);
  errno = 0;
  return code;
}

std::string WinsockErrorText(int code) {
  for (const TextOfCode& entry : kTexts) {
    if (entry.code == code) return entry.text;
  }
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, code).ptr;
  return " Error Code = " + std::string(digits, end);
}

}  // namespace net
