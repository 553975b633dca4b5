// The marks table: every marked wave of the survey in depth order (point,
// channel, angle, cave top, bottom and height), a click focusing the wave,
// and the table written out as CSV.
#pragma once

#include "datafile/pilemarks.h"

#include <QWidget>
#include <functional>

class QPushButton;
class QTableWidget;

class MarksPanel : public QWidget
{
    Q_OBJECT
public:
    // Asks where to write the CSV (empty: cancelled); replaceable in tests.
    using SavePathAsker = std::function<QString(const QString &suggested)>;

    explicit MarksPanel(QWidget *parent = nullptr);

    void setMarks(const QVector<pile::CaveMark> &marks);
    const QVector<pile::CaveMark> &marks() const { return m_marks; }
    // The open survey: the export suggests a file beside it and never
    // writes over it.
    void setSurveyPath(const QString &path) { m_strSurvey = path; }
    QString suggestedPath() const;
    void setSavePathAsker(const SavePathAsker &asker) { m_asker = asker; }
    // Writes the table as CSV to `path` through the safe writer; false with
    // the reason in `error`.
    bool exportCsv(const QString &path, QString *error) const;

signals:
    // The wave (an index into the analysis list) of a clicked row.
    void waveActivated(int index);
    void showStatusMessage(QString strMsg);

private:
    void onExportClicked();

    QTableWidget *m_table = nullptr;
    QPushButton *m_btnExport = nullptr;
    QVector<pile::CaveMark> m_marks;
    QString m_strSurvey;
    SavePathAsker m_asker;
};
