#include "batchreport.h"

#include "datafile/kvrdocument.h"
#include "io/safewrite.h"
#include "report/render/kvrwordoperation.h"
#include "report/render/reportdata.h"
#include "report/render/reportfields.h"
#include "report/render/reportimage.h"
#include "report/render/reportpdf.h"
#include "report/render/reportrenderer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <mutex>
#include <thread>

namespace {

QString tr(const char *text) { return QCoreApplication::translate("BatchReport", text); }

} // namespace

QString reportSuffix(ReportKind kind)
{
    switch (kind) {
    case ReportKind::Pdf: return QStringLiteral("pdf");
    case ReportKind::Word: return QStringLiteral("docx");
    case ReportKind::Image: break;
    }
    return QStringLiteral("png");
}

QString reportPathFor(const QString &outDir, const QString &survey, ReportKind kind)
{
    return QDir(outDir).filePath(QFileInfo(survey).completeBaseName() + QLatin1Char('.') + reportSuffix(kind));
}

QStringList reportFilesFor(const QString &output, ReportKind kind)
{
    QStringList files {output};
    if (kind == ReportKind::Word) {
        const QFileInfo fi(output);
        files << fi.dir().filePath(fi.completeBaseName() + QStringLiteral(".png"));
    }
    return files;
}

bool setReportField(ProjectParams &p, const QString &key, const QString &value, QString *why)
{
    QString *text = nullptr;
    if (key == QLatin1String("strTitleName"))
        text = &p.strTitleName;
    else if (key == QLatin1String("strGD"))
        text = &p.strGD;
    else if (key == QLatin1String("strReportNum"))
        text = &p.strReportNum;
    else if (key == QLatin1String("strProject"))
        text = &p.strProject;
    else if (key == QLatin1String("strClient"))
        text = &p.strClient;
    else if (key == QLatin1String("strPileNum"))
        text = &p.strPileNum;
    else if (key == QLatin1String("strDateDetect"))
        text = &p.strDateDetect;
    else if (key == QLatin1String("strDevice"))
        text = &p.strDevice;
    else if (key == QLatin1String("strPileType"))
        text = &p.strPileType;
    else if (key == QLatin1String("strPurpose"))
        text = &p.strPurpose;
    else if (key == QLatin1String("strReault"))
        text = &p.strReault;
    else if (key == QLatin1String("strPerson"))
        text = &p.strPerson;
    else if (key == QLatin1String("strCheck"))
        text = &p.strCheck;
    else if (key == QLatin1String("strDateReport"))
        text = &p.strDateReport;
    if (text) {
        *text = QString(value).replace(QLatin1String("\\n"), QLatin1String("\n"));
        return true;
    }
    if (key == QLatin1String("fPileDepth"))
        return reportfields::parseNumber(key, value, &p.fPileDepth, why);
    if (key == QLatin1String("fElevation"))
        return reportfields::parseNumber(key, value, &p.fElevation, why);
    if (key == QLatin1String("fPileDiameter"))
        return reportfields::parseNumber(key, value, &p.fPileDiameter, why);
    if (key == QLatin1String("strStandard")) {
        bool ok = false;
        const int i = value.toInt(&ok);
        if (ok && (i == 0 || i == 1))
            p.strStandard = i;
        else
            *why = QStringLiteral("strStandard is 0 or 1");
        return ok && (i == 0 || i == 1);
    }
    *why = QStringLiteral("unknown field ") + key;
    return false;
}

