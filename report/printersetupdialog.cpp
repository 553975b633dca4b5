#include "printersetupdialog.h"

#include "app/systemconfig.h"
#include "datafile/pilemarks.h"
#include "report/render/printctrlparams.h"
#include "report/render/reportfields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

QComboBox *fontSizeBox(const QString &name, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    for (int s : {8, 9, 10, 11, 12, 13, 14, 16, 18, 20, 22, 24, 26, 28, 36})
        box->addItem(QString::number(s), s);
    return box;
}

void selectFontSize(QComboBox *box, int size)
{
    const int i = box->findData(size);
    if (i >= 0)
        box->setCurrentIndex(i);
}

int fontSize(QComboBox *box, int fallback)
{
    bool ok = false;
    const int v = box->currentData().toInt(&ok);
    return ok && v > 0 ? v : fallback;
}

QLineEdit *lineEdit(const QString &name, QWidget *parent)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

QSpinBox *marginBox(const QString &name, QWidget *parent)
{
    auto *s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(0, 100);
    s->setSuffix(QStringLiteral(" mm"));
    s->setValue(20);
    return s;
}

} // namespace

// The standards are named as printed on the report, in Chinese in every
// interface language; so are the page-number styles.
const QStringList &PrinterSetupDialog::standardList()
{
    static const QStringList list = {
        QStringLiteral("《公路工程物探规程》(JTG/T3222-2020)"),
        QStringLiteral("《公路工程地质勘察规范》(JTG C20-2011)"),
    };
    return list;
}

PrinterSetupDialog::PrinterSetupDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("KvrPrintSetupWidget"));
    setWindowTitle(tr("打印设置"));
    resize(950, 550);
    setupUi();
    m_messageFunc = [this](const QString &title, const QString &text) { QMessageBox::warning(this, title, text); };
    setSurvey(QString(), FileHeadPtr());
    QMetaObject::connectSlotsByName(this);
}

void PrinterSetupDialog::setSurvey(const QString &surveyPath, const FileHeadPtr &head)
{
    m_strSurveyPath = surveyPath;
    m_head = head;
    if (surveyPath.isEmpty()) {
        labelSurvey->setText(tr("未打开检测文件"));
        labelSurvey->setToolTip(QString());
    } else {
        labelSurvey->setText(
            tr("本桩：%1（编号、日期、孔深、结果描述等随此检测文件保存）").arg(QFileInfo(surveyPath).fileName()));
        labelSurvey->setToolTip(QDir::toNativeSeparators(QFileInfo(surveyPath).absoluteFilePath()));
    }
}

