#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class ChmLibrary;
class THelpWindow;

// The program's help: compiled HTML help files read through chmlib, shown in
// help windows of our own. Loaded once at start, before any window exists;
// when chmlib is missing the operator is told once and help stays off.
class HtmlHelp {
public:
    using WarningHandler = std::function<void(const QString& text)>;

    explicit HtmlHelp(const QString& libraryFileName = QStringLiteral("libchm.so.1"));
    ~HtmlHelp();
    HtmlHelp(const HtmlHelp&) = delete;
    HtmlHelp& operator=(const HtmlHelp&) = delete;

    // The program-wide help.
    static HtmlHelp& instance();

    // The help file of the running program: its own path with ".chm".
    static QString programHelpFile();

    // The warning shown when the library cannot be loaded.
    static QString missingLibraryText(const QString& libraryFileName);

    // Loads chmlib. On failure `warn` (by default a message box "Warning!")
    // is called with missingLibraryText, once for the life of this object;
    // a failed load is not retried.
    bool loadHelpSupport(const WarningHandler& warn = {});
    bool isLoaded() const;
    QString libraryFileName() const;

    // Shows the table of contents of a help file in a help window (the same
    // window again when that file is already shown). Does nothing and returns
    // false while chmlib is not loaded, when the file does not exist or is not
    // a valid compiled help file.
    bool showTableOfContents(const QString& helpFile);

    // Closes and destroys every help window. Call it at program end while the
    // application object still exists.
    void closeAll();
    // Closes the windows and releases the library.
    void unloadHelpSupport();

    QList<THelpWindow*> windows() const;

private:
    std::unique_ptr<ChmLibrary> m_library;
    bool m_tried = false;
    std::vector<std::unique_ptr<THelpWindow>> m_windows;
};