bool makeSurveyReport(const ReportJob &job, QString *error, QString *warning)
{
    LoadedSurvey loaded = KvrDocument::load(job.input);
    if (!loaded.result.ok) {
        *error = loaded.result.message;
        return false;
    }
    const FileHeadPtr head = deepCopy(loaded.head);
    const MeasurementModel &m = loaded.model;
    ReportData data = ReportData::borrow(m.waveGroupList(), m.filterWaveGroupList(), m.waveAnalyzeInfoList(), head);
    // The sample count the opened survey would set for the whole program.
    data.nSamplePoints = qBound(1024, loaded.maxSamplePoints, 4096);
    // The fields of this pile (typed in the program for this survey, else
    // from its header) and the project's, then those given.
    data.project = reportfields::fieldsForSurvey(sProjectParams, job.input, head.data());
    for (const QString &f : job.fields) {
        const int eq = f.indexOf(QLatin1Char('='));
        QString why;
        if (eq <= 0 || !setReportField(data.project, f.left(eq), f.mid(eq + 1), &why)) {
            *error = tr("报告字段 %1 无效：%2").arg(f, why);
            return false;
        }
    }
    QString why;
    switch (job.kind) {
    case ReportKind::Image:
        if (!writeReportImage(data, job.output, &why, {job.input})) {
            *error = kvrio::writeFailedText(job.output, why);
            return false;
        }
        return true;
    case ReportKind::Pdf: {
        bool cut = false;
        if (!writeReportPdf(data, job.output, &why, {job.input}, &cut)) {
            *error = kvrio::writeFailedText(job.output, why);
            return false;
        }
        if (cut && warning)
            *warning = ReportRenderer::resultCutNote();
        return true;
    }
    case ReportKind::Word: break;
    }
    KvrWordOperation word;
    if (!job.templatePath.isEmpty())
        word.setTemplatePath(job.templatePath);
    switch (kvrio::inspectInput(word.templatePath(), &why)) {
    case kvrio::InputState::Missing: *error = tr("找不到模板文件 ") + word.templatePath(); return false;
    case kvrio::InputState::NotAFile: *error = tr("模板 %1 不是普通文件").arg(word.templatePath()); return false;
    case kvrio::InputState::Unreadable: *error = tr("无法读取模板 %1：%2").arg(word.templatePath(), why); return false;
    case kvrio::InputState::Ok: break;
    }
    int result = -1;
    QObject::connect(&word, &KvrWordOperation::progressPrompt, [&result](int code) {
        if (code == 0 || code == 1)
            result = code;
    });
    word.setReportData(data);
    word.setInputFiles({job.input});
    word.setOutputPath(job.output);
    word.createKvrWordDoWorker();
    if (result != 1) {
        *error = tr("无法生成Word文件 %1：%2").arg(job.output, word.errorText());
        return false;
    }
    return true;
}

QVector<BatchOutcome> runReportBatch(const QVector<ReportJob> &jobs, const BatchOptions &options)
{
    QVector<BatchOutcome> outcomes(jobs.size());
    for (int i = 0; i < jobs.size(); ++i) {
        outcomes[i].input = jobs[i].input;
        outcomes[i].output = jobs[i].output;
    }
    std::atomic<int> next {0};
    int done = 0;
    std::mutex progressMutex; // one report of progress at a time
    const int total = jobs.size();
    auto work = [&]() {
        for (;;) {
            if (options.cancel && options.cancel->load())
                return;
            const int i = next.fetch_add(1);
            if (i >= total)
                return;
            const ReportJob &job = jobs[i];
            BatchOutcome &o = outcomes[i];
            bool exists = false;
            for (const QString &f : reportFilesFor(job.output, job.kind))
                exists = exists || QFileInfo::exists(f);
            if (exists && !options.overwrite) {
                o.state = BatchOutcome::Kept;
            } else {
                QString error;
                o.state = makeSurveyReport(job, &error, &o.warning) ? BatchOutcome::Written : BatchOutcome::Failed;
                o.error = error;
            }
            std::lock_guard<std::mutex> lock(progressMutex);
            ++done;
            if (options.progress)
                options.progress(done, total, o);
        }
    };
    const int workers = qBound(1, options.workers, qMax(1, total));
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w)
        threads.emplace_back(work);
    work();
    for (std::thread &t : threads)
        t.join();
    return outcomes;
}
