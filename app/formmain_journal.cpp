// The main window's side of the race journal: every change the operator
// makes becomes a record for the writer, and a journalled day comes back
// through the clock, the time list and the result pages.
#include "app/mainwindowui.h"
#include "app/formmain.h"

#include "app/frame1.h"
#include "app/livelink.h"
#include "timing/highrestimer.h"
#include "app/resultpages.h"
#include "app/timelist.h"
#include "results/journalwriter.h"
#include "timing/lightbarrier.h"

#include <QLabel>
#include <QScopeGuard>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolButton>

namespace {

JournalTimeRow journalRowOf(const TimeListRow& r)
{
    JournalTimeRow row;
    row.row = r.row;
    row.ticks = r.ticks;
    row.colour = r.timeColour.rgba();
    return row;
}

}  // namespace

void TFormMain::connectJournal()
{
    connect(m_timeList, &TimeList::rowChanged, this, &TFormMain::journalRow);
    connect(m_pages, &ResultPages::tableChanged, this, [this](int page) {
        journal(JournalRecord::table(page, m_pages->journalTable(page), sbPlatz->isChecked()));
    });
    connect(m_pages, &ResultPages::classesChanged, this, [this] {
        const ClassBook& book = m_pages->classBook();
        journal(JournalRecord::classes(book.names, book.captions, book.trackLengths));
    });
    connect(m_pages, &ResultPages::activePageChanged, this,
            [this](int page) { journal(JournalRecord::activePage(page)); });
    LiveLinkOptions live{{[t = m_highResTimer.get()] { return t->ReadCounter(); }, m_highResTimer->CountSpeed()},
                         [this] { return sessionState(); }, {}, {}};
    m_live = new LiveLink(std::move(live), m_settings.liveOn, m_settings.livePort, this, this);
    connect(m_live, &LiveLink::statusChanged, this, [this] {
        m_live->keepIn(m_settings);
        showJournalStatus(m_journalText, m_journalDetails);
    });
    connect(mLive, &QAction::triggered, m_live, &LiveLink::showWindow);
}

TFormMain::JournalGroup::JournalGroup(JournalWriter* w)
    : writer(w)
{
    if (writer)
        writer->beginGroup();
}

TFormMain::JournalGroup::~JournalGroup()
{
    if (writer)
        writer->endGroup();
}

void TFormMain::setJournal(JournalWriter* journal)
{
    m_journal = journal;
}

void TFormMain::journal(JournalRecord record)
{
    if (m_live)
        m_live->post(record);
    if (!m_journal)
        return;
    m_journal->append(std::move(record));
    if (!m_journal->healthy())
        journalFailed(m_journal->error());
}

void TFormMain::journalFailed(const QString& reason)
{
    // A journal that cannot be written must not fail silently: the operator
    // then knows a crash would lose the race.
    if (m_journalFailureShown)
        return;
    m_journalFailureShown = true;
    showJournalStatus(QStringLiteral("Journal fehlgeschlagen!"), reason);
}

void TFormMain::journalClock()
{
    if (!m_journal && !(m_live && m_live->isOn()))
        return;
    journal(JournalRecord::clock(JournalClock(int(m_race.state())), m_race.startTick(), m_race.endTick(),
                                 m_timeList->count()));
}

void TFormMain::journalRow(int n)
{
    if ((m_journal || (m_live && m_live->isOn())) && n >= 1 && n <= m_timeList->count())
        journal(JournalRecord::row(n, journalRowOf(m_timeList->at(n))));
}

void TFormMain::journalStartNumbers()
{
    if (!m_journal && !(m_live && m_live->isOn()))
        return;
    std::array<QString, kCarsPerRace> numbers;
    for (int k = 1; k <= kStartNumberFields; ++k)
        numbers[k - 1] = m_edits[k]->text();
    journal(JournalRecord::startNumbers(numbers));
}

