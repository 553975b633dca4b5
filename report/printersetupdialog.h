// Report setup: page setup (header, title, footer, page number, margins)
// and the report fields, with the output buttons. Every button first stores
// the controls into the report records and writes the fields to the
// configuration file.
#pragma once

#include "datafile/records.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QDoubleSpinBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTextEdit;
class QGroupBox;
class QLabel;

class PrinterSetupDialog : public QDialog
{
    Q_OBJECT
public:
    static const QStringList &standardList();

    // (title, text): tells the engineer why the fields were not taken.
    using MessageFunc = std::function<void(const QString &, const QString &)>;

    explicit PrinterSetupDialog(QWidget *parent = nullptr);

    // The survey whose pile the per-pile fields belong to (its file path and
    // header); an empty path keeps every field in the configuration.
    void setSurvey(const QString &surveyPath, const FileHeadPtr &head);
    QString surveyPath() const { return m_strSurveyPath; }
    // The survey's analysis records, read for the marked caves whenever the
    // draft conclusion is made.
    void setWaveInfos(const WaveAnalyzeInfoList &infos) { m_infos = infos; }
    // The conclusion drafted from the marks, the pile diameter and the zone
    // settings as they stand in the dialog.
    QString draftText() const;

    // Controls into sProjectParams / sPrintCtrlParams and the survey's
    // record, then the project-wide fields into the configuration file.
    // False (with a message, nothing stored) when a number field holds no
    // acceptable number or the survey's record cannot be written.
    bool storeParams();
    void loadParams();

    void setMessageFunc(const MessageFunc &func) { m_messageFunc = func; }

signals:
    void outputWordCilcked();
    void outputImageCilcked();
    void printPreviewCilcked();
    void printCilcked();
    void exportPdfCilcked();

public slots:
    void on_btnExportToWord_clicked();
    void on_btnExportToImage_clicked();
    void on_btnExportToPdf_clicked();
    void on_btnPrintPreview_clicked();
    void on_btnPrint_clicked();
    void on_btnExit_clicked();

public slots:
    void updateDraft();
    void on_btnAdoptDraft_clicked();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setupUi();

    QGroupBox *groupBoxPageHeader = nullptr;
    QLineEdit *editPageHeaderContent = nullptr;
    QComboBox *cBoxPageHeaderFontSize = nullptr;
    QCheckBox *checkBoxPageHeader = nullptr;
    QLineEdit *editTitleContent = nullptr;
    QComboBox *cBoxTitleFontSize = nullptr;
    QCheckBox *checkBoxTitle = nullptr;
    QLineEdit *editPageFooterContent = nullptr;
    QComboBox *cBoxPageFooterFontSize = nullptr;
    QCheckBox *checkBoxPageFooter = nullptr;
    QComboBox *cBoxPageNumStyle = nullptr;
    QComboBox *cBoxPageNumPos = nullptr;
    QCheckBox *checkBoxPageNumStyle = nullptr;
    QSpinBox *spinBoxPageLMargin = nullptr;
    QSpinBox *spinBoxPageRMargin = nullptr;
    QSpinBox *spinBoxPageTMargin = nullptr;
    QSpinBox *spinBoxPageBMargin = nullptr;

    QLineEdit *lEditGD = nullptr;
    QLineEdit *lEditReportNum = nullptr;
    QLineEdit *lEditProject = nullptr;
    QLineEdit *lEditClient = nullptr;
    QLineEdit *lEditPileNum = nullptr;
    QLineEdit *lEditDateDetect = nullptr;
    QLineEdit *lEditDevice = nullptr;
    QLineEdit *lEditPileDepth = nullptr;
    QLineEdit *lEditElevation = nullptr;
    QLineEdit *lEditPileDiameter = nullptr;
    QLineEdit *lEditPileType = nullptr;
    QLineEdit *lEditPurpose = nullptr;
    QComboBox *cBoxStandard = nullptr;
    QLineEdit *lEditPerson = nullptr;
    QLineEdit *lEditCheck = nullptr;
    QLineEdit *lEditDateReport = nullptr;
    QTextEdit *textEditReault = nullptr;
    QTextEdit *textEditDraft = nullptr;
    QPushButton *btnAdoptDraft = nullptr;
    QDoubleSpinBox *dSpinZoneMultiplier = nullptr;
    QDoubleSpinBox *dSpinZoneMinimum = nullptr;
    QCheckBox *checkBoxBriefPage = nullptr;

    QPushButton *btnExportToWord = nullptr;
    QPushButton *btnExportToImage = nullptr;
    QPushButton *btnExportToPdf = nullptr;
    QPushButton *btnPrintPreview = nullptr;
    QPushButton *btnPrint = nullptr;
    QPushButton *btnExit = nullptr;
    QLabel *labelSurvey = nullptr;
    bool m_blStandardSized = false;
    QString m_strSurveyPath;
    FileHeadPtr m_head;
    WaveAnalyzeInfoList m_infos;
    MessageFunc m_messageFunc;
};
