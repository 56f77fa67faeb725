#include "support/fakes.h"
#include "support/userinput.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

platform::CounterSource FakeCounter::source()
{
    platform::CounterSource s;
    s.performanceCounter = [this] { return now.load(); };
    s.performanceFrequency = [] { return qint64(1'000'000'000); };
    s.hasTimeStampCounter = [] { return false; };
    s.timeStampCounter = [this] { return now.load(); };
    s.sleepMs = [this](unsigned ms) { now += qint64(ms) * 1'000'000; };
    s.raisePriority = [] { return platform::PriorityState{}; };
    s.restorePriority = [](const platform::PriorityState&) {};
    s.minTimerPeriodMs = [] { return 1u; };
    return s;
}

namespace {

class LoggingBeeper : public TBeeper {
public:
    explicit LoggingBeeper(BeepLog* log) : m_log(log) {}
    bool load(const QString& path) override
    {
        ++m_log->loads;
        m_log->path = path;
        return true;
    }
    void play() override { ++m_log->plays; }

private:
    BeepLog* m_log;
};

}  // namespace

std::unique_ptr<TBeeper> BeepLog::make()
{
    return std::make_unique<LoggingBeeper>(this);
}

void answerNextDialog(const QString& buttonName)
{
    // Poll from the event loop the modal dialog runs: the dialog exists only
    // once exec() has started.
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, buttonName] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (auto* button = modal->findChild<QPushButton*>(buttonName)) {
            timer->stop();
            timer->deleteLater();
            userClick(button);
        }
    });
    timer->start();
}

bool showActive(QWidget* window)
{
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}
