#pragma once
// The socket routines every remote-control server uses.
#include <string>

#include "net/unique_fd.h"

namespace net {

// A new IPv4 UDP socket. On failure the error is reported ("Getting a Socket") and the handle
// holds no socket.
UniqueFd GetUdpSocket();

// Logs the information line `operation` + " FAILED. " + the error's text, with the code as the
// line's number, then sounds the error double click. Clears the thread's socket error.
void ReportSocketFailure(const std::string& operation, int code);

}  // namespace net
