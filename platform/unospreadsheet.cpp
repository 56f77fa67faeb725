// The spreadsheet calls over LibreOffice's UNO bridge. The office runs in its
// own process, launched here with a private profile and a pipe named for
// this object; the bridge's calls are synchronous and have no time-out of
// their own, so a watchdog thread ends our office when one takes too long.
#include "platform/unospreadsheet.h"

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/sheet/XUsedAreaCursor.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/ustring.hxx>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include <signal.h>
#include <unistd.h>

namespace platform {

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

namespace {

OUString toOUString(const QString& text)
{
    return OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()), sal_Int32(text.size()));
}

QString toQString(const OUString& text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text.getStr()), text.getLength());
}

OUString fileUrl(const QString& path)
{
    return toOUString(QString::fromLatin1(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded()));
}

css::beans::PropertyValue property(const char* name, const Any& value)
{
    css::beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

Sequence<css::beans::PropertyValue> properties(std::initializer_list<css::beans::PropertyValue> list)
{
    Sequence<css::beans::PropertyValue> sequence(sal_Int32(list.size()));
    std::copy(list.begin(), list.end(), sequence.getArray());
    return sequence;
}

// Processes whose command line holds `argument`: our office's pipe name
// and profile are unique to it, so nothing else ever matches.
QList<qint64> processesWithArgument(const QByteArray& argument)
{
    QList<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid || pid == qint64(getpid()))
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        if (cmdline.readAll().contains(argument))
            found << pid;
    }
    return found;
}

bool isOfficeBinary(qint64 pid)
{
    return QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget().endsWith(QLatin1String("/soffice.bin"));
}

// The process-wide side of the bridge, made once and kept: it only reads the
// office's type libraries.
Reference<css::uno::XComponentContext> localContext(const QString& programDir)
{
    static std::mutex lock;
    static Reference<css::uno::XComponentContext> context;
    std::lock_guard guard(lock);
    if (!context.is()) {
        // The bridge finds its type libraries and services through this
        // variable; set once, before any other thread of ours reads the
        // environment for it.
        const QString ini = QDir(programDir).filePath(QStringLiteral("fundamentalrc"));
        qputenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" + QFile::encodeName(ini));
        context = cppu::defaultBootstrap_InitialComponentContext();
    }
    return context;
}

QString filterName(WorkbookFormat format)
{
    switch (format) {
    case WorkbookFormat::Xlsx:
        return QStringLiteral("Calc MS Excel 2007 XML");
    case WorkbookFormat::Xls:
        return QStringLiteral("MS Excel 97");
    case WorkbookFormat::Ods:
        return QStringLiteral("calc8");
    case WorkbookFormat::None:
        break;
    }
    return {};
}

QString profileBase()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("pylonix-office-%1").arg(getuid()));
}

