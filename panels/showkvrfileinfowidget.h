// The file header panel: the project information of the open file's header
// (five texts editable in place) and the measurement information of the
// focused wave, with the editable wave speed and offset angle.
//
// The panel shows the header handed to it and changes nothing itself: an
// accepted edit emits fileHeaderInfoChanged(field, text) and the document
// decides; an edit that leaves the text as the header has it asks nothing.
#pragma once

#include "datafile/editcommands.h"
#include "datafile/records.h"

#include <QString>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QRegularExpressionValidator;

class ShowKvrFileInfoWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ShowKvrFileInfoWidget(QWidget *parent = nullptr);

    void setFileHeader(const FileHeadPtr &head);
    FileHeadPtr fileHeader() const { return m_pFileHead; }
    void setWaveGroupInfo(const WaveGroupPtr &group, const WaveAnalyzeInfoPtr &info);
    void clearWaveGroupInfo();
    // The focused wave of the model lists: analysis record `index` and its
    // group (nMeasurePoint); clears the rows when either is missing.
    void setFocusedWave(const WaveGroupList &groups, const WaveAnalyzeInfoList &infos, int index);

    QString fileTypeVersion() const { return m_strTypeVersion; }
    int waveGroupCount() const { return m_nWaveGroupCnt; }

    // "---" for the no-value marker -100, else the integer.
    static QString intText(int value);
    // "X10", "X20", "X40", "X80" for the codes 0..3, "---" otherwise.
    static QString gainName(int code);

    // The text the offset angle field accepts.
    static const char *offsetAnglePattern();

signals:
    void fileHeaderInfoChanged(HeaderField field, QString strValue);

private slots:
    void on_lEditWorkName_editingFinished();
    void on_lEditDetectUnit_editingFinished();
    void on_lEditDetectName_editingFinished();
    void on_lEditPilingNumber_editingFinished();
    void on_lEditDetectime_editingFinished();
    void on_lEditWaveSpeed_editingFinished();
    void on_lEditOffsetAngle_editingFinished();

private:
    void buildUi();
    void requestEdit(HeaderField field, const QString &text);
    // The field's value as the panel shows it.
    QString headerText(HeaderField field) const;
    void showText(QLineEdit *edit, const QString &text);
    void showLabel(QLabel *label, QString &cache, const QString &text);
    void showInt(QLineEdit *edit, int &cache, int value);
    void showGain(QLineEdit *edit, int &cache, int code);
    void showAngle(QLineEdit *edit, float &cache, float value);
    void setEmittedPulseWidth(int value);
    void setWaveSpeed(float speed);
    void setOffsetAngle(float angle);
    static QString waveSpeedText(float speed);
    static QString offsetAngleText(float angle);

    FileHeadPtr m_pFileHead;
    QString m_strTypeVersion;
    QString m_strWorkName;
    QString m_strDetectUnit;
    QString m_strDetectName;
    QString m_strPilingNumber;
    QString m_strDetectTime;
    int m_nWaveGroupCnt = 0;

    // Cached shown values; a setter with an unchanged value does nothing.
    QString m_strMeasurePoint;
    QString m_strChannel;
    int m_nEmittedPulse;
    int m_nStandRadius;
    int m_nZeroTime;
    int m_nGain[3];
    int m_nSamplePoints;
    float m_fWaveSpeed;
    float m_fHeadingAngle;
    float m_fOffsetAngle;
    float m_fPitchAngle;
    float m_fRollAngle;

    QGroupBox *m_pGroupBoxProject = nullptr;
    QGroupBox *m_pGroupBoxMeasure = nullptr;
    QLineEdit *m_pEditWorkName = nullptr;
    QLineEdit *m_pEditDetectUnit = nullptr;
    QLineEdit *m_pEditDetectName = nullptr;
    QLineEdit *m_pEditPilingNumber = nullptr;
    QLabel *m_pLabelMeasurePoint = nullptr;
    QLabel *m_pLabelChannel = nullptr;
    QLineEdit *m_pEditDetectime = nullptr;
    QLineEdit *m_pEditEmittedPulse = nullptr;
    QLineEdit *m_pEditStandRadius = nullptr;
    QLineEdit *m_pEditZeroTime = nullptr;
    QLineEdit *m_pEditGain[3] = {nullptr, nullptr, nullptr};
    QLineEdit *m_pEditSamplePoints = nullptr;
    QLineEdit *m_pEditWaveSpeed = nullptr;
    QLineEdit *m_pEditHeadingAngle = nullptr;
    QLineEdit *m_pEditOffsetAngle = nullptr;
    QLineEdit *m_pEditPitchAngle = nullptr;
    QLineEdit *m_pEditRollAngle = nullptr;
};