SessionState TFormMain::sessionState() const
{
    SessionState s;
    const ClassBook& book = m_pages->classBook();
    s.classNames = book.names;
    s.captions = book.captions;
    s.trackLengths = book.trackLengths;
    s.activePage = m_pages->activePage();
    s.placeOrder = sbPlatz->isChecked();
    for (int p = 0; p < kClasses; ++p)
        s.tables[std::size_t(p)] = m_pages->journalTable(p);
    s.race.clock = JournalClock(int(m_race.state()));
    s.race.startTick = m_race.startTick();
    s.race.endTick = m_race.endTick();
    for (int n = 1; n <= m_timeList->count(); ++n)
        s.race.rows.append(journalRowOf(m_timeList->at(n)));
    for (int k = 1; k <= kStartNumberFields; ++k)
        s.race.startNumbers[k - 1] = m_edits[k]->text();
    return s;
}

void TFormMain::restoreSession(const SessionState& state)
{
    const auto showLive = qScopeGuard([this] { m_live->resync(); });
    m_pages->restoreSession(state);
    for (int k = 1; k <= kStartNumberFields; ++k)
        m_edits[k]->setText(state.race.startNumbers[k - 1]);

    const JournalRace& race = state.race;
    const bool inRace = race.clock == JournalClock::Running || race.clock == JournalClock::Ended
                        || race.clock == JournalClock::Entered;
    if (!inRace || race.rows.isEmpty())
        return;
    // The rows come back through the clock and the time list as they were
    // taken, then their marks, then one recount, as clicking them would.
    m_race.reset();
    m_race.start(race.startTick);
    m_barrier->raceStarted();
    for (int n = 1; n <= race.rows.size(); ++n) {
        const JournalTimeRow& row = race.rows[n - 1];
        const bool startRow = n == 1;
        if (!startRow && !m_race.lap(race.startTick + row.ticks))
            break;
        const int at = m_timeList->add(startRow, row.ticks, row.row.text, QColor::fromRgba(row.colour));
        m_timeList->restoreRow(at, row.row, QColor::fromRgba(row.colour));
    }
    m_timeList->RefreshAssignments();
    m_rowHost->resize(TFrame1::kWidth, std::max(m_rowHost->height(), m_timeList->count() * TFrame1::kHeight));

    const bool wasRunning = race.clock == JournalClock::Running;
    const qint64 lastTick = race.startTick + race.rows.constLast().ticks;
    m_race.stop(wasRunning ? lastTick : race.endTick);
    m_barrier->raceEnded();
    ShowTime(0, false);
    ShowTime(0, true);
    if (m_race.state() != ClockState::Ended) {
        // Only the start row was taken: there is nothing to enter.
        mResetClick();
        for (int k = 1; k <= kStartNumberFields; ++k)
            m_edits[k]->setText(state.race.startNumbers[k - 1]);
        if (wasRunning)
            showJournalStatus(QStringLiteral("Nach Absturz: Rennen ohne Zeit"));
        return;
    }
    if (race.clock == JournalClock::Entered)
        m_race.entered();
    applyCommandStates();
    bLAP->setText(m_zeitCaption);
    if (wasRunning) {
        showJournalStatus(QStringLiteral("Nach Absturz: Ende %1")
                              .arg(race.rows.constLast().row.text));
    }
    (m_race.state() == ClockState::Entered ? static_cast<QWidget*>(bRESET) : bEintragen)->setFocus();
}

void TFormMain::showJournalStatus(const QString& text, const QString& details)
{
    // The journal's word comes first: a journal that fails matters more
    // than the live results' address.
    m_journalText = text;
    m_journalDetails = details;
    const QString shown = m_live->statusBeside(text);
    if (auto* panel = StatusBar1->findChild<QLabel*>(QStringLiteral("StatusPanel2"))) {
        panel->setText(shown);
        panel->setToolTip(details.isEmpty() ? shown : shown + QLatin1Char('\n') + details);
    }
}

QString TFormMain::journalStatus() const
{
    return m_journalText;
}
