// Raw socket addresses (IPv4 and IPv6) as byte strings, and reading them as text.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstddef>
#include <netinet/in.h>
#include <sys/socket.h>

namespace sockaddress {

// The bytes of a socket address of length bytes.
QByteArray rawAddress(const void *address, size_t length);
// An IPv4 socket address (network byte order), port 0.
QByteArray ipv4Address(in_addr_t address);
// The host without the brackets that may surround an IPv6 address ("[::1]").
QString unbracketed(const QString &name);
// Every address getaddrinfo gives for name (numericOnly: only an address written out, no
// lookup), in its order, without repeats; empty when there is none.
QList<QByteArray> lookUpAddresses(const QString &name, int family, bool numericOnly);
// The raw address copied into storage that is aligned for every family.
sockaddr_storage storageOf(const QByteArray &address);
// A copy of the raw address with the port (network byte order) set.
QByteArray withPort(const QByteArray &address, in_port_t port);
// The peer's address as text: IPv4 dotted, also when mapped into IPv6; IPv6 otherwise.
QString peerText(const sockaddr_storage &peer);

} // namespace sockaddress
