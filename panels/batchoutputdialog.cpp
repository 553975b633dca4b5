#include "batchoutputdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

BatchOutputDialog::BatchOutputDialog(const QStringList &all, const QStringList &selected, const QString &outDir,
                                     QWidget *parent)
    : QDialog(parent)
    , m_all(all)
    , m_selected(selected)
{
    setWindowTitle(tr("批量输出"));
    setObjectName(QStringLiteral("batchOutputDialog"));
    m_pool.setMaxThreadCount(1);
    m_useAll = new QRadioButton(tr("表中全部（%1 个）").arg(all.size()), this);
    m_useSelected = new QRadioButton(tr("选中的行（%1 个）").arg(selected.size()), this);
    m_useSelected->setEnabled(!selected.isEmpty() && selected.size() != all.size());
    (m_useSelected->isEnabled() ? m_useSelected : m_useAll)->setChecked(true);
    m_kind = new QComboBox(this);
    m_kind->addItem(tr("PDF"), int(ReportKind::Pdf));
    m_kind->addItem(tr("Word"), int(ReportKind::Word));
    m_kind->addItem(tr("图片"), int(ReportKind::Image));
    m_outDir = new QLineEdit(QDir::toNativeSeparators(outDir), this);
    auto *browse = new QPushButton(tr("浏览…"), this);
    m_overwrite = new QCheckBox(tr("覆盖已有文件"), this);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_state = new QLabel(this);
    m_result = new QPlainTextEdit(this);
    m_result->setReadOnly(true);
    m_result->setMinimumHeight(160);
    m_start = new QPushButton(tr("开始"), this);
    m_cancel = new QPushButton(tr("取消"), this);
    m_cancel->setEnabled(false);
    auto *close = new QPushButton(tr("关闭"), this);

    auto *surveys = new QHBoxLayout;
    surveys->addWidget(m_useAll);
    surveys->addWidget(m_useSelected);
    surveys->addStretch();
    auto *folder = new QHBoxLayout;
    folder->addWidget(m_outDir);
    folder->addWidget(browse);
    auto *form = new QFormLayout;
    form->addRow(tr("测量文件："), surveys);
    form->addRow(tr("输出格式："), m_kind);
    form->addRow(tr("输出文件夹："), folder);
    form->addRow(QString(), m_overwrite);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_progress);
    layout->addWidget(m_state);
    layout->addWidget(m_result);
    layout->addLayout(buttons);
    resize(560, 420);

    m_folderDialog = [](QWidget *p, const QString &title, const QString &dir) {
        return QFileDialog::getExistingDirectory(p, title, dir);
    };
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString dir = m_folderDialog(this, tr("选择输出文件夹"), QDir::fromNativeSeparators(m_outDir->text()));
        if (!dir.isEmpty())
            m_outDir->setText(QDir::toNativeSeparators(dir));
    });
    connect(m_start, &QPushButton::clicked, this, &BatchOutputDialog::start);
    connect(m_cancel, &QPushButton::clicked, this, &BatchOutputDialog::cancel);
    connect(close, &QPushButton::clicked, this, &BatchOutputDialog::reject);
    connect(&m_run, &QFutureWatcher<QVector<BatchOutcome>>::finished, this, &BatchOutputDialog::onFinished);
}

BatchOutputDialog::~BatchOutputDialog()
{
    m_cancelFlag = true;
    m_run.waitForFinished();
}

bool BatchOutputDialog::start()
{
    if (m_run.isRunning())
        return false;
    const QStringList surveys = m_useSelected->isChecked() ? m_selected : m_all;
    const QString outDir = QDir::fromNativeSeparators(m_outDir->text().trimmed());
    if (surveys.isEmpty()) {
        m_state->setText(tr("没有要输出的测量文件"));
        return false;
    }
    if (outDir.isEmpty() || (QFileInfo::exists(outDir) && !QFileInfo(outDir).isDir()) || !QDir().mkpath(outDir)) {
        m_state->setText(tr("无法使用输出文件夹 %1").arg(QDir::toNativeSeparators(outDir)));
        return false;
    }
    const auto kind = ReportKind(m_kind->currentData().toInt());
    QVector<ReportJob> jobs;
    for (const QString &s : surveys)
        jobs << ReportJob {kind, s, reportPathFor(outDir, s, kind), QString(), QStringList()};
    m_cancelFlag = false;
    m_outcomes.clear();
    m_result->clear();
    m_progress->setRange(0, jobs.size());
    m_progress->setValue(0);
    m_state->setText(tr("正在输出…"));
    m_start->setEnabled(false);
    m_cancel->setEnabled(true);
    BatchOptions options;
    options.workers = QThread::idealThreadCount();
    options.overwrite = m_overwrite->isChecked();
    options.cancel = &m_cancelFlag;
    QPointer<BatchOutputDialog> self(this);
    options.progress = [self](int done, int total, const BatchOutcome &) {
        QMetaObject::invokeMethod(
            self.data(),
            [self, done, total] {
                if (self)
                    self->onProgress(done, total);
            },
            Qt::QueuedConnection);
    };
    m_run.setFuture(QtConcurrent::run(&m_pool, [jobs, options] { return runReportBatch(jobs, options); }));
    return true;
}

void BatchOutputDialog::cancel()
{
    m_cancelFlag = true;
    m_cancel->setEnabled(false);
    m_state->setText(tr("正在取消：正在输出的报告完成后停止…"));
}

void BatchOutputDialog::reject()
{
    if (m_run.isRunning()) {
        cancel();
        return; // closes once the reports under way are done
    }
    QDialog::reject();
}

void BatchOutputDialog::onProgress(int done, int total)
{
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    if (!m_cancelFlag)
        m_state->setText(tr("已完成 %1 / %2").arg(done).arg(total));
}

void BatchOutputDialog::onFinished()
{
    m_outcomes = m_run.result();
    int written = 0, kept = 0, failed = 0, cancelled = 0;
    QStringList lines;
    for (const BatchOutcome &o : qAsConst(m_outcomes)) {
        const QString out = QDir::toNativeSeparators(o.output);
        switch (o.state) {
        case BatchOutcome::Written:
            ++written;
            lines << (o.warning.isEmpty() ? tr("已输出：%1").arg(out) : tr("已输出：%1（%2）").arg(out, o.warning));
            break;
        case BatchOutcome::Kept:
            ++kept;
            lines << tr("已存在，未覆盖：%1").arg(out);
            break;
        case BatchOutcome::Failed:
            ++failed;
            lines << tr("失败：%1：%2").arg(QDir::toNativeSeparators(o.input), o.error);
            break;
        case BatchOutcome::Cancelled:
            ++cancelled;
            lines << tr("已取消：%1").arg(QDir::toNativeSeparators(o.input));
            break;
        }
    }
    m_result->setPlainText(lines.join(QLatin1Char('\n')));
    m_state->setText(
        tr("输出 %1 个，保留 %2 个，失败 %3 个，取消 %4 个").arg(written).arg(kept).arg(failed).arg(cancelled));
    m_start->setEnabled(true);
    m_cancel->setEnabled(false);
    emit finishedAll();
}