// Profiles of offices that ended without us (a program that was killed, or
// a visible office the operator closed since) are removed before a new one
// is made; one still named by a running office or program stays.
void removeStaleProfiles()
{
    QDir base(profileBase());
    const QStringList runs = base.entryList({QStringLiteral("run-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& run : runs) {
        const qint64 owner = run.section(QLatin1Char('-'), 1, 1).toLongLong();
        if (owner > 0 && ::kill(pid_t(owner), 0) == 0)
            continue;
        if (!processesWithArgument(base.filePath(run).toUtf8()).isEmpty())
            continue;
        QDir(base.filePath(run)).removeRecursively();
    }
}

}  // namespace

struct UnoSpreadsheet::Impl {
    UnoOptions options;
    QByteArray pipeName;
    QString profileDir;
    bool ownProfile = false;
    bool launched = false;
    bool handedOver = false;  // made visible: the operator's now
    std::atomic<qint64> officePid{0};
    std::atomic<qint64> startMs{0};

    Reference<css::uno::XComponentContext> remote;
    Reference<css::frame::XDesktop2> desktop;
    Reference<css::sheet::XSpreadsheetDocument> document;
    QStringList openedFiles;

    // Watchdog: one deadline at a time, for the call in progress.
    std::mutex watchLock;
    std::condition_variable watchWake;
    std::optional<std::chrono::steady_clock::time_point> deadline;
    bool stopWatching = false;
    std::atomic<bool> killedByWatchdog{false};
    std::thread watchdog;

    explicit Impl(UnoOptions o)
        : options(std::move(o))
    {
        static std::atomic<int> counter{0};
        pipeName = QStringLiteral("pylonix-%1-%2-%3")
                       .arg(getpid())
                       .arg(++counter)
                       .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
                       .toLatin1();
        watchdog = std::thread([this] { watch(); });
    }

    ~Impl()
    {
        {
            std::lock_guard guard(watchLock);
            stopWatching = true;
        }
        watchWake.notify_all();
        watchdog.join();
    }

    QByteArray acceptArgument() const { return "--accept=pipe,name=" + pipeName + ";urp;StarOffice.ComponentContext"; }

    void watch()
    {
        std::unique_lock guard(watchLock);
        while (!stopWatching) {
            if (!deadline) {
                watchWake.wait(guard);
                continue;
            }
            if (watchWake.wait_until(guard, *deadline) == std::cv_status::timeout && deadline
                && std::chrono::steady_clock::now() >= *deadline) {
                deadline.reset();
                killedByWatchdog = true;
                guard.unlock();
                kill();
                guard.lock();
            }
        }
    }

    void arm(int timeoutMs)
    {
        {
            std::lock_guard guard(watchLock);
            deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        }
        watchWake.notify_all();
    }

    void disarm()
    {
        std::lock_guard guard(watchLock);
        deadline.reset();
    }

    QList<qint64> ourProcesses() const { return launched ? processesWithArgument(acceptArgument()) : QList<qint64>{}; }

    void kill()
    {
        for (const qint64 pid : ourProcesses())
            ::kill(pid_t(pid), SIGKILL);
        officePid = 0;
    }

    // Waits until none of our processes is left; false at the time limit.
    bool waitForExit(int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (!ourProcesses().isEmpty()) {
            if (timer.elapsed() > timeoutMs)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    // Runs one call under the watchdog and turns the bridge's exceptions
    // into a reason for the operator.
    template <typename F>
    auto call(const char* what, F&& work, int timeoutMs = -1) -> decltype(work())
    {
        if (!remote.is() && std::string_view(what) != "start")
            throw SpreadsheetError(QStringLiteral("LibreOffice ist nicht gestartet"));
        if (killedByWatchdog)
            throw hungError();
        arm(timeoutMs < 0 ? options.callTimeoutMs : timeoutMs);
        struct Disarm {
            Impl* d;
            ~Disarm() { d->disarm(); }
        } disarmOnExit{this};
        try {
            return work();
        } catch (const SpreadsheetError&) {
            throw;
        } catch (const css::lang::DisposedException&) {
            throw lostError();
        } catch (const css::uno::RuntimeException& e) {
            // A dead bridge also shows as a plain runtime exception.
            if (killedByWatchdog || ourProcesses().isEmpty())
                throw lostError();
            throw SpreadsheetError(QStringLiteral("LibreOffice: %1").arg(toQString(e.Message)));
        } catch (const css::uno::Exception& e) {
            throw SpreadsheetError(QStringLiteral("LibreOffice: %1").arg(toQString(e.Message)));
        }
    }

    SpreadsheetError hungError() const
    {
        return SpreadsheetError(QStringLiteral("LibreOffice hat %1 s lang nicht geantwortet und wurde beendet")
                                    .arg(options.callTimeoutMs / 1000.0, 0, 'g', 3));
    }

    SpreadsheetError lostError() const
    {
        if (killedByWatchdog)
            return hungError();
        return SpreadsheetError(QStringLiteral("LibreOffice wurde unerwartet beendet"));
    }

    Reference<css::sheet::XSpreadsheet> sheet(int index)
    {
        if (!document.is())
            throw SpreadsheetError(QStringLiteral("keine Arbeitsmappe geöffnet"));
        Reference<css::container::XIndexAccess> sheets(document->getSheets(), UNO_QUERY_THROW);
        if (index < 1 || index > sheets->getCount())
            throw SpreadsheetError(QStringLiteral("kein Tabellenblatt %1").arg(index));
        return Reference<css::sheet::XSpreadsheet>(sheets->getByIndex(index - 1), UNO_QUERY_THROW);
    }

    Reference<css::table::XCellRange> range(int index, const CellRange& r)
    {
        return sheet(index)->getCellRangeByPosition(r.left - 1, r.top - 1, r.right - 1, r.bottom - 1);
    }

    void launch()
    {
        if (!IsSpreadsheetAvailable(options.office, options.visible))
            throw SpreadsheetError(options.visible && IsSpreadsheetAvailable(options.office, false)
                                       ? QStringLiteral("LibreOffice kann ohne Fenster-Plug-in kein Fenster zeigen")
                                       : QStringLiteral("LibreOffice Calc ist nicht installiert"));
        removeStaleProfiles();
        profileDir = options.profileDir;
        if (profileDir.isEmpty()) {
            static std::atomic<int> runs{0};
            profileDir = QDir(profileBase()).filePath(QStringLiteral("run-%1-%2-%3")
                                                          .arg(getpid())
                                                          .arg(++runs)
                                                          .arg(QString::fromLatin1(pipeName.right(8))));
            ownProfile = true;
        }
        if (!QDir().mkpath(profileDir))
            throw SpreadsheetError(QStringLiteral("Profilordner %1 nicht angelegt").arg(profileDir));
        QFile::setPermissions(profileBase(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QStringList arguments{QStringLiteral("--norestore"), QStringLiteral("--nodefault"),
                              QStringLiteral("--nolockcheck"), QStringLiteral("--nologo"),
                              QStringLiteral("-env:UserInstallation=") + toQString(fileUrl(profileDir)),
                              QString::fromLatin1(acceptArgument())};
        if (!options.visible)
            arguments.prepend(QStringLiteral("--headless"));
        // Detached: a visible office outlives this object and even the
        // program, and must not be a child that our end takes with it.
        QProcess process;
        process.setProgram(QDir(options.office.programDir).filePath(QStringLiteral("soffice")));
        process.setArguments(arguments);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        qint64 launcherPid = 0;
        if (!process.startDetached(&launcherPid))
            throw SpreadsheetError(QStringLiteral("LibreOffice nicht gestartet: %1").arg(process.errorString()));
        launched = true;
    }

    void connect()
    {
        QElapsedTimer timer;
        timer.start();
        const Reference<css::uno::XComponentContext> local = localContext(options.office.programDir);
        const Reference<css::bridge::XUnoUrlResolver> resolver = css::bridge::UnoUrlResolver::create(local);
        const OUString url = OUString::fromUtf8(
            QByteArray("uno:pipe,name=" + pipeName + ";urp;StarOffice.ComponentContext").constData());
        int emptyPolls = 0;
        for (;;) {
            try {
                arm(options.startTimeoutMs);
                remote.set(resolver->resolve(url), UNO_QUERY_THROW);
                disarm();
                break;
            } catch (const css::connection::NoConnectException&) {
                disarm();
            }
            const QList<qint64> running = ourProcesses();
            // The launcher script needs a moment before the office shows.
            emptyPolls = running.isEmpty() ? emptyPolls + 1 : 0;
            if (emptyPolls > 40)
                throw SpreadsheetError(QStringLiteral("LibreOffice hat sich beim Start beendet"));
            if (timer.elapsed() > options.startTimeoutMs) {
                kill();
                throw SpreadsheetError(QStringLiteral("LibreOffice ist nicht innerhalb von %1 s gestartet")
                                           .arg(options.startTimeoutMs / 1000.0, 0, 'g', 3));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        desktop = css::frame::Desktop::create(remote);
        for (const qint64 pid : ourProcesses()) {
            if (isOfficeBinary(pid))
                officePid = pid;
        }
        startMs = timer.elapsed();
    }

    void closeDocument()
    {
        if (!document.is())
            return;
        Reference<css::util::XCloseable> closeable(document, UNO_QUERY);
        document.clear();
        if (closeable.is())
            closeable->close(true);
    }

    void releaseAll()
    {
        document.clear();
        desktop.clear();
        remote.clear();
    }

    // The office marks a workbook it opened with a lock file beside it,
    // naming the profile that holds it. Once our office is gone, a lock file
    // naming our profile is stale and would block the next export of that file.
    void removeOurLockFiles()
    {
        if (!ourProcesses().isEmpty())
            return;
        const QByteArray ours = QUrl::fromLocalFile(profileDir).toEncoded();
        for (const QString& path : std::as_const(openedFiles)) {
            const QFileInfo info(path);
            QFile lock(info.dir().filePath(QStringLiteral(".~lock.") + info.fileName() + QLatin1Char('#')));
            if (!lock.open(QIODevice::ReadOnly))
                continue;
            const bool mine = lock.readAll().contains(ours);
            lock.close();
            if (mine)
                lock.remove();
        }
        openedFiles.clear();
    }

    void removeProfile()
    {
        removeOurLockFiles();
        if (ownProfile && !profileDir.isEmpty() && ourProcesses().isEmpty())
            QDir(profileDir).removeRecursively();
    }
};

UnoSpreadsheet::UnoSpreadsheet(UnoOptions options)
    : d(std::make_unique<Impl>(std::move(options)))
{
}

UnoSpreadsheet::~UnoSpreadsheet()
{
    try {
        d->releaseAll();
    } catch (...) {
    }
    if (d->launched && !d->handedOver) {
        d->kill();
        d->waitForExit(5000);
        d->removeProfile();
    }
}

qint64 UnoSpreadsheet::officePid() const { return d->officePid; }
qint64 UnoSpreadsheet::startMs() const { return d->startMs; }

void UnoSpreadsheet::killOffice() { d->kill(); }

void UnoSpreadsheet::start()
{
    if (d->remote.is())
        return;
    d->launch();
    try {
        d->connect();
    } catch (const css::uno::Exception& e) {
        d->kill();
        if (d->killedByWatchdog)
            throw SpreadsheetError(QStringLiteral("LibreOffice ist nicht innerhalb von %1 s gestartet")
                                       .arg(d->options.startTimeoutMs / 1000.0, 0, 'g', 3));
        throw SpreadsheetError(QStringLiteral("LibreOffice: %1").arg(toQString(e.Message)));
    }
}

void UnoSpreadsheet::setAlertsEnabled(bool)
{
    // No interaction handler is ever given to the office, and workbooks are
    // loaded with macros and link updates off: it has no one to ask and runs
    // no document events either way.
}

void UnoSpreadsheet::setVisible(bool on)
{
    d->call("setVisible", [&] {
        Reference<css::frame::XModel> model(d->document, UNO_QUERY_THROW);
        const Reference<css::awt::XWindow> window = model->getCurrentController()->getFrame()->getContainerWindow();
        window->setVisible(on);
        if (on) {
            Reference<css::awt::XTopWindow> top(window, UNO_QUERY);
            if (top.is())
                top->toFront();
        }
    });
    if (on)
        d->handedOver = true;
}

void UnoSpreadsheet::quit()
{
    if (!d->launched)
        return;
    try {
        d->call("quit", [&] {
            d->closeDocument();
            if (d->desktop.is())
                d->desktop->terminate();
        }, 10000);
    } catch (const SpreadsheetError&) {
        // An office that cannot quit is ended below.
    }
    try {
        d->releaseAll();
    } catch (...) {
    }
    if (!d->waitForExit(5000))
        d->kill();
    d->waitForExit(5000);
    d->officePid = 0;
    d->removeProfile();
    d->launched = false;
}

void UnoSpreadsheet::openWorkbook(const QString& path)
{
    d->call("openWorkbook", [&] {
        const Reference<css::frame::XComponentLoader> loader(d->desktop, UNO_QUERY_THROW);
        const Sequence<css::beans::PropertyValue> props = properties({
            property("Hidden", Any(true)),
            property("MacroExecMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)),
            property("UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE)),
        });
        Reference<css::lang::XComponent> component;
        try {
            component = loader->loadComponentFromURL(fileUrl(path), OUString("_blank"), 0, props);
        } catch (const css::lang::IllegalArgumentException&) {
            throw SpreadsheetError(QStringLiteral("die Datei lässt sich nicht öffnen"));
        }
        const Reference<css::sheet::XSpreadsheetDocument> workbook(component, UNO_QUERY);
        if (!workbook.is()) {
            Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            throw SpreadsheetError(QStringLiteral("die Datei ist keine Arbeitsmappe, die LibreOffice lesen kann"));
        }
        d->closeDocument();
        d->document = workbook;
        d->openedFiles << QFileInfo(path).absoluteFilePath();
    });
}

void UnoSpreadsheet::addWorkbook()
{
    d->call("addWorkbook", [&] {
        const Reference<css::frame::XComponentLoader> loader(d->desktop, UNO_QUERY_THROW);
        const Sequence<css::beans::PropertyValue> props = properties({property("Hidden", Any(true))});
        d->document.set(loader->loadComponentFromURL(OUString("private:factory/scalc"), OUString("_blank"), 0, props),
                        UNO_QUERY);
        if (!d->document.is())
            throw SpreadsheetError(QStringLiteral("keine neue Arbeitsmappe"));
    });
}

int UnoSpreadsheet::worksheetCount()
{
    return d->call("worksheetCount", [&] {
        if (!d->document.is())
            throw SpreadsheetError(QStringLiteral("keine Arbeitsmappe geöffnet"));
        Reference<css::container::XIndexAccess> sheets(d->document->getSheets(), UNO_QUERY_THROW);
        return int(sheets->getCount());
    });
}

void UnoSpreadsheet::addWorksheet()
{
    d->call("addWorksheet", [&] {
        if (!d->document.is())
            throw SpreadsheetError(QStringLiteral("keine Arbeitsmappe geöffnet"));
        const Reference<css::sheet::XSpreadsheets> sheets = d->document->getSheets();
        Reference<css::container::XIndexAccess> indexed(sheets, UNO_QUERY_THROW);
        const sal_Int32 count = indexed->getCount();
        int n = int(count) + 1;
        while (sheets->hasByName(toOUString(QStringLiteral("Tabelle%1").arg(n))))
            ++n;
        sheets->insertNewByName(toOUString(QStringLiteral("Tabelle%1").arg(n)), sal_Int16(count));
    });
}

int UnoSpreadsheet::usedRows(int sheet)
{
    return d->call("usedRows", [&] {
        const Reference<css::sheet::XSheetCellCursor> cursor = d->sheet(sheet)->createCursor();
        Reference<css::sheet::XUsedAreaCursor> used(cursor, UNO_QUERY_THROW);
        used->gotoEndOfUsedArea(false);
        Reference<css::sheet::XCellRangeAddressable> address(cursor, UNO_QUERY_THROW);
        return int(address->getRangeAddress().EndRow) + 1;
    });
}

CellRows UnoSpreadsheet::values(int sheet, const CellRange& range)
{
    return d->call("values", [&] {
        Reference<css::sheet::XCellRangeData> data(d->range(sheet, range), UNO_QUERY_THROW);
        const Sequence<Sequence<Any>> array = data->getDataArray();
        CellRows rows;
        rows.reserve(array.getLength());
        for (const Sequence<Any>& line : array) {
            QVector<CellValue> row;
            row.reserve(line.getLength());
            for (const Any& any : line) {
                double number = 0;
                OUString text;
                if (any >>= number)
                    row.append(number);
                else if ((any >>= text) && !text.isEmpty())
                    row.append(toQString(text));
                else
                    row.append(std::monostate{});
            }
            rows.append(row);
        }
        return rows;
    });
}

void UnoSpreadsheet::setValues(int sheet, const CellRange& range, const CellRows& values)
{
    d->call("setValues", [&] {
        Sequence<Sequence<Any>> array(range.rows());
        auto* lines = array.getArray();
        for (int r = 0; r < range.rows(); ++r) {
            Sequence<Any> line(range.columns());
            auto* cells = line.getArray();
            for (int c = 0; c < range.columns(); ++c) {
                const CellValue value = r < values.size() && c < values[r].size() ? values[r][c] : CellValue{};
                if (const auto* text = std::get_if<QString>(&value))
                    cells[c] <<= toOUString(*text);  // stored as text, never parsed
                else if (const auto* number = std::get_if<double>(&value))
                    cells[c] <<= *number;
                else
                    cells[c] <<= OUString();
            }
            lines[r] = line;
        }
        Reference<css::sheet::XCellRangeData> data(d->range(sheet, range), UNO_QUERY_THROW);
        data->setDataArray(array);
    });
}

void UnoSpreadsheet::autofitColumns(int sheet, const CellRange& range)
{
    d->call("autofitColumns", [&] {
        Reference<css::table::XColumnRowRange> columns(d->range(sheet, range), UNO_QUERY_THROW);
        Reference<css::beans::XPropertySet> props(columns->getColumns(), UNO_QUERY_THROW);
        props->setPropertyValue(OUString("OptimalWidth"), Any(true));
    });
}

void UnoSpreadsheet::setBold(int sheet, const CellRange& range)
{
    d->call("setBold", [&] {
        Reference<css::beans::XPropertySet> props(d->range(sheet, range), UNO_QUERY_THROW);
        props->setPropertyValue(OUString("CharWeight"), Any(float(css::awt::FontWeight::BOLD)));
    });
}

QString UnoSpreadsheet::worksheetName(int sheet)
{
    return d->call("worksheetName", [&] {
        Reference<css::container::XNamed> named(d->sheet(sheet), UNO_QUERY_THROW);
        return toQString(named->getName());
    });
}

void UnoSpreadsheet::setWorksheetName(int sheet, const QString& name)
{
    d->call("setWorksheetName", [&] {
        Reference<css::container::XNamed> named(d->sheet(sheet), UNO_QUERY_THROW);
        named->setName(toOUString(name));
    });
}

void UnoSpreadsheet::setDocumentInfo(const QString& title, const QString& subject, const QString& comments)
{
    d->call("setDocumentInfo", [&] {
        Reference<css::document::XDocumentPropertiesSupplier> supplier(d->document, UNO_QUERY_THROW);
        const Reference<css::document::XDocumentProperties> props = supplier->getDocumentProperties();
        props->setTitle(toOUString(title));
        props->setSubject(toOUString(subject));
        props->setDescription(toOUString(comments));
    });
}

void UnoSpreadsheet::saveAs(const QString& path, WorkbookFormat format)
{
    const QString filter = filterName(format);
    if (filter.isEmpty())
        throw SpreadsheetError(QStringLiteral("kein Arbeitsmappen-Format für %1").arg(path));
    d->call("saveAs", [&] {
        Reference<css::frame::XStorable> storable(d->document, UNO_QUERY_THROW);
        const Sequence<css::beans::PropertyValue> props = properties(
            {property("FilterName", Any(toOUString(filter))), property("Overwrite", Any(true))});
        try {
            storable->storeToURL(fileUrl(path), props);
        } catch (const css::io::IOException&) {
            throw SpreadsheetError(QStringLiteral("die Datei kann nicht geschrieben werden"));
        }
    });
}

}  // namespace platform