void PrinterSetupDialog::setupUi()
{
    auto *main = new QHBoxLayout(this);

    // Page setup.
    auto *pageGroup = new QGroupBox(tr("页面设置"), this);
    pageGroup->setObjectName(QStringLiteral("groupBoxPageSetup"));
    auto *pageCol = new QVBoxLayout(pageGroup);

    groupBoxPageHeader = new QGroupBox(tr("页眉"), pageGroup);
    groupBoxPageHeader->setObjectName(QStringLiteral("groupBoxPageHeader"));
    auto *hg = new QGridLayout(groupBoxPageHeader);
    editPageHeaderContent = lineEdit(QStringLiteral("editPageHeaderContent"), groupBoxPageHeader);
    cBoxPageHeaderFontSize = fontSizeBox(QStringLiteral("cBoxPageHeaderFontSize"), groupBoxPageHeader);
    checkBoxPageHeader = new QCheckBox(tr("打印页眉："), groupBoxPageHeader);
    checkBoxPageHeader->setObjectName(QStringLiteral("checkBoxPageHeader"));
    hg->addWidget(new QLabel(tr("内容："), groupBoxPageHeader), 0, 0);
    hg->addWidget(editPageHeaderContent, 0, 1);
    hg->addWidget(new QLabel(tr("字体大小："), groupBoxPageHeader), 1, 0);
    hg->addWidget(cBoxPageHeaderFontSize, 1, 1);
    hg->addWidget(checkBoxPageHeader, 2, 0, 1, 2);
    pageCol->addWidget(groupBoxPageHeader);

    auto *titleGroup = new QGroupBox(tr("标题"), pageGroup);
    titleGroup->setObjectName(QStringLiteral("groupBoxTitle"));
    auto *tg = new QGridLayout(titleGroup);
    editTitleContent = lineEdit(QStringLiteral("editTitleContent"), titleGroup);
    cBoxTitleFontSize = fontSizeBox(QStringLiteral("cBoxTitleFontSize"), titleGroup);
    checkBoxTitle = new QCheckBox(tr("打印标题"), titleGroup);
    checkBoxTitle->setObjectName(QStringLiteral("checkBoxTitle"));
    checkBoxTitle->setChecked(true);
    tg->addWidget(new QLabel(tr("内容："), titleGroup), 0, 0);
    tg->addWidget(editTitleContent, 0, 1);
    tg->addWidget(new QLabel(tr("字体大小："), titleGroup), 1, 0);
    tg->addWidget(cBoxTitleFontSize, 1, 1);
    tg->addWidget(checkBoxTitle, 2, 0, 1, 2);
    pageCol->addWidget(titleGroup);

    auto *footerGroup = new QGroupBox(tr("页脚"), pageGroup);
    footerGroup->setObjectName(QStringLiteral("groupBoxPageFooter"));
    auto *fg = new QGridLayout(footerGroup);
    editPageFooterContent = lineEdit(QStringLiteral("editPageFooterContent"), footerGroup);
    cBoxPageFooterFontSize = fontSizeBox(QStringLiteral("cBoxPageFooterFontSize"), footerGroup);
    checkBoxPageFooter = new QCheckBox(tr("打印页脚"), footerGroup);
    checkBoxPageFooter->setObjectName(QStringLiteral("checkBoxPageFooter"));
    fg->addWidget(new QLabel(tr("内容："), footerGroup), 0, 0);
    fg->addWidget(editPageFooterContent, 0, 1);
    fg->addWidget(new QLabel(tr("字体大小："), footerGroup), 1, 0);
    fg->addWidget(cBoxPageFooterFontSize, 1, 1);
    fg->addWidget(checkBoxPageFooter, 2, 0, 1, 2);
    pageCol->addWidget(footerGroup);

    auto *numGroup = new QGroupBox(tr("页码"), pageGroup);
    numGroup->setObjectName(QStringLiteral("groupBoxPageNum"));
    auto *ng = new QGridLayout(numGroup);
    cBoxPageNumStyle = new QComboBox(numGroup);
    cBoxPageNumStyle->setObjectName(QStringLiteral("cBoxPageNumStyle"));
    cBoxPageNumStyle->addItems({QStringLiteral(".1."), QStringLiteral("-1-"), QStringLiteral(" 1 "),
                                QStringLiteral("第1页"), QStringLiteral("第1页 共1页")});
    cBoxPageNumPos = new QComboBox(numGroup);
    cBoxPageNumPos->setObjectName(QStringLiteral("cBoxPageNumPos"));
    cBoxPageNumPos->addItems(
        {tr("页眉左侧"), tr("页眉中间"), tr("页眉右侧"), tr("页脚左侧"), tr("页脚中间"), tr("页脚右侧")});
    checkBoxPageNumStyle = new QCheckBox(tr("打印页码"), numGroup);
    checkBoxPageNumStyle->setObjectName(QStringLiteral("checkBoxPageNumStyle"));
    ng->addWidget(new QLabel(tr("样式："), numGroup), 0, 0);
    ng->addWidget(cBoxPageNumStyle, 0, 1);
    ng->addWidget(new QLabel(tr("位置："), numGroup), 1, 0);
    ng->addWidget(cBoxPageNumPos, 1, 1);
    ng->addWidget(checkBoxPageNumStyle, 2, 0, 1, 2);
    pageCol->addWidget(numGroup);

    auto *marginGroup = new QGroupBox(tr("页边距"), pageGroup);
    marginGroup->setObjectName(QStringLiteral("groupBoxPageMargin"));
    auto *mg = new QGridLayout(marginGroup);
    spinBoxPageLMargin = marginBox(QStringLiteral("spinBoxPageLMargin"), marginGroup);
    spinBoxPageRMargin = marginBox(QStringLiteral("spinBoxPageRMargin"), marginGroup);
    spinBoxPageTMargin = marginBox(QStringLiteral("spinBoxPageTMargin"), marginGroup);
    spinBoxPageBMargin = marginBox(QStringLiteral("spinBoxPageBMargin"), marginGroup);
    mg->addWidget(new QLabel(tr("左边距："), marginGroup), 0, 0);
    mg->addWidget(spinBoxPageLMargin, 0, 1);
    mg->addWidget(new QLabel(tr("右边距："), marginGroup), 0, 2);
    mg->addWidget(spinBoxPageRMargin, 0, 3);
    mg->addWidget(new QLabel(tr("上边距："), marginGroup), 1, 0);
    mg->addWidget(spinBoxPageTMargin, 1, 1);
    mg->addWidget(new QLabel(tr("下边距："), marginGroup), 1, 2);
    mg->addWidget(spinBoxPageBMargin, 1, 3);
    pageCol->addWidget(marginGroup);
    checkBoxBriefPage = new QCheckBox(tr("简要页（信息表只印文件头的内容）"), pageGroup);
    checkBoxBriefPage->setObjectName(QStringLiteral("checkBoxBriefPage"));
    pageCol->addWidget(checkBoxBriefPage);
    pageCol->addStretch();
    main->addWidget(pageGroup);

    // Report fields.
    auto *outGroup = new QGroupBox(tr("输出设置"), this);
    outGroup->setObjectName(QStringLiteral("groupBoxOutput"));
    auto *og = new QGridLayout(outGroup);
    labelSurvey = new QLabel(outGroup);
    labelSurvey->setObjectName(QStringLiteral("labelSurvey"));
    labelSurvey->setWordWrap(true);
    og->addWidget(labelSurvey, 0, 0, 1, 2);
    lEditGD = lineEdit(QStringLiteral("lEditGD"), outGroup);
    lEditReportNum = lineEdit(QStringLiteral("lEditReportNum"), outGroup);
    lEditProject = lineEdit(QStringLiteral("lEditProject"), outGroup);
    lEditClient = lineEdit(QStringLiteral("lEditClient"), outGroup);
    lEditPileNum = lineEdit(QStringLiteral("lEditPileNum"), outGroup);
    lEditDateDetect = lineEdit(QStringLiteral("lEditDateDetect"), outGroup);
    lEditDevice = lineEdit(QStringLiteral("lEditDevice"), outGroup);
    lEditDevice->setReadOnly(true);
    lEditPileDepth = lineEdit(QStringLiteral("lEditPileDepth"), outGroup);
    lEditElevation = lineEdit(QStringLiteral("lEditElevation"), outGroup);
    lEditPileDiameter = lineEdit(QStringLiteral("lEditPileDiameter"), outGroup);
    lEditPileType = lineEdit(QStringLiteral("lEditPileType"), outGroup);
    lEditPurpose = lineEdit(QStringLiteral("lEditPurpose"), outGroup);
    cBoxStandard = new QComboBox(outGroup);
    cBoxStandard->setObjectName(QStringLiteral("cBoxStandard"));
    cBoxStandard->setEditable(false);
    cBoxStandard->setInsertPolicy(QComboBox::InsertAtBottom);
    cBoxStandard->addItems(standardList());
    lEditPerson = lineEdit(QStringLiteral("lEditPerson"), outGroup);
    lEditCheck = lineEdit(QStringLiteral("lEditCheck"), outGroup);
    lEditDateReport = lineEdit(QStringLiteral("lEditDateReport"), outGroup);
    textEditReault = new QTextEdit(outGroup);
    textEditReault->setObjectName(QStringLiteral("textEditReault"));
    textEditReault->setAcceptRichText(false);

    // The check zone below the pile tip: max(multiplier x diameter, minimum).
    auto *zone = new QWidget(outGroup);
    auto *zl = new QHBoxLayout(zone);
    zl->setContentsMargins(0, 0, 0, 0);
    dSpinZoneMultiplier = new QDoubleSpinBox(zone);
    dSpinZoneMultiplier->setObjectName(QStringLiteral("dSpinZoneMultiplier"));
    dSpinZoneMultiplier->setRange(0.5, 100.0);
    dSpinZoneMultiplier->setSingleStep(0.5);
    dSpinZoneMultiplier->setDecimals(1);
    dSpinZoneMinimum = new QDoubleSpinBox(zone);
    dSpinZoneMinimum->setObjectName(QStringLiteral("dSpinZoneMinimum"));
    dSpinZoneMinimum->setRange(0.5, 1000.0);
    dSpinZoneMinimum->setSingleStep(0.5);
    dSpinZoneMinimum->setDecimals(2);
    dSpinZoneMinimum->setSuffix(QStringLiteral(" m"));
    zl->addWidget(new QLabel(tr("桩底以下 max("), zone));
    zl->addWidget(dSpinZoneMultiplier);
    zl->addWidget(new QLabel(tr("× 桩径,"), zone));
    zl->addWidget(dSpinZoneMinimum);
    zl->addWidget(new QLabel(tr(") 内不得有溶洞"), zone));
    zl->addStretch();

    // The drafted conclusion beside the typed one; 采用 copies it over.
    auto *result = new QWidget(outGroup);
    auto *rl = new QHBoxLayout(result);
    rl->setContentsMargins(0, 0, 0, 0);
    textEditDraft = new QTextEdit(result);
    textEditDraft->setObjectName(QStringLiteral("textEditDraft"));
    textEditDraft->setReadOnly(true);
    textEditDraft->setPlaceholderText(tr("按标记与桩径拟定的结论"));
    textEditDraft->setToolTip(tr("按标记、桩径与检验范围拟定的结论；点“采用”填入结果描述"));
    btnAdoptDraft = new QPushButton(tr("采用"), result);
    btnAdoptDraft->setObjectName(QStringLiteral("btnAdoptDraft"));
    btnAdoptDraft->setAutoDefault(false);
    btnAdoptDraft->setToolTip(tr("用拟定的结论替换结果描述"));
    rl->addWidget(textEditReault, 1);
    rl->addWidget(btnAdoptDraft);
    rl->addWidget(textEditDraft, 1);

    const QList<QPair<QString, QWidget *>> rows = {
        {tr("检测单位名称："), lEditGD},       {tr("报告编号："), lEditReportNum},
        {tr("工程名称："), lEditProject},      {tr("委托单位："), lEditClient},
        {tr("基桩编号："), lEditPileNum},      {tr("检测日期："), lEditDateDetect},
        {tr("仪器名称："), lEditDevice},       {tr("基桩孔深(m)："), lEditPileDepth},
        {tr("桩底标高(m)："), lEditElevation}, {tr("桩径(m)："), lEditPileDiameter},
        {tr("基桩类型："), lEditPileType},     {tr("探测目的："), lEditPurpose},
        {tr("执行标准："), cBoxStandard},      {tr("检验范围："), zone},
        {tr("检测人员："), lEditPerson},       {tr("审核："), lEditCheck},
        {tr("报告日期："), lEditDateReport},   {tr("结果描述："), result},
    };
    for (int i = 0; i < rows.size(); ++i) {
        og->addWidget(new QLabel(rows.at(i).first, outGroup), i + 1, 0);
        og->addWidget(rows.at(i).second, i + 1, 1);
    }
    main->addWidget(outGroup, 1);
    connect(lEditPileDiameter, &QLineEdit::textChanged, this, &PrinterSetupDialog::updateDraft);
    connect(textEditReault, &QTextEdit::textChanged, this, &PrinterSetupDialog::updateDraft);
    connect(dSpinZoneMultiplier, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &PrinterSetupDialog::updateDraft);
    connect(dSpinZoneMinimum, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &PrinterSetupDialog::updateDraft);

    // Buttons.
    auto *buttons = new QVBoxLayout();
    auto button = [this, buttons](const QString &text, const QString &name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    btnExportToWord = button(tr("打印到word"), QStringLiteral("btnExportToWord"));
    btnExportToImage = button(tr("打印到图片"), QStringLiteral("btnExportToImage"));
    btnExportToPdf = button(tr("导出PDF"), QStringLiteral("btnExportToPdf"));
    btnPrintPreview = button(tr("打印预览"), QStringLiteral("btnPrintPreview"));
    btnPrint = button(tr("打印"), QStringLiteral("btnPrint"));
    btnExit = button(tr("退出"), QStringLiteral("btnExit"));
    buttons->addStretch();
    main->addLayout(buttons);
}

void PrinterSetupDialog::showEvent(QShowEvent *event)
{
    loadParams();
    if (!m_blStandardSized) {
        cBoxStandard->adjustSize();
        m_blStandardSized = true;
    }
    QDialog::showEvent(event);
}

void PrinterSetupDialog::loadParams()
{
    const ProjectParams p = reportfields::fieldsForSurvey(sProjectParams, m_strSurveyPath, m_head.data());
    editTitleContent->setText(p.strTitleName);
    lEditGD->setText(p.strGD);
    lEditReportNum->setText(p.strReportNum);
    lEditProject->setText(p.strProject);
    lEditClient->setText(p.strClient);
    lEditPileNum->setText(p.strPileNum);
    lEditDateDetect->setText(p.strDateDetect);
    lEditDevice->setText(p.strDevice);
    lEditPileDepth->setText(QString::number(double(p.fPileDepth), 'f', 2));
    lEditElevation->setText(QString::number(double(p.fElevation), 'f', 2));
    lEditPileDiameter->setText(QString::number(double(p.fPileDiameter), 'f', 2));
    lEditPileType->setText(p.strPileType);
    lEditPurpose->setText(p.strPurpose);
    cBoxStandard->setCurrentIndex(p.strStandard >= 0 && p.strStandard < cBoxStandard->count() ? p.strStandard : 0);
    lEditPerson->setText(p.strPerson);
    lEditCheck->setText(p.strCheck);
    lEditDateReport->setText(p.strDateReport);
    textEditReault->setPlainText(p.strReault);
    dSpinZoneMultiplier->setValue(double(p.fZoneMultiplier));
    dSpinZoneMinimum->setValue(double(p.fZoneMinimumM));
    updateDraft();

    const PrintCtrlParams &pc = sPrintCtrlParams;
    editPageHeaderContent->setText(pc.strPageHeader);
    selectFontSize(cBoxPageHeaderFontSize, pc.fontPageHeader.pointSize());
    checkBoxPageHeader->setChecked(pc.blPageHeader);
    selectFontSize(cBoxTitleFontSize, pc.fontTitle.pointSize());
    checkBoxTitle->setChecked(pc.blTitle);
    editPageFooterContent->setText(pc.strPageFooter);
    selectFontSize(cBoxPageFooterFontSize, pc.fontPageFooter.pointSize());
    checkBoxPageFooter->setChecked(pc.blPageFooter);
    cBoxPageNumStyle->setCurrentIndex(qBound(0, pc.nPageNumStyle, cBoxPageNumStyle->count() - 1));
    cBoxPageNumPos->setCurrentIndex(qBound(0, pc.nPageNumPos, cBoxPageNumPos->count() - 1));
    checkBoxPageNumStyle->setChecked(pc.blPageNum);
    checkBoxBriefPage->setChecked(pc.blBriefPage);
    // Margins the user never set keep the boxes' own values.
    if (pc.nMarginLeft >= 0)
        spinBoxPageLMargin->setValue(pc.nMarginLeft);
    if (pc.nMarginRight >= 0)
        spinBoxPageRMargin->setValue(pc.nMarginRight);
    if (pc.nMarginTop >= 0)
        spinBoxPageTMargin->setValue(pc.nMarginTop);
    if (pc.nMarginBottom >= 0)
        spinBoxPageBMargin->setValue(pc.nMarginBottom);
}

bool PrinterSetupDialog::storeParams()
{
    ProjectParams p = sProjectParams;
    const QList<QPair<QString, QLineEdit *>> numbers = {
        {QStringLiteral("fPileDepth"), lEditPileDepth},
        {QStringLiteral("fElevation"), lEditElevation},
        {QStringLiteral("fPileDiameter"), lEditPileDiameter},
    };
    float values[3] = {0, 0, 0};
    for (int i = 0; i < numbers.size(); ++i) {
        QString why;
        if (!reportfields::parseNumber(numbers.at(i).first, numbers.at(i).second->text(), &values[i], &why)) {
            numbers.at(i).second->setFocus();
            numbers.at(i).second->selectAll();
            m_messageFunc(tr("提示"), why);
            return false;
        }
    }
    p.strTitleName = editTitleContent->text();
    p.strGD = lEditGD->text();
    p.strReportNum = lEditReportNum->text();
    p.strProject = lEditProject->text();
    p.strClient = lEditClient->text();
    p.strPileNum = lEditPileNum->text();
    p.strDateDetect = lEditDateDetect->text();
    p.strDevice = lEditDevice->text();
    p.fPileDepth = values[0];
    p.fElevation = values[1];
    p.fPileDiameter = values[2];
    p.strPileType = lEditPileType->text();
    p.strPurpose = lEditPurpose->text();
    p.strStandard = cBoxStandard->currentIndex();
    p.strReault = textEditReault->toPlainText();
    p.strPerson = lEditPerson->text();
    p.strCheck = lEditCheck->text();
    p.strDateReport = lEditDateReport->text();
    p.fZoneMultiplier = float(dSpinZoneMultiplier->value());
    p.fZoneMinimumM = float(dSpinZoneMinimum->value());
    QString error;
    ProjectParams shared;
    const bool kept = reportfields::storeFieldsForSurvey(p, m_strSurveyPath, m_head.data(), &shared, &error);
    if (!kept) {
        m_messageFunc(tr("提示"), error);
        return false;
    }
    sProjectParams = shared;

    PrintCtrlParams &pc = sPrintCtrlParams;
    pc.strPageHeader = editPageHeaderContent->text();
    pc.fontPageHeader.setPointSize(fontSize(cBoxPageHeaderFontSize, 13));
    pc.blPageHeader = checkBoxPageHeader->isChecked();
    pc.fontTitle.setPointSize(fontSize(cBoxTitleFontSize, 16));
    pc.blTitle = checkBoxTitle->isChecked();
    pc.strPageFooter = editPageFooterContent->text();
    pc.fontPageFooter.setPointSize(fontSize(cBoxPageFooterFontSize, 13));
    pc.blPageFooter = checkBoxPageFooter->isChecked();
    pc.nPageNumStyle = cBoxPageNumStyle->currentIndex();
    pc.nPageNumPos = cBoxPageNumPos->currentIndex();
    pc.blPageNum = checkBoxPageNumStyle->isChecked();
    pc.blBriefPage = checkBoxBriefPage->isChecked();
    pc.nMarginLeft = spinBoxPageLMargin->value();
    pc.nMarginRight = spinBoxPageRMargin->value();
    pc.nMarginTop = spinBoxPageTMargin->value();
    pc.nMarginBottom = spinBoxPageBMargin->value();

    SystemConfig::instance().saveProjectParams();
    // Shown again as the engineer will see them next time (numbers rounded,
    // empty header-backed fields filled).
    loadParams();
    return true;
}

void PrinterSetupDialog::on_btnExportToWord_clicked()
{
    if (storeParams())
        emit outputWordCilcked();
}

void PrinterSetupDialog::on_btnExportToImage_clicked()
{
    if (storeParams())
        emit outputImageCilcked();
}

void PrinterSetupDialog::on_btnExportToPdf_clicked()
{
    if (storeParams())
        emit exportPdfCilcked();
}

void PrinterSetupDialog::on_btnPrintPreview_clicked()
{
    if (storeParams())
        emit printPreviewCilcked();
}

void PrinterSetupDialog::on_btnPrint_clicked()
{
    if (storeParams())
        emit printCilcked();
}

void PrinterSetupDialog::on_btnExit_clicked()
{
    if (storeParams())
        reject();
}

QString PrinterSetupDialog::draftText() const
{
    if (!m_head)
        return QString();
    float diameter = 0;
    // A diameter that is not a number yet counts as not given.
    if (!reportfields::parseNumber(QStringLiteral("fPileDiameter"), lEditPileDiameter->text(), &diameter))
        diameter = 0;
    pile::AssessRule rule;
    rule.multiplier = dSpinZoneMultiplier->value();
    rule.minimumM = dSpinZoneMinimum->value();
    return pile::assessPile(pile::collectMarks(m_infos, *m_head), double(diameter), rule).text;
}

void PrinterSetupDialog::updateDraft()
{
    const QString draft = draftText();
    textEditDraft->setPlainText(draft);
    btnAdoptDraft->setEnabled(!draft.isEmpty() && draft != textEditReault->toPlainText());
}

// Only on the engineer's click does the draft take the place of what is
// typed.
void PrinterSetupDialog::on_btnAdoptDraft_clicked()
{
    textEditReault->setPlainText(textEditDraft->toPlainText());
    btnAdoptDraft->setEnabled(false);
}
