#pragma once

#include <QSet>
#include <QString>
#include <QtGlobal>

namespace platform {

class PortMap;

// Device numbers (st_rdev) of the character devices that processes other
// than this one hold open, read from <procFolder>/<pid>/fd.
QSet<quint64> devicesHeldByOthers(const QString& procFolder = QStringLiteral("/proc"));

// Whether "COM" n could be used now: the mapped path exists, is a character
// device and a terminal, and no other program holds it (its exclusive flag
// or lock refuses us, or another process has it open).
bool isPortAvailable(const QString& devicePath, const QSet<quint64>& heldByOthers);

// The port probe: for n from 1 to 16, each usable port sets bit n - 1 in the
// low 16 bits and puts n into the high 16 bits, so the high half is the
// highest usable number. 0 when no port is usable.
quint32 findComPorts(const PortMap& map, const QSet<quint64>& heldByOthers);

}  // namespace platform
