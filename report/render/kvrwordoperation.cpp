#include "kvrwordoperation.h"

#include "app/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

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

bool KvrWordOperation::makeReportImage(bool reportFailure)
{
    auto fail = [&]() {
        if (reportFailure)
            emit progressPrompt(0);
        return false;
    };
    m_strListWaveListFile.clear();
    if (m_renderer.data().waveGroups.isEmpty() || m_strOutputBaseName.isEmpty() || !QDir(m_strOutputDir).exists())
        return fail();
    const QString file =
        m_strOutputDir + QStringLiteral("/") + m_strOutputBaseName + QLatin1Char('.') + m_strImageSuffix;

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
    const bool jpeg = m_strImageSuffix != QLatin1String("png");
    if (!image.save(file, jpeg ? "JPEG" : "PNG", jpeg ? 92 : -1))
        return fail();
    emit progressPrompt(70);
    m_strListWaveListFile.append(file);
    return true;
}

void KvrWordOperation::createKvrImageDoWorker()
{
    if (makeReportImage(true))
        emit progressPrompt(1);
}

void KvrWordOperation::createKvrWordDoWorker()
{
    const QString savePath = saveFilePath();
    // The picture of the document is a PNG beside it. Without the image the
    // document is still made, only without picture.
    setImageSuffix(QStringLiteral("png"));
    makeReportImage(false);

    if (!createNewWord(m_strTemplatePath)) {
        close(false);
        emit progressPrompt(0);
        return;
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

    if (!m_strListWaveListFile.isEmpty()) {
        qDebug("m_strListWaveListFile.at(0) ... %s", qPrintable(m_strListWaveListFile.at(0)));
        insertPicture(QStringLiteral("bookmarkImage"), m_strListWaveListFile.at(0));
    }
    emit progressPrompt(90);

    const bool saved = close(true);
    emit progressPrompt(100);
    emit progressPrompt(saved && QFileInfo::exists(savePath) ? 1 : 0);
}
