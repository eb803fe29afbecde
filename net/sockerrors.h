// Windows-Sockets-style error codes for the socket layer's info texts.
#pragma once

#include <QString>

namespace sockerrors {

// The constant name of a Windows Sockets 1.1 error code, or "UNKNOWN ERROR".
QString errorName(int wsaCode);

// errno mapped by name to the Windows Sockets code of the same name (10000 + the BSD
// number), so texts read the same on every platform. EPIPE, which has no socket-layer
// namesake, gives WSAECONNRESET: on a TCP socket it means the peer has dropped the
// connection. An errno without a counterpart gives 0 (whose name is "UNKNOWN ERROR").
int wsaCodeFromErrno(int err);

} // namespace sockerrors
