#include "support/fakes.h"
#include "support/userinput.h"

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
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

namespace {

// Polls from the event loop the modal dialog runs (the dialog exists only
// once exec() has started) until `ready` accepts the modal widget, then hands
// it to `act` once.
void pollForDialog(std::function<bool(QWidget*)> ready, std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ready, act] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !ready(modal))
            return;
        timer->stop();
        // `act` may run event loops, in which the timer and this lambda go.
        const auto run = act;
        timer->deleteLater();
        run(modal);
    });
    timer->start();
}

}  // namespace

void onNextDialog(std::function<void(QWidget&)> act)
{
    pollForDialog([](QWidget*) { return true; }, [act](QWidget* modal) { act(*modal); });
}

void answerNextDialog(const QString& buttonName)
{
    pollForDialog([buttonName](QWidget* modal) { return modal->findChild<QPushButton*>(buttonName) != nullptr; },
                  [buttonName](QWidget* modal) { userClick(modal->findChild<QPushButton*>(buttonName)); });
}

void answerNextFileDialog(const QString& fileName, std::function<void(QFileDialog&)> operate)
{
    const auto ready = [](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        return dialog && dialog->isActiveWindow();
    };
    pollForDialog(ready, [fileName, operate](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        if (operate)
            operate(*dialog);
        // A list the operator opened in it took the keyboard; closing it gives
        // the keyboard back to the dialog, as a window manager does.
        if (!dialog->isActiveWindow()) {
            dialog->activateWindow();
            if (!QTest::qWaitForWindowActive(dialog))
                return;
        }
        if (fileName.isEmpty()) {
            userKey(Qt::Key_Escape);
            return;
        }
        userClick(dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")));
        userKey(Qt::Key_A, Qt::ControlModifier);
        userType(fileName);
        // The name's completion list would take the Return.
        if (QApplication::activePopupWidget())
            userKey(Qt::Key_Escape);
        userKey(Qt::Key_Return);
    });
}

bool drawnAsPlainText(QLabel* label)
{
    const QImage shown = label->grab().toImage();
    const Qt::TextFormat format = label->textFormat();
    label->setTextFormat(Qt::PlainText);
    const QImage plain = label->grab().toImage();
    label->setTextFormat(format);
    return shown == plain;
}

bool showActive(QWidget* window)
{
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}
