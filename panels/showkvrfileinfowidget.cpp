#include "showkvrfileinfowidget.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <climits>
#include <cmath>
#include <limits>

namespace {

// The offset angle: 0 to 360 with at most one decimal. The pattern alone
// lets "360.1" .. "360.9" through; those are refused as well, so the field
// never holds a value above 360.
class OffsetAngleValidator : public QRegularExpressionValidator
{
public:
    OffsetAngleValidator(const QRegularExpression &re, QObject *parent)
        : QRegularExpressionValidator(re, parent)
    { }

    State validate(QString &input, int &pos) const override
    {
        const State state = QRegularExpressionValidator::validate(input, pos);
        if (state == Acceptable && input.toDouble() > 360.0)
            return Invalid;
        return state;
    }
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// A centred value field, disabled until a survey is shown.
template<class Field> Field *makeValue(const char *name, QWidget *parent)
{
    auto *field = new Field(parent);
    field->setObjectName(QLatin1String(name));
    field->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    field->setEnabled(false);
    return field;
}

QLineEdit *makeValueEdit(const char *name, QWidget *parent) { return makeValue<QLineEdit>(name, parent); }
QLabel *makeValueLabel(const char *name, QWidget *parent) { return makeValue<QLabel>(name, parent); }

void addRow(QGridLayout *grid, int row, const char *captionName, const QString &caption, QWidget *value)
{
    auto *label = new QLabel(caption, value->parentWidget());
    label->setObjectName(QLatin1String(captionName));
    grid->addWidget(label, row, 0);
    grid->addWidget(value, row, 1);
}

} // namespace

ShowKvrFileInfoWidget::ShowKvrFileInfoWidget(QWidget *parent)
    : QWidget(parent)
{
    m_nEmittedPulse = m_nStandRadius = m_nZeroTime = m_nSamplePoints = INT_MIN;
    m_nGain[0] = m_nGain[1] = m_nGain[2] = INT_MIN;
    m_fWaveSpeed = m_fHeadingAngle = m_fOffsetAngle = m_fPitchAngle = m_fRollAngle = kNaN;
    qRegisterMetaType<HeaderField>();
    buildUi();
    QMetaObject::connectSlotsByName(this);
}

const char *ShowKvrFileInfoWidget::offsetAnglePattern()
{
    return "^([0-9]|[1-9][0-9]|1[0-9]{2}|2[0-9]{2}|3[0-5][0-9]|360)(\\.\\d{1})?$";
}

void ShowKvrFileInfoWidget::buildUi()
{
    auto *layout = new QVBoxLayout(this);

    m_pGroupBoxProject = new QGroupBox(tr("工程信息"), this);
    m_pGroupBoxProject->setObjectName(QStringLiteral("groupBoxProject"));
    auto *project = new QGridLayout(m_pGroupBoxProject);
    QWidget *p = m_pGroupBoxProject;
    m_pEditWorkName = makeValueEdit("lEditWorkName", p);
    m_pEditDetectUnit = makeValueEdit("lEditDetectUnit", p);
    m_pEditDetectName = makeValueEdit("lEditDetectName", p);
    m_pEditPilingNumber = makeValueEdit("lEditPilingNumber", p);
    m_pLabelMeasurePoint = makeValueLabel("labelMeasurePoint", p);
    m_pLabelChannel = makeValueLabel("labelChannel", p);
    m_pEditDetectime = makeValueEdit("lEditDetectime", p);
    addRow(project, 0, "labelWorkName", tr("工地名称"), m_pEditWorkName);
    addRow(project, 1, "labelDetectUnit", tr("检测单位"), m_pEditDetectUnit);
    addRow(project, 2, "labelDetectName", tr("检测人员"), m_pEditDetectName);
    addRow(project, 3, "labelPilingNumber", tr("桩号"), m_pEditPilingNumber);
    addRow(project, 4, "labelMeasurePointName", tr("当前测点"), m_pLabelMeasurePoint);
    addRow(project, 5, "labelChannelName", tr("当前通道"), m_pLabelChannel);
    addRow(project, 6, "labelDetectime", tr("检测时间"), m_pEditDetectime);

    m_pGroupBoxMeasure = new QGroupBox(tr("测量信息"), this);
    m_pGroupBoxMeasure->setObjectName(QStringLiteral("groupBoxMeasure"));
    auto *measure = new QGridLayout(m_pGroupBoxMeasure);
    QWidget *m = m_pGroupBoxMeasure;
    m_pEditEmittedPulse = makeValueEdit("lEditEmittedPulse", m);
    m_pEditStandRadius = makeValueEdit("lEditStandRadius", m);
    m_pEditZeroTime = makeValueEdit("lEditZeroTime", m);
    m_pEditGain[0] = makeValueEdit("lEditCH1Gain", m);
    m_pEditGain[1] = makeValueEdit("lEditCH2Gain", m);
    m_pEditGain[2] = makeValueEdit("lEditCH3Gain", m);
    m_pEditSamplePoints = makeValueEdit("lEditSamplePoints", m);
    m_pEditWaveSpeed = makeValueEdit("lEditWaveSpeed", m);
    m_pEditHeadingAngle = makeValueEdit("lEditHeadingAngle", m);
    m_pEditOffsetAngle = makeValueEdit("lEditOffsetAngle", m);
    m_pEditPitchAngle = makeValueEdit("lEditPitchAngle", m);
    m_pEditRollAngle = makeValueEdit("lEditRollAngle", m);
    m_pEditOffsetAngle->setValidator(
        new OffsetAngleValidator(QRegularExpression(QLatin1String(offsetAnglePattern())), m_pEditOffsetAngle));
    addRow(measure, 0, "labelEmittedPulse", tr("发射脉冲(μs)"), m_pEditEmittedPulse);
    addRow(measure, 1, "labelStandRadius", tr("收发间距(mm)"), m_pEditStandRadius);
    addRow(measure, 2, "labelZeroTime", tr("零声时(μs)"), m_pEditZeroTime);
    addRow(measure, 3, "labelCH1Gain", tr("CH1增益"), m_pEditGain[0]);
    addRow(measure, 4, "labelCH2Gain", tr("CH2增益"), m_pEditGain[1]);
    addRow(measure, 5, "labelCH3Gain", tr("CH3增益"), m_pEditGain[2]);
    addRow(measure, 6, "labelSamplePoints", tr("采样点数"), m_pEditSamplePoints);
    addRow(measure, 7, "labelWaveSpeed", tr("波速(m/s)"), m_pEditWaveSpeed);
    addRow(measure, 8, "labelHeadingAngle", tr("方位角(°)"), m_pEditHeadingAngle);
    addRow(measure, 9, "labelOffsetAngle", tr("磁偏角(°)"), m_pEditOffsetAngle);
    addRow(measure, 10, "labelPitchAngle", tr("俯仰角(°)"), m_pEditPitchAngle);
    addRow(measure, 11, "labelRollAngle", tr("翻滚角(°)"), m_pEditRollAngle);

    layout->addWidget(m_pGroupBoxProject);
    layout->addWidget(m_pGroupBoxMeasure);
    layout->addStretch(1);
}

QString ShowKvrFileInfoWidget::intText(int value)
{
    return value == kNoValue ? QStringLiteral("---") : QString::number(value);
}

QString ShowKvrFileInfoWidget::gainName(int code)
{
    switch (code) {
    case 0: return QStringLiteral("X10");
    case 1: return QStringLiteral("X20");
    case 2: return QStringLiteral("X40");
    case 3: return QStringLiteral("X80");
    default: return QStringLiteral("---");
    }
}

QString ShowKvrFileInfoWidget::waveSpeedText(float speed)
{
    if (speed == kNoValueF || !std::isfinite(speed))
        return QStringLiteral("---");
    return QString::number(qRound(speed));
}

QString ShowKvrFileInfoWidget::offsetAngleText(float angle)
{
    if (angle == kNoValueF || !std::isfinite(angle))
        return QStringLiteral("---");
    return QString::number(double(angle), 'g', 6);
}

// Texts are always written: an edit changes the field without going through
// here, so a cached copy could not tell whether the field still shows it.
void ShowKvrFileInfoWidget::showText(QLineEdit *edit, const QString &text)
{
    edit->setText(text);
    edit->setEnabled(true);
}

void ShowKvrFileInfoWidget::showLabel(QLabel *label, QString &cache, const QString &text)
{
    if (text == cache && label->isEnabled())
        return;
    cache = text;
    label->setText(text);
    label->setEnabled(true);
}

void ShowKvrFileInfoWidget::showInt(QLineEdit *edit, int &cache, int value)
{
    if (value == cache)
        return;
    cache = value;
    edit->setText(intText(value));
}

void ShowKvrFileInfoWidget::showGain(QLineEdit *edit, int &cache, int code)
{
    if (code == cache)
        return;
    cache = code;
    edit->setText(gainName(code));
}

void ShowKvrFileInfoWidget::showAngle(QLineEdit *edit, float &cache, float value)
{
    if (value == cache)
        return;
    cache = value;
    edit->setText(value == kNoValueF ? QStringLiteral("---") : QString::number(double(value), 'f', 2));
}

void ShowKvrFileInfoWidget::setEmittedPulseWidth(int value)
{
    if (value == m_nEmittedPulse)
        return;
    if (value == kNoValue)
        qDebug("ShowKvrFileInfoWidget::getEmittedPulseWidth: 设置发射脉冲为无效值!");
    showInt(m_pEditEmittedPulse, m_nEmittedPulse, value);
}

void ShowKvrFileInfoWidget::setWaveSpeed(float speed)
{
    if (speed == m_fWaveSpeed && m_pEditWaveSpeed->isEnabled() && m_pEditWaveSpeed->text() == waveSpeedText(speed))
        return;
    m_fWaveSpeed = speed;
    qDebug("设置波速 nWaveSpeed ... %d", std::isfinite(speed) ? qRound(speed) : kNoValue);
    m_pEditWaveSpeed->setText(waveSpeedText(speed));
    m_pEditWaveSpeed->setEnabled(true);
}

void ShowKvrFileInfoWidget::setOffsetAngle(float angle)
{
    if (angle == m_fOffsetAngle && m_pEditOffsetAngle->isEnabled()
        && m_pEditOffsetAngle->text() == offsetAngleText(angle))
        return;
    m_fOffsetAngle = angle;
    qDebug("设置磁偏角 fOffsetAngle ... %.1f", double(angle));
    m_pEditOffsetAngle->setText(offsetAngleText(angle));
    m_pEditOffsetAngle->setEnabled(true);
}

void ShowKvrFileInfoWidget::setFileHeader(const FileHeadPtr &head)
{
    m_pFileHead = head;
    if (!head)
        return;

    m_strTypeVersion = decodeText(head->fileTypeVersion);
    qDebug("文件类型版本: strTypeVersion ... %s", qUtf8Printable(m_strTypeVersion));
    m_strWorkName = decodeText(head->workName);
    qDebug("工地名称: strGD ... %s", qUtf8Printable(m_strWorkName));
    m_strDetectUnit = decodeText(head->detectUnit);
    qDebug("检测单位名称: strUnit ... %s", qUtf8Printable(m_strDetectUnit));
    m_strDetectName = decodeText(head->detectName);
    qDebug("检测人员: strName ... %s", qUtf8Printable(m_strDetectName));
    m_strPilingNumber = decodeText(head->pilingNumber);
    qDebug("桩号: strPilingNumber ... %s", qUtf8Printable(m_strPilingNumber));
    m_strDetectTime = decodeText(head->detectTime);
    qDebug("检测时间: strTime ... %s", qUtf8Printable(m_strDetectTime));

    showText(m_pEditWorkName, m_strWorkName);
    showText(m_pEditDetectUnit, m_strDetectUnit);
    showText(m_pEditDetectName, m_strDetectName);
    showText(m_pEditPilingNumber, m_strPilingNumber);
    showText(m_pEditDetectime, m_strDetectTime);

    m_nWaveGroupCnt = head->waveGroupCnt;
    setWaveSpeed(head->fWaveSpeed);
    setOffsetAngle(head->fOffsetAngle);
}

void ShowKvrFileInfoWidget::setWaveGroupInfo(const WaveGroupPtr &group, const WaveAnalyzeInfoPtr &info)
{
    if (!group || !info) {
        clearWaveGroupInfo();
        return;
    }
    const WaveGroupHead &h = group->head;
    // The pile number as the field shows it, so an edit shows up at once.
    const QString pile = m_pFileHead ? decodeText(m_pFileHead->pilingNumber) : m_pEditPilingNumber->text();
    showLabel(m_pLabelMeasurePoint, m_strMeasurePoint,
              info->nMeasurePoint == kNoValue ? QStringLiteral("---")
                                              : QStringLiteral("%1_%2").arg(pile).arg(info->nMeasurePoint + 1));
    showLabel(m_pLabelChannel, m_strChannel,
              info->nChannel == kNoValue ? QStringLiteral("---") : QStringLiteral("CH%1").arg(info->nChannel + 1));

    setEmittedPulseWidth(h.nEmittedPulse);
    showInt(m_pEditStandRadius, m_nStandRadius, h.nStandRadius);
    showInt(m_pEditZeroTime, m_nZeroTime, h.nZeroTime);
    for (int c = 0; c < 3; ++c)
        showGain(m_pEditGain[c], m_nGain[c], h.nGain[c]);
    showInt(m_pEditSamplePoints, m_nSamplePoints, h.nSamplePoints);
    showAngle(m_pEditHeadingAngle, m_fHeadingAngle, info->fChannelAngle);
    showAngle(m_pEditPitchAngle, m_fPitchAngle, h.fPitchAngle);
    showAngle(m_pEditRollAngle, m_fRollAngle, h.fRollAngle);
    if (m_pFileHead) {
        setWaveSpeed(m_pFileHead->fWaveSpeed);
        setOffsetAngle(m_pFileHead->fOffsetAngle);
    }
}

void ShowKvrFileInfoWidget::setFocusedWave(const WaveGroupList &groups, const WaveAnalyzeInfoList &infos, int index)
{
    const WaveAnalyzeInfoPtr info = (index >= 0 && index < infos.size()) ? infos.at(index) : WaveAnalyzeInfoPtr();
    const int m = info ? info->nMeasurePoint : -1;
    const WaveGroupPtr group = (m >= 0 && m < groups.size()) ? groups.at(m) : WaveGroupPtr();
    setWaveGroupInfo(group, info);
}

// The rows that come from the focused wave; wave speed and offset angle
// belong to the header and keep showing it.
void ShowKvrFileInfoWidget::clearWaveGroupInfo()
{
    const QString none = QStringLiteral("---");
    if (m_pLabelMeasurePoint->isEnabled())
        showLabel(m_pLabelMeasurePoint, m_strMeasurePoint, none);
    if (m_pLabelChannel->isEnabled())
        showLabel(m_pLabelChannel, m_strChannel, none);
    setEmittedPulseWidth(kNoValue);
    showInt(m_pEditStandRadius, m_nStandRadius, kNoValue);
    showInt(m_pEditZeroTime, m_nZeroTime, kNoValue);
    for (int c = 0; c < 3; ++c)
        showGain(m_pEditGain[c], m_nGain[c], kNoValue);
    showInt(m_pEditSamplePoints, m_nSamplePoints, kNoValue);
    showAngle(m_pEditHeadingAngle, m_fHeadingAngle, kNoValueF);
    showAngle(m_pEditPitchAngle, m_fPitchAngle, kNoValueF);
    showAngle(m_pEditRollAngle, m_fRollAngle, kNoValueF);
}

// An accepted edit asks for the new value; the header changes only when the
// document takes it, and then comes back here through setFileHeader().
void ShowKvrFileInfoWidget::requestEdit(HeaderField field, const QString &text)
{
    if (!m_pFileHead || text == headerText(field))
        return;
    qDebug("ShowKvrFileInfoWidget: %s ... %s", qUtf8Printable(headerfield::key(field)), qUtf8Printable(text));
    emit fileHeaderInfoChanged(field, text);
}

QString ShowKvrFileInfoWidget::headerText(HeaderField field) const
{
    if (field == HeaderField::WaveSpeed)
        return waveSpeedText(m_pFileHead->fWaveSpeed);
    if (field == HeaderField::OffsetAngle)
        return offsetAngleText(m_pFileHead->fOffsetAngle);
    return headerfield::valueText(*m_pFileHead, field);
}

void ShowKvrFileInfoWidget::on_lEditWorkName_editingFinished()
{
    requestEdit(HeaderField::WorkName, m_pEditWorkName->text());
}

void ShowKvrFileInfoWidget::on_lEditDetectUnit_editingFinished()
{
    requestEdit(HeaderField::DetectUnit, m_pEditDetectUnit->text());
}

void ShowKvrFileInfoWidget::on_lEditDetectName_editingFinished()
{
    requestEdit(HeaderField::DetectName, m_pEditDetectName->text());
}

void ShowKvrFileInfoWidget::on_lEditPilingNumber_editingFinished()
{
    requestEdit(HeaderField::PilingNumber, m_pEditPilingNumber->text());
}

void ShowKvrFileInfoWidget::on_lEditDetectime_editingFinished()
{
    requestEdit(HeaderField::DetectTime, m_pEditDetectime->text());
}

void ShowKvrFileInfoWidget::on_lEditWaveSpeed_editingFinished()
{
    requestEdit(HeaderField::WaveSpeed, m_pEditWaveSpeed->text().trimmed());
}

void ShowKvrFileInfoWidget::on_lEditOffsetAngle_editingFinished()
{
    // The field's validator lets a little past the ends through; those snap
    // to the end as before.
    const float angle = m_pEditOffsetAngle->text().toFloat();
    if (angle < 0.0f)
        m_pEditOffsetAngle->setText(QStringLiteral("0"));
    else if (angle > 360.0f)
        m_pEditOffsetAngle->setText(QStringLiteral("360"));
    requestEdit(HeaderField::OffsetAngle, m_pEditOffsetAngle->text().trimmed());
}
