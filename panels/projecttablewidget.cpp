#include "projecttablewidget.h"

#include "io/safewrite.h"
#include "panels/batchoutputdialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// Natural order for names, numbers by value, rows without a value last.
class ProjectSortModel : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override
    {
        const QVariant a = left.data(Qt::UserRole), b = right.data(Qt::UserRole);
        if (a.type() == QVariant::String || b.type() == QVariant::String)
            return naturalLess(a.toString(), b.toString());
        if (!a.isValid() || !b.isValid())
            return a.isValid(); // a value before none
        return a.toDouble() < b.toDouble();
    }
};

QString metres(bool has, double v) { return has ? QString::number(v, 'f', 2) : QString(); }

} // namespace

ProjectTableModel::ProjectTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

int ProjectTableModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_rows.size(); }

int ProjectTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ProjectTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case File: return tr("文件");
    case Pile: return tr("桩号");
    case Points: return tr("测点数");
    case Waves: return tr("波形数");
    case Marks: return tr("标记数");
    case Roof: return tr("最浅溶洞顶板 (m)");
    case Height: return tr("最大洞高 (m)");
    case Verdict: return tr("结论");
    case Report: return tr("报告");
    default: return QVariant();
    }
}

QVariant ProjectTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const SummaryRow &r = m_rows.at(index.row());
    const PileFindings &f = r.findings;
    const int c = index.column();
    if (role == Qt::ToolTipRole) {
        if (!r.ok())
            return tr("%1\n无法读取：%2").arg(r.path, r.error);
        return c == Verdict && !f.text.isEmpty() ? f.text : r.path;
    }
    if (role == Qt::ForegroundRole) {
        if (!r.ok() && c == Pile)
            return QColor(Qt::darkRed);
        if (r.ok() && c == Verdict && f.assessed)
            return f.meets ? QColor(Qt::darkGreen) : QColor(Qt::red);
        return QVariant();
    }
    if (role == Qt::TextAlignmentRole)
        return (c >= Points && c <= Height) ? int(Qt::AlignRight | Qt::AlignVCenter)
                                            : int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == Qt::UserRole) { // what the column sorts by
        switch (c) {
        case File: return r.file;
        case Pile: return r.ok() ? r.pilingNumber : QString();
        case Verdict: return r.ok() ? f.conclusion : QString();
        case Report: return m_reports.value(index.row());
        default: break;
        }
        if (!r.ok())
            return QVariant();
        switch (c) {
        case Points: return r.points;
        case Waves: return r.waves;
        case Marks: return f.marks;
        case Roof: return f.hasRoof ? QVariant(f.roofM) : QVariant();
        case Height: return f.hasHeight ? QVariant(f.maxHeightM) : QVariant();
        default: return QVariant();
        }
    }
    if (role != Qt::DisplayRole)
        return QVariant();
    if (c == File)
        return r.file;
    if (c == Report)
        return m_reports.value(index.row());
    if (!r.ok())
        return c == Pile ? tr("无法读取：%1").arg(r.error) : QVariant();
    switch (c) {
    case Pile: return r.pilingNumber;
    case Points: return r.points;
    case Waves: return r.waves;
    case Marks: return f.marks;
    case Roof: return metres(f.hasRoof, f.roofM);
    case Height: return metres(f.hasHeight, f.maxHeightM);
    case Verdict: return f.conclusion;
    default: return QVariant();
    }
}

QString ProjectTableModel::reportBeside(const QString &survey)
{
    const QFileInfo fi(survey);
    QDateTime newest;
    for (const char *suffix : {".pdf", ".docx", ".png"}) {
        const QFileInfo report(fi.dir().filePath(fi.completeBaseName() + QLatin1String(suffix)));
        if (report.isFile() && (!newest.isValid() || report.lastModified() > newest))
            newest = report.lastModified();
    }
    return newest.isValid() ? tr("已输出 %1").arg(newest.toString(QStringLiteral("yyyy-MM-dd hh:mm"))) : QString();
}

void ProjectTableModel::setRows(const QVector<SummaryRow> &rows)
{
    beginResetModel();
    m_rows = rows;
    m_reports.clear();
    for (const SummaryRow &r : m_rows)
        m_reports << reportBeside(r.path);
    endResetModel();
}

ProjectTableWidget::ProjectTableWidget(QWidget *parent)
    : QWidget(parent)
    , m_model(new ProjectTableModel(this))
    , m_proxy(new ProjectSortModel(this))
    , m_view(new QTableView(this))
    , m_status(new QLabel(this))
    , m_watcher(new QFileSystemWatcher(this))
    , m_debounce(new QTimer(this))
{
    setObjectName(QStringLiteral("projectTable"));
    m_pool.setMaxThreadCount(1);
    m_proxy->setSourceModel(m_model);
    m_view->setModel(m_proxy);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(ProjectTableModel::File, Qt::AscendingOrder);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAlternatingRowColors(true);
    m_view->verticalHeader()->setVisible(false);
    m_view->horizontalHeader()->setStretchLastSection(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_view);
    layout->addWidget(m_status);

    connect(m_view, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        const int row = m_proxy->mapToSource(index).row();
        if (row >= 0 && row < rows().size())
            emit openRequested(rows().at(row).path);
    });
    // Changes come in bursts (a copy of many files): read once they settle.
    m_debounce->setSingleShot(true);
    m_debounce->setInterval(300);
    connect(m_debounce, &QTimer::timeout, this, &ProjectTableWidget::refresh);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_debounce, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_debounce, qOverload<>(&QTimer::start));
    connect(&m_scan, &QFutureWatcher<QVector<SummaryRow>>::finished, this, &ProjectTableWidget::onScanned);
    m_saveDialog = [](QWidget *p, const QString &title, const QString &path, const QString &filter) {
        return QFileDialog::getSaveFileName(p, title, path, filter);
    };
}

