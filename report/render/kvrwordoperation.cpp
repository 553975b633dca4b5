#include "kvrwordoperation.h"

#include "app/paths.h"
#include "io/safewrite.h"
#include "report/render/reportimage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryFile>

KvrWordOperation::KvrWordOperation(QObject *parent)
    : WordEngineNew(parent)
{
    m_strTemplatePath = programDataFile(QStringLiteral("template.dotx"));
}

void KvrWordOperation::setOutputPath(const QString &path)
{
    const QFileInfo fi(path);
    m_strOutputDir = fi.absolutePath();
    m_strOutputBaseName = fi.completeBaseName();
    setSaveFilePath(fi.absoluteFilePath());
}

void KvrWordOperation::setImageSuffix(const QString &suffix)
{
    const QString s = suffix.toLower();
    m_strImageSuffix = s == QLatin1String("jpg") || s == QLatin1String("jpeg") ? s : QStringLiteral("png");
}

QString KvrWordOperation::standardText(int index)
{
    if (index == 1)
        return QStringLiteral("《公路工程地质勘察规范》（JTG C20-2011）");
    return QStringLiteral("《公路工程物探规程》（JTG/T3222-2020)");
}

namespace {

QString pictureFailedText(const QString &picture, const QString &why)
{
    return QCoreApplication::translate("KvrWordOperation", "无法写入报告图片 %1：%2")
        .arg(QDir::toNativeSeparators(picture), why);
}

} // namespace

QString KvrWordOperation::imagePath() const
{
    return m_strOutputDir + QStringLiteral("/") + m_strOutputBaseName + QLatin1Char('.') + m_strImageSuffix;
}

void KvrWordOperation::fail(const QString &reason)
{
    m_strError = reason;
    qDebug("KvrWordOperation: 操作失败 ... %s", qUtf8Printable(reason));
    emit failureReason(reason);
    emit progressPrompt(0);
}

// The report image, drawn and encoded in memory (progress 10, 30, 50).
bool KvrWordOperation::renderImage(QByteArray *png, QString *why)
{
    QImage image(ReportRenderer::kImageWidth, ReportRenderer::kImageHeight, QImage::Format_RGB888);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        m_renderer.updateImageDrawInfo(&painter);
        emit progressPrompt(10);
        m_renderer.drawWaveGraph(&painter);
        emit progressPrompt(30);
        m_renderer.drawBoreholePanel(&painter);
        emit progressPrompt(50);
    }
    return encodeImageFor(image, imagePath(), png, why);
}

void KvrWordOperation::createKvrImageDoWorker()
{
    m_strListWaveListFile.clear();
    m_strError.clear();
    if (m_renderer.data().waveGroups.isEmpty())
        return fail(QCoreApplication::translate("KvrWordOperation", "没有可输出的波形"));
    if (m_strOutputBaseName.isEmpty() || !QDir(m_strOutputDir).exists())
        return fail(QCoreApplication::translate("KvrWordOperation", "输出目录 %1 不存在").arg(m_strOutputDir));
    const QString file = imagePath();
    QString why;
    const auto render = [this](QByteArray *png, QString *reason) { return renderImage(png, reason); };
    if (!kvrio::writeMadeFile(file, m_inputFiles, render, &why))
        return fail(kvrio::writeFailedText(file, why));
    emit progressPrompt(70);
    m_strListWaveListFile.append(file);
    emit progressPrompt(1);
}

