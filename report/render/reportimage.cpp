#include "reportimage.h"

#include "io/safewrite.h"
#include "report/render/reportrenderer.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>

bool encodeImageFor(const QImage &image, const QString &path, QByteArray *bytes, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
    if (format.isEmpty())
        format = "png";
    if (!QImageWriter::supportedImageFormats().contains(format))
        return fail(QCoreApplication::translate("ReportImage", "不支持的图片格式 %1").arg(QString::fromLatin1(format)));
    if (image.isNull())
        return fail(QCoreApplication::translate("ReportImage", "报告图片为空"));
    QBuffer buffer(bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (format == "jpg" || format == "jpeg")
        writer.setQuality(92);
    if (!writer.write(image))
        return fail(QCoreApplication::translate("ReportImage", "无法编码图片：%1").arg(writer.errorString()));
    buffer.close();
    QImage back;
    if (!back.loadFromData(*bytes, format.constData()) || back.size() != image.size())
        return fail(QCoreApplication::translate("ReportImage", "编码后的图片无法读回"));
    return true;
}

bool writeReportImage(const ReportData &data, const QString &path, QString *error, const QStringList &inputs)
{
    return kvrio::writeMadeFile(
        path, inputs,
        [&data, &path](QByteArray *bytes, QString *why) {
            ReportRenderer renderer;
            renderer.setData(data);
            return encodeImageFor(renderer.renderImage(), path, bytes, why);
        },
        error);
}
