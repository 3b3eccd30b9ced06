#include "net/udp_socket.h"

#include <sys/socket.h>

#include <cerrno>

#include "net/winsock_errors.h"
#include "util/error_log.h"
#include "util/speaker.h"

namespace net {

UniqueFd GetUdpSocket() {
  // Close-on-exec: tools the program launches must not inherit the service's ports.
  UniqueFd socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!socket.Valid()) ReportSocketFailure("Getting a Socket", TakeSocketError());
  return socket;
}

void ReportSocketFailure(const std::string& operation, int code) {
  errno = 0;
  util::LogInfo(operation + " FAILED. " + WinsockErrorText(code), code, false);
  util::SpeakerDoubleClick();
}

}  // namespace net