// The document and the image beside it are one export: the image is made
// ready beside its place first, the document is written, and only then does
// the image replace an existing one. A failure anywhere leaves both old
// files as they were.
void KvrWordOperation::createKvrWordDoWorker()
{
    const QString savePath = saveFilePath();
    // The picture of the document is a PNG beside it.
    setImageSuffix(QStringLiteral("png"));
    const QString picture = imagePath();
    m_strListWaveListFile.clear();
    m_strError.clear();

    const QStringList inputs = QStringList(m_inputFiles) << m_strTemplatePath;
    QString refused = kvrio::checkOutputTarget(savePath, inputs);
    if (!refused.isEmpty())
        return fail(kvrio::writeFailedText(savePath, refused));
    if (kvrio::isSameFile(savePath, picture))
        return fail(
            kvrio::writeFailedText(savePath, QCoreApplication::translate("KvrWordOperation", "它与报告图片同名")));
    refused = kvrio::checkOutputTarget(picture, inputs);
    if (!refused.isEmpty())
        return fail(pictureFailedText(picture, refused));

    // Nothing to draw: the document is still made, only without picture.
    const bool withImage =
        !m_renderer.data().waveGroups.isEmpty() && !m_strOutputBaseName.isEmpty() && QDir(m_strOutputDir).exists();
    kvrio::SafeFile beside(picture, QStringList(inputs) << savePath);
    // The document takes the picture from a private copy, so the file
    // beside it is not touched before the document is safe.
    QTemporaryFile embedded(QDir::tempPath() + QStringLiteral("/kvr-report-XXXXXX.png"));
    if (withImage) {
        QByteArray png;
        QString why;
        if (!renderImage(&png, &why))
            return fail(why);
        if (!embedded.open() || embedded.write(png) != png.size() || !embedded.flush())
            return fail(QCoreApplication::translate("KvrWordOperation", "无法写入临时文件 %1：%2")
                            .arg(embedded.fileName(), embedded.errorString()));
        embedded.close();
        if (!beside.open() || !beside.write(png) || !beside.finish())
            return fail(pictureFailedText(picture, beside.errorString()));
        emit progressPrompt(70);
    }

    if (!createNewWord(m_strTemplatePath)) {
        const QString why = lastError();
        close(false);
        return fail(why.isEmpty() ? QCoreApplication::translate("KvrWordOperation", "无法从模板创建文档") : why);
    }
    setSaveFilePath(savePath);
    const ProjectParams &pp = m_renderer.data().project;
    const QString fixed2 = QStringLiteral("%1");
    const QList<QPair<const char *, QString>> marks = {
        {"bookmarkTitle", pp.strTitleName},
        {"bookmarkGD", pp.strGD},
        {"bookmarkReportNum", pp.strReportNum},
        {"bookmarkProject", pp.strProject},
        {"bookmarkClient", pp.strClient},
        {"bookmarkPileNum", pp.strPileNum},
        {"bookmarkDateDetect", pp.strDateDetect},
        {"bookmarkDevice", pp.strDevice},
        {"bookmarkPileDepth", fixed2.arg(double(pp.fPileDepth), 0, 'f', 2)},
        {"bookmarkElevation", fixed2.arg(double(pp.fElevation), 0, 'f', 2)},
        {"bookmarkPileDiameter", fixed2.arg(double(pp.fPileDiameter), 0, 'f', 2)},
        {"bookmarkPileType", pp.strPileType},
        {"bookmarkPurpose", pp.strPurpose},
        {"bookmarkStandard", standardText(pp.strStandard)},
        {"bookmarkReault", pp.strReault},
        {"bookmarkPerson", pp.strPerson},
        {"bookmarkCheck", pp.strCheck},
        {"bookmarkDateReport", pp.strDateReport},
    };
    for (int i = 0; i < marks.size(); ++i) {
        setBookmarkText(QString::fromLatin1(marks.at(i).first), marks.at(i).second);
        if (i == 0)
            emit progressPrompt(80);
    }
    emit progressPrompt(85);

    if (withImage) {
        qDebug("m_strListWaveListFile.at(0) ... %s", qPrintable(picture));
        insertPicture(QStringLiteral("bookmarkImage"), embedded.fileName());
    }
    emit progressPrompt(90);

    const bool saved = close(true);
    if (!saved || !QFileInfo::exists(savePath)) {
        const QString why = lastError();
        return fail(why.isEmpty() ? QCoreApplication::translate("KvrWordOperation", "无法保存文档 %1").arg(savePath)
                                  : why);
    }
    if (withImage) {
        if (!beside.commit())
            return fail(QCoreApplication::translate("KvrWordOperation", "Word 文件已保存，但")
                        + pictureFailedText(picture, beside.errorString()));
        m_strListWaveListFile.append(picture);
    }
    emit progressPrompt(100);
    emit progressPrompt(1);
}
