#include "app/livelink.h"

#include "app/qrcode.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QPixmap>
#include <QSpinBox>
#include <QVBoxLayout>

TFormLive::TFormLive(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormLive"));
    setWindowTitle(QStringLiteral("Live-Ergebnisse"));
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    cbOn = new QCheckBox(QStringLiteral("Ein"), this);
    cbOn->setObjectName(QStringLiteral("cbOn"));
    ePort = new QSpinBox(this);
    ePort->setObjectName(QStringLiteral("ePort"));
    ePort->setRange(1, 65535);
    form->addRow(cbOn);
    form->addRow(QStringLiteral("Port:"), ePort);
    column->addLayout(form);
    lAddresses = new QLabel(this);
    lAddresses->setObjectName(QStringLiteral("lAddresses"));
    lAddresses->setTextFormat(Qt::PlainText);
    lAddresses->setTextInteractionFlags(Qt::TextSelectableByMouse);
    iQrCode = new QLabel(this);
    iQrCode->setObjectName(QStringLiteral("iQrCode"));
    iQrCode->setAlignment(Qt::AlignCenter);
    lViewers = new QLabel(this);
    lViewers->setObjectName(QStringLiteral("lViewers"));
    lProblem = new QLabel(this);
    lProblem->setObjectName(QStringLiteral("lProblem"));
    lProblem->setTextFormat(Qt::PlainText);
    lProblem->setStyleSheet(QStringLiteral("color: #b00000"));
    for (QLabel* label : {lAddresses, iQrCode, lViewers, lProblem})
        column->addWidget(label);
    column->addStretch();
}

LiveLink::LiveLink(LiveLinkOptions options, bool on, int port, QWidget* windowParent, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_server(m_options.clock, m_options.limits)
    , m_wanted(on)
    , m_port(port)
{
    if (!m_options.addresses)
        m_options.addresses = liveAddresses;
    m_window = new TFormLive(windowParent);
    m_window->ePort->setValue(port);
    connect(m_window->cbOn, &QCheckBox::toggled, this, &LiveLink::switchOn);
    connect(m_window->ePort, &QSpinBox::editingFinished, this, [this] {
        if (m_window->ePort->value() == m_port)
            return;
        m_port = m_window->ePort->value();
        if (m_wanted)
            start();
        showState();
    });
    connect(&m_server, &LiveServer::started, this, [this] {
        m_problem.clear();
        m_addresses = m_options.addresses(quint16(m_port));
        if (m_addresses.isEmpty())
            m_problem = QStringLiteral("Kein Netzwerk: nur auf diesem Rechner erreichbar");
        showState();
    });
    connect(&m_server, &LiveServer::failed, this, [this](const QString& message) {
        m_problem = message;
        m_addresses.clear();
        showState();
    });
    connect(&m_server, &LiveServer::viewersChanged, this, [this](int viewers) {
        m_viewers = viewers;
        showState();
    });
    if (m_wanted)
        start();
    showState();
}

LiveLink::~LiveLink()
{
    m_server.stop();
}

void LiveLink::switchOn(bool on)
{
    if (on == m_wanted && on == m_server.isOn())
        return;
    m_wanted = on;
    m_port = m_window->ePort->value();
    if (on) {
        start();
    } else {
        m_server.stop();
        m_problem.clear();
        m_addresses.clear();
    }
    showState();
}

void LiveLink::start()
{
    m_problem.clear();
    m_server.start(quint16(m_port), m_options.snapshot ? m_options.snapshot() : SessionState{});
}

void LiveLink::post(const JournalRecord& record)
{
    if (m_server.isOn())
        m_server.post(record);
}

void LiveLink::resync()
{
    if (m_server.isOn() && m_options.snapshot)
        m_server.reset(m_options.snapshot());
}

void LiveLink::showWindow()
{
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

QString LiveLink::statusText() const
{
    if (!m_problem.isEmpty() && !m_server.isOn())
        return QStringLiteral("Live: ") + m_problem;
    if (!m_server.isOn())
        return {};
    QString where = m_addresses.isEmpty() ? QStringLiteral("Port %1").arg(m_port) : m_addresses.first();
    if (where.endsWith(QLatin1Char('/')))
        where.chop(1);
    return QStringLiteral("Live: %1 (%2)").arg(where).arg(m_viewers);
}

QString LiveLink::statusBeside(const QString& other) const
{
    const QString live = statusText();
    return other.isEmpty() || live.isEmpty() ? other + live : other + QStringLiteral(" · ") + live;
}

void LiveLink::keepIn(SettingsValues& values) const
{
    values.liveOn = m_wanted;
    values.livePort = m_port;
}

void LiveLink::showState()
{
    const bool on = m_server.isOn();
    {
        const QSignalBlocker quiet(m_window->cbOn);
        m_window->cbOn->setChecked(on);
    }
    m_window->lAddresses->setText(on ? m_addresses.join(QLatin1Char('\n')) : QString());
    const QImage code = on && !m_addresses.isEmpty() ? qrCodeImage(m_addresses.first(), 4) : QImage();
    m_window->iQrCode->setPixmap(QPixmap::fromImage(code));
    m_window->iQrCode->setVisible(!code.isNull());
    m_window->lViewers->setText(on ? QStringLiteral("Zuschauer: %1").arg(m_viewers) : QString());
    m_window->lProblem->setText(m_problem);
    m_window->adjustSize();
    emit statusChanged();
}
