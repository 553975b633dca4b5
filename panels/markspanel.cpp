#include "markspanel.h"

#include "io/safewrite.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

MarksPanel::MarksPanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("MarksPanel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    m_table = new QTableWidget(0, 6, this);
    m_table->setObjectName(QStringLiteral("tableMarks"));
    m_table->setHorizontalHeaderLabels(
        {tr("测点"), tr("通道"), tr("方位角(°)"), tr("洞顶(m)"), tr("洞底(m)"), tr("洞高(m)")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->setVisible(false);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_table, 1);
    auto *row = new QHBoxLayout();
    m_btnExport = new QPushButton(tr("导出CSV..."), this);
    m_btnExport->setObjectName(QStringLiteral("btnExportMarks"));
    m_btnExport->setEnabled(false);
    row->addStretch();
    row->addWidget(m_btnExport);
    layout->addLayout(row);

    connect(m_table, &QTableWidget::cellClicked, this, [this](int r, int) {
        if (r >= 0 && r < m_marks.size())
            emit waveActivated(m_marks.at(r).index);
    });
    connect(m_btnExport, &QPushButton::clicked, this, &MarksPanel::onExportClicked);
    m_asker = [this](const QString &suggested) {
        return QFileDialog::getSaveFileName(this, tr("导出标记列表"), suggested, tr("CSV 文件(*.csv)"));
    };
}

void MarksPanel::setMarks(const QVector<pile::CaveMark> &marks)
{
    m_marks = marks;
    m_table->setRowCount(marks.size());
    auto cell = [this](int r, int c, const QString &text) {
        auto *item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table->setItem(r, c, item);
    };
    for (int r = 0; r < marks.size(); ++r) {
        const pile::CaveMark &m = marks.at(r);
        cell(r, 0, QString::number(m.measurePoint + 1));
        cell(r, 1, QStringLiteral("CH%1").arg(m.channel + 1));
        cell(r, 2, QString::number(m.angle, 'f', 1));
        cell(r, 3, QString::number(m.topDepthM, 'f', 3));
        cell(r, 4, m.hasBottom() ? QString::number(m.bottomDepthM, 'f', 3) : QStringLiteral("—"));
        cell(r, 5, m.hasBottom() ? QString::number(m.heightM, 'f', 3) : QStringLiteral("—"));
    }
    m_btnExport->setEnabled(!marks.isEmpty());
}

bool MarksPanel::exportCsv(const QString &path, QString *error) const
{
    return kvrio::writeFile(path, pile::marksCsv(m_marks).toUtf8(),
                            m_strSurvey.isEmpty() ? QStringList() : QStringList {m_strSurvey}, error);
}

QString MarksPanel::suggestedPath() const
{
    if (m_strSurvey.isEmpty())
        return tr("标记列表.csv");
    const QFileInfo fi(m_strSurvey);
    return fi.dir().filePath(fi.completeBaseName() + tr("-标记列表.csv"));
}

void MarksPanel::onExportClicked()
{
    const QString path = m_asker ? m_asker(suggestedPath()) : QString();
    if (path.isEmpty())
        return;
    QString error;
    if (exportCsv(path, &error))
        emit showStatusMessage(tr("已保存：%1").arg(QDir::toNativeSeparators(path)));
    else
        emit showStatusMessage(kvrio::writeFailedText(path, error));
}
