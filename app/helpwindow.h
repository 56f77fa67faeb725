#pragma once

#include "app/chmsitemap.h"

#include <QWidget>

#include <memory>

class ChmBrowser;
class ChmFile;
class QTreeWidget;
class QTreeWidgetItem;

// A help viewer for one compiled help file: its table of contents beside
// the page it points to.
class THelpWindow : public QWidget {
    Q_OBJECT

public:
    // Takes over the open file; the window reads every page through it.
    explicit THelpWindow(std::unique_ptr<ChmFile> file, QWidget* parent = nullptr);
    ~THelpWindow() override;

    QString helpFile() const;
    QTreeWidget* contentsTree() const { return m_tree; }
    ChmBrowser* browser() const { return m_browser; }
    const std::vector<ChmTocItem>& tableOfContents() const { return m_toc; }

private:
    void loadContents();
    void showItem(QTreeWidgetItem* item);

    std::unique_ptr<ChmFile> m_file;
    std::vector<ChmTocItem> m_toc;
    QTreeWidget* m_tree = nullptr;
    ChmBrowser* m_browser = nullptr;
};