ProjectTableWidget::~ProjectTableWidget() { m_scan.waitForFinished(); }

void ProjectTableWidget::setFolder(const QString &folder)
{
    const QString dir = QFileInfo(folder).absoluteFilePath();
    if (dir == m_folder && !m_folder.isEmpty())
        return;
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    m_folder = dir;
    if (QFileInfo(dir).isDir())
        m_watcher->addPath(dir);
    setWindowTitle(tr("工程汇总 - %1").arg(QDir::toNativeSeparators(dir)));
    refresh();
}

bool ProjectTableWidget::isBusy() const { return m_scan.isRunning(); }

void ProjectTableWidget::refresh()
{
    if (m_scan.isRunning()) {
        m_again = true;
        return;
    }
    m_again = false;
    m_shown = false;
    const QString folder = m_folder;
    const ProjectParams shared = sProjectParams; // taken here, not on the worker
    m_status->setText(tr("正在读取…"));
    SurveyScanCache *cache = &m_cache;
    m_scan.setFuture(QtConcurrent::run(&m_pool, [folder, shared, cache]() {
        const QStringList paths = folder.isEmpty() ? QStringList() : surveysInFolder(folder);
        return summaryRows(cache->scanAll(paths), 0, shared);
    }));
}

void ProjectTableWidget::settle()
{
    m_scan.waitForFinished();
    onScanned();
}

void ProjectTableWidget::onScanned()
{
    if (m_shown)
        return;
    m_shown = true;
    const QVector<SummaryRow> rows = m_scan.result();
    m_model->setRows(rows);
    // Files are watched too, so that a survey saved in place is read again.
    QStringList paths;
    for (const SummaryRow &r : rows)
        paths << r.path;
    const QStringList watched = m_watcher->files();
    for (const QString &w : watched)
        if (!paths.contains(w))
            m_watcher->removePath(w);
    for (const QString &p : paths)
        if (!watched.contains(p))
            m_watcher->addPath(p);
    int failed = 0;
    for (const SummaryRow &r : rows)
        failed += r.ok() ? 0 : 1;
    m_status->setText(failed ? tr("%1 个测量文件，%2 个无法读取").arg(rows.size()).arg(failed)
                             : tr("%1 个测量文件").arg(rows.size()));
    m_view->resizeColumnsToContents();
    // A long error text or name does not push the other columns away.
    for (int c = 0; c < ProjectTableModel::ColumnCount; ++c)
        m_view->setColumnWidth(c, qMin(m_view->columnWidth(c), 220));
    emit rowsUpdated();
    if (m_again)
        refresh();
}

QStringList ProjectTableWidget::allSurveys() const
{
    QStringList out;
    for (int i = 0; i < m_proxy->rowCount(); ++i)
        out << rows().at(m_proxy->mapToSource(m_proxy->index(i, 0)).row()).path;
    return out;
}

QStringList ProjectTableWidget::selectedSurveys() const
{
    QStringList out;
    const QModelIndexList selected = m_view->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return allSurveys();
    for (int i = 0; i < m_proxy->rowCount(); ++i) {
        const QModelIndex index = m_proxy->index(i, 0);
        if (m_view->selectionModel()->isRowSelected(i, QModelIndex()))
            out << rows().at(m_proxy->mapToSource(index).row()).path;
    }
    return out;
}

bool ProjectTableWidget::exportSummary(QString *error)
{
    settle();
    const QString suggested = QDir(m_folder).filePath(tr("汇总表") + QStringLiteral(".xlsx"));
    QString path = m_saveDialog(this, tr("导出汇总表"), suggested,
                                tr("Excel 工作簿 (*.xlsx);;CSV 文件 (*.csv);;PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".xlsx");
    if (!isSummaryFormat(path)) {
        *error = tr("汇总表的格式由扩展名决定：.xlsx、.csv 或 .pdf");
        return false;
    }
    QStringList inputs;
    for (const SummaryRow &r : rows())
        inputs << r.path;
    QString why;
    if (!writeSummary(rows(), path, true, &why, inputs)) {
        *error = kvrio::writeFailedText(path, why);
        return false;
    }
    return true;
}

void ProjectTableWidget::showBatchOutput()
{
    settle();
    auto *dialog = new BatchOutputDialog(allSurveys(), selectedSurveys(), m_folder, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // The table shows the new reports when they are done.
    connect(dialog, &BatchOutputDialog::finishedAll, this, &ProjectTableWidget::refresh);
    dialog->show();
}
