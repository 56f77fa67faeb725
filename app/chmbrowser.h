#pragma once

#include <QTextBrowser>

class ChmFile;

// A text browser whose pages, style sheets and pictures come from a compiled
// help file. Pages are addressed as "chm:/path/page.html"; links to anything
// else (web, mail) go to the desktop.
class ChmBrowser : public QTextBrowser {
    Q_OBJECT

public:
    static constexpr const char* kScheme = "chm";

    explicit ChmBrowser(const ChmFile& file, QWidget* parent = nullptr);

    static QUrl pageUrl(const QString& archivePath);
    // Shows a page of the archive; false when it has no such page.
    bool showPage(const QString& archivePath);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    void followLink(const QUrl& url);

    const ChmFile& m_file;
};
