#pragma once

#include <QMap>
#include <QString>
#include <QtGlobal>

namespace platform {

// Which device "COM" n is. The rule, fixed so that a device keeps its
// number whatever else is plugged in:
//
//   COM1  .. COM4   ->  /dev/ttyS0   .. /dev/ttyS3    (on-board UARTs)
//   COM5  .. COM10  ->  /dev/ttyUSB0 .. /dev/ttyUSB5  (USB-serial adapters)
//   COM11 .. COM16  ->  /dev/ttyACM0 .. /dev/ttyACM5  (USB-CDC devices)
//   any other n     ->  no device
//
// A per-user file overrides single numbers, for unusual adapters (a
// /dev/serial/by-id/... link, /dev/ttyAMA0) and for tests. It is the file
// named by the environment variable PYLONIX_PORTS_FILE when that is set,
// otherwise "Kronwerk/<program name>.ports.conf" in the XDG config folder
// ($XDG_CONFIG_HOME, by default ~/.config). One "COMn=path" per line; an
// empty path takes the number away; blank lines and lines starting with
// "#" are ignored, as are lines that do not parse.
class PortMap {
public:
    // The rule over a device folder other than /dev (tests use a fake one).
    explicit PortMap(QString deviceFolder = QStringLiteral("/dev"));

    // The rule over /dev plus the user's override file, if there is one.
    static PortMap forCurrentUser();

    // Where the override file of the current user is looked for.
    static QString overrideFilePath();

    // Reads overrides from a file; false when it cannot be read.
    bool loadOverrides(const QString& path);
    void setOverride(int port, const QString& devicePath);

    // Empty when the number maps to no device.
    QString devicePath(int port) const;

private:
    QString m_deviceFolder;
    QMap<int, QString> m_overrides;
};

}  // namespace platform
