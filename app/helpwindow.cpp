#include "app/helpwindow.h"

#include "app/chmbrowser.h"
#include "app/chmfile.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QSplitter>
#include <QTreeWidget>

namespace {

constexpr int kLocalRole = Qt::UserRole + 1;

} // namespace

THelpWindow::THelpWindow(std::unique_ptr<ChmFile> file, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_file(std::move(file))
{
    setObjectName(QStringLiteral("HelpWindow"));
    const QString title = m_file->title();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Pylonix – Hilfe") : title);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    m_tree = new QTreeWidget(splitter);
    m_tree->setObjectName(QStringLiteral("TreeContents"));
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_browser = new ChmBrowser(*m_file, splitter);
    m_browser->setObjectName(QStringLiteral("Browser"));
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 620});

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
    resize(880, 600);

    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { showItem(item); });
    loadContents();
}

THelpWindow::~THelpWindow() = default;

QString THelpWindow::helpFile() const
{
    return m_file->path();
}

void THelpWindow::loadContents()
{
    QString contents = m_file->contentsFile();
    if (contents.isEmpty() || !m_file->contains(contents)) {
        contents.clear();
        for (const QString& object : m_file->objects())
            if (object.endsWith(QLatin1String(".hhc"), Qt::CaseInsensitive)) {
                contents = object;
                break;
            }
    }
    if (!contents.isEmpty())
        if (const auto html = m_file->read(contents))
            m_toc = parseChmSitemap(*html);

    // Items deeper than one step below their predecessor hang on the deepest open one.
    std::vector<QTreeWidgetItem*> parents;
    for (const ChmTocItem& entry : m_toc) {
        while (int(parents.size()) > entry.level)
            parents.pop_back();
        auto* item = parents.empty() ? new QTreeWidgetItem(m_tree) : new QTreeWidgetItem(parents.back());
        item->setText(0, entry.name);
        item->setData(0, kLocalRole, entry.local);
        parents.push_back(item);
    }
    m_tree->expandAll();

    // First page: the file's default topic, else the first entry with a page.
    if (!m_file->defaultTopic().isEmpty() && m_browser->showPage(m_file->defaultTopic()))
        return;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        if (!(*it)->data(0, kLocalRole).toString().isEmpty()) {
            m_tree->setCurrentItem(*it);
            return;
        }
}

void THelpWindow::showItem(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const QString local = item->data(0, kLocalRole).toString();
    if (!local.isEmpty())
        m_browser->showPage(local);
}
