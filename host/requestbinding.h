// Which requests a connection may make: a request speaks only for the sender's own entry.
#pragma once

#include <QByteArray>

namespace requestbinding {

// True when the connection in entry senderEntry may send this request. The seat field must
// be the sender's own entry, with these exceptions: CMD_justwatch names its target, which
// entry 1 may choose freely; CMD_kickhim and CMD_botspeed come only from entry 1 (seat
// field 1); CMD_startgame has no seat field and comes only from entry 1. Commands the host
// does not know are allowed here (the dispatcher ignores them). Throws
// protocol::ProtocolError when the seat field is not a number.
bool mayRequest(const QByteArray &command, const QByteArray &rest, int senderEntry);

} // namespace requestbinding
