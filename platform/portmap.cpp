#include "platform/portmap.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>

namespace platform {

PortMap::PortMap(QString deviceFolder)
    : m_deviceFolder(std::move(deviceFolder))
{
}

QString PortMap::overrideFilePath()
{
    const QByteArray fromEnvironment = qgetenv("PYLONIX_PORTS_FILE");
    if (!fromEnvironment.isEmpty())
        return QString::fromLocal8Bit(fromEnvironment);
    QString program = QCoreApplication::applicationName();
    if (program.isEmpty())
        program = QStringLiteral("Pylonix");
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                           + QStringLiteral("/Kronwerk/");
    // Beside the settings, not in a folder named like them: the settings are
    // a file of exactly that name, and a folder there kept them from being
    // saved. A file an earlier version read from that folder still counts.
    const QString beside = folder + program + QStringLiteral(".ports.conf");
    const QString earlier = folder + program + QStringLiteral("/ports.conf");
    return !QFile::exists(beside) && QFile::exists(earlier) ? earlier : beside;
}

PortMap PortMap::forCurrentUser()
{
    PortMap map;
    map.loadOverrides(overrideFilePath());
    return map;
}

bool PortMap::loadOverrides(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    static const QRegularExpression line(QStringLiteral("^\\s*COM(\\d{1,3})\\s*=\\s*(.*?)\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString text = in.readLine();
        if (text.trimmed().startsWith(QLatin1Char('#')))
            continue;
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch())
            continue;
        const int port = match.captured(1).toInt();
        if (port >= 1 && port <= 255)
            setOverride(port, match.captured(2));
    }
    return true;
}

void PortMap::setOverride(int port, const QString& devicePath)
{
    m_overrides.insert(port, devicePath);
}

QString PortMap::devicePath(int port) const
{
    const auto found = m_overrides.constFind(port);
    if (found != m_overrides.constEnd())
        return *found;
    QString name;
    if (port >= 1 && port <= 4)
        name = QStringLiteral("ttyS%1").arg(port - 1);
    else if (port >= 5 && port <= 10)
        name = QStringLiteral("ttyUSB%1").arg(port - 5);
    else if (port >= 11 && port <= 16)
        name = QStringLiteral("ttyACM%1").arg(port - 11);
    else
        return {};
    return m_deviceFolder + QLatin1Char('/') + name;
}

}  // namespace platform
