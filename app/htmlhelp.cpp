#include "app/htmlhelp.h"

#include "app/chmfile.h"
#include "app/chmlibrary.h"
#include "app/helpwindow.h"
#include "app/messagebox.h"
#include "app/programname.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

HtmlHelp::HtmlHelp(const QString& libraryFileName)
    : m_library(std::make_unique<ChmLibrary>(libraryFileName))
{
}

HtmlHelp::~HtmlHelp()
{
    // Widgets cannot outlive the application object: when closeAll was
    // missed and the program-wide help dies after it, the windows are let go
    // with the process instead of being destroyed.
    if (!QCoreApplication::instance())
        for (auto& window : m_windows)
            (void)window.release();
    // Windows before the library: they still hold open files.
    m_windows.clear();
}

HtmlHelp& HtmlHelp::instance()
{
    static HtmlHelp help;
    return help;
}

QString HtmlHelp::programHelpFile()
{
    const QString program = QCoreApplication::applicationFilePath();
    return QFileInfo(program).absolutePath() + QLatin1Char('/') + programBaseName(program) + QStringLiteral(".chm");
}

QString HtmlHelp::missingLibraryText(const QString& libraryFileName)
{
    return QStringLiteral("Unable to view HTML help (*.chm). Update windows help system. Get new \"")
        + libraryFileName + QStringLiteral("\" library.");
}

bool HtmlHelp::loadHelpSupport(const WarningHandler& warn)
{
    if (m_library->isLoaded())
        return true;
    if (m_tried)
        return false;
    m_tried = true;
    if (m_library->load())
        return true;

    const QString text = missingLibraryText(m_library->fileName());
    if (warn) {
        warn(text);
    } else {
        showPlainMessage(nullptr, QMessageBox::Warning, QStringLiteral("Warning!"), text);
    }
    return false;
}

bool HtmlHelp::isLoaded() const
{
    return m_library->isLoaded();
}

QString HtmlHelp::libraryFileName() const
{
    return m_library->fileName();
}

bool HtmlHelp::showTableOfContents(const QString& helpFile)
{
    if (!m_library->isLoaded() || !QFileInfo(helpFile).isFile())
        return false;

    const QString key = QFileInfo(helpFile).canonicalFilePath();
    for (const auto& window : m_windows)
        if (QFileInfo(window->helpFile()).canonicalFilePath() == key) {
            window->show();
            window->raise();
            window->activateWindow();
            return true;
        }

    auto file = ChmFile::open(*m_library, helpFile);
    if (!file)
        return false;
    auto window = std::make_unique<THelpWindow>(std::move(file));
    window->show();
    window->raise();
    window->activateWindow();
    m_windows.push_back(std::move(window));
    return true;
}

void HtmlHelp::closeAll()
{
    for (const auto& window : m_windows)
        window->close();
    m_windows.clear();
}

void HtmlHelp::unloadHelpSupport()
{
    closeAll();
    m_library->unload();
}

QList<THelpWindow*> HtmlHelp::windows() const
{
    QList<THelpWindow*> list;
    for (const auto& window : m_windows)
        list.append(window.get());
    return list;
}
