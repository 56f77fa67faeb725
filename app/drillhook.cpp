#include "app/drillhook.h"

#include "app/firstpaint.h"
#include "app/formmain.h"
#include "app/frame1.h"
#include "controls/sortgrid.h"
#include "results/journal.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QToolButton>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

void report(TFormMain& window)
{
    static quint64 n = 0;
    const QByteArray state = encodeSnapshot(window.sessionState(), ++n).toBase64();
    std::fprintf(stdout, "S %llu %s\n", static_cast<unsigned long long>(n), state.constData());
    std::fflush(stdout);
}

TFrame1* builtRow(TFormMain& window, int n)
{
    TFrame1* row = window.row(n);
    if (row && !row->isBuilt())
        row->build();
    return row;
}

void run(TFormMain& window, const QByteArray& line)
{
    const QList<QByteArray> w = line.trimmed().split(' ');
    if (w.isEmpty() || w[0].isEmpty())
        return;
    const char c = w[0][0];
    const auto arg = [&](int i) { return i < w.size() ? w[i].toInt() : 0; };
    const auto text = [&](int i) { return i < w.size() ? QString::fromUtf8(w.mid(i).join(' ')) : QString(); };
    if (c == 'a') {
        if (auto* action = window.findChild<QAction*>(QString::fromLatin1(w.value(1)))) {
            if (action->isEnabled())
                action->trigger();
        }
    } else if (c == 'm' || c == 'x' || c == 'c') {
        TFrame1* row = builtRow(window, arg(1));
        const int k = arg(2);
        if (!row || !row->isVisible())
            return;
        if (c == 'c')
            row->cbON->click();
        else if (k >= 1 && k <= TFrame1::kColumns && c == 'm' && row->buttons[k]->isEnabled())
            row->buttons[k]->click();
        else if (k >= 1 && k <= TFrame1::kColumns && c == 'x' && row->radios[k]->isVisible())
            row->radios[k]->click();
    } else if (c == 'e') {
        if (auto* edit = window.findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(arg(1))))
            edit->setText(text(2));
    } else if (c == 'l') {
        if (auto* edit = window.findChild<QLineEdit*>(QStringLiteral("eLEN")))
            edit->setText(text(1));
    } else if (c == 'k') {
        auto* box = window.findChild<QComboBox*>(QStringLiteral("cmb_Klasse"));
        if (box && arg(1) >= 0 && arg(1) < box->count()) {
            box->setCurrentIndex(arg(1));
            window.cmb_KlasseChange();
        }
    } else if (c == 'n') {
        if (auto* box = window.findChild<QComboBox*>(QStringLiteral("cmb_Klasse"))) {
            box->setEditText(text(1));
            window.AddClass();
        }
    } else if (c == 'w') {
        window.close();
    } else if (c == 'd') {
        TSortGrid* grid = window.resultGrid(window.activePage());
        if (grid && arg(1) >= 1 && arg(1) < grid->RowCount()) {
            grid->SetRow(arg(1));
            window.mDeleteline1Click();
        }
    }
}

}  // namespace

bool drillHookRequested()
{
    return qEnvironmentVariableIsSet("PYLONIX_DRILL");
}

void installDrillHook(TFormMain& window)
{
    window.installEventFilter(new FirstPaintWatcher(
        [] {
            std::fputs("P\n", stdout);
            std::fflush(stdout);
        },
        &window));
    auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &window);
    auto pending = std::make_shared<QByteArray>();
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier, pending] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            notifier->setEnabled(false);
            return;
        }
        pending->append(buffer, n);
        for (qsizetype end; (end = pending->indexOf('\n')) >= 0;) {
            const QByteArray line = pending->left(end);
            pending->remove(0, end + 1);
            run(window, line);
            report(window);
        }
    });
    report(window);
}
