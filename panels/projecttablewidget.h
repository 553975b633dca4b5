// The project table: every survey of a folder as a row (pile number,
// measure points, waves, marks, the shallowest cave roof, the largest cave
// height, the verdict and whether a report exists beside it). Rows are read
// in the background from the header and the analysis records only, kept by
// file size and time, and follow the folder as files appear, change or go.
// It only reads; opening a survey is the main window's business.
#pragma once

#include "datafile/surveyscan.h"
#include "report/render/summarytable.h"

#include <QAbstractTableModel>
#include <QFutureWatcher>
#include <QThreadPool>
#include <QWidget>
#include <functional>

class QFileSystemWatcher;
class QLabel;
class QSortFilterProxyModel;
class QTableView;
class QTimer;

class ProjectTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { File, Pile, Points, Waves, Marks, Roof, Height, Verdict, Report, ColumnCount };

    explicit ProjectTableModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void setRows(const QVector<SummaryRow> &rows);
    const QVector<SummaryRow> &rows() const { return m_rows; }
    // The report beside a survey (same base name, .pdf/.docx/.png), if any.
    static QString reportBeside(const QString &survey);

private:
    QVector<SummaryRow> m_rows;
    QVector<QString> m_reports; // "已输出 <time>" or empty, per row
};

class ProjectTableWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ProjectTableWidget(QWidget *parent = nullptr);
    ~ProjectTableWidget() override;

    // Shows the surveys of `folder` and follows it.
    void setFolder(const QString &folder);
    QString folder() const { return m_folder; }
    // Reads the folder again (changed rows only; the others come from the cache).
    void refresh();
    // True while rows are being read.
    bool isBusy() const;

    const QVector<SummaryRow> &rows() const { return m_model->rows(); }
    // The surveys of the selected rows, in the table's order (all when none is selected).
    QStringList selectedSurveys() const;
    QStringList allSurveys() const;
    QTableView *view() const { return m_view; }

    // Chooses where to save (parent, title, suggested path, filter); empty when cancelled.
    using SaveDialogFunc = std::function<QString(QWidget *, const QString &, const QString &, const QString &)>;
    void setSaveDialogFunc(SaveDialogFunc func) { m_saveDialog = std::move(func); }
    // 导出汇总表: the rows as .xlsx, .csv or .pdf, chosen by the name; false
    // with `error` set when it could not be written (nothing chosen: false,
    // no error).
    bool exportSummary(QString *error);
    // 批量输出: the reports of all rows or the selected ones.
    void showBatchOutput();

signals:
    void openRequested(const QString &path);
    // Every refresh's rows are in.
    void rowsUpdated();

private:
    void onScanned();
    // Waits for the reading under way and shows its rows.
    void settle();

    QString m_folder;
    ProjectTableModel *m_model = nullptr;
    QSortFilterProxyModel *m_proxy = nullptr;
    QTableView *m_view = nullptr;
    QLabel *m_status = nullptr;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_debounce = nullptr;
    SurveyScanCache m_cache;
    // The reading waits for its pieces on the global pool: it runs on a
    // thread of its own so that it never holds one of the pool's threads.
    QThreadPool m_pool;
    QFutureWatcher<QVector<SummaryRow>> m_scan;
    bool m_again = false; // the folder changed while reading it
    bool m_shown = true;  // the last reading's rows are in the table
    SaveDialogFunc m_saveDialog;
};
