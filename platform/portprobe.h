#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QtGlobal>

namespace platform {

class PortMap;

// Device numbers (st_rdev) of the `candidates` (device path as the kernel
// names it, e.g. "/dev/ttyUSB0", to its device number) that processes other
// than this one hold open, read from <procFolder>/<pid>/fd. Descriptors are
// compared by the path they lead to, and with no candidate nothing is read
// at all: a desktop holds tens of thousands of descriptors.
QSet<quint64> devicesHeldByOthers(const QHash<QByteArray, quint64>& candidates,
                                  const QString& procFolder = QStringLiteral("/proc"));

// Whether "COM" n could be used now: the mapped path exists, is a character
// device and a terminal, and no other program holds it (its exclusive flag
// or lock refuses us, or another process has it open).
bool isPortAvailable(const QString& devicePath, const QSet<quint64>& heldByOthers);

// The port probe: for n from 1 to 16, each usable port sets bit n - 1 in the
// low 16 bits and puts n into the high 16 bits, so the high half is the
// highest usable number. 0 when no port is usable.
quint32 findComPorts(const PortMap& map, const QSet<quint64>& heldByOthers);
// The same, looking at the other processes only for the devices that exist.
quint32 probeComPorts(const PortMap& map, const QString& procFolder = QStringLiteral("/proc"));

}  // namespace platform
