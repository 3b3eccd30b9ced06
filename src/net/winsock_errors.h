#pragma once
// Socket error codes as the remote-control service reports them: Winsock's numbers, so that a log
// line reads the same whichever machine wrote it. Linux socket calls give errno values; these map
// them.
#include <string>

namespace net {

// Winsock's code for an errno value left by a socket call (EADDRINUSE -> 10048, EMSGSIZE ->
// 10040, ...); an errno value with no Winsock counterpart comes back unchanged.
int WinsockErrorCode(int errnoValue);

// The calling thread's last socket error as a Winsock code; clears it.
int TakeSocketError();

// The text for a Winsock code; a code without its own text gives " Error Code = <code>".
std::string WinsockErrorText(int code);

}  // namespace net
