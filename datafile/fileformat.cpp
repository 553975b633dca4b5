#include "fileformat.h"

#include <QCoreApplication>
#include <QtDebug>
#include <limits>

namespace fileformat {

QString buildNumberText(const FileHead &head)
{
    const QString text = decodeText(head.fileTypeVersion);
    return text.mid(text.lastIndexOf(QLatin1Char('.')) + 1);
}

bool isOriginal(const FileHead &head)
{
    const QString text = decodeText(head.fileTypeVersion);
    return text.contains(QLatin1String("ORG")) || text.contains(QLatin1String("A14"));
}

qint64 analysisAreaSize(const FileHead &head)
{
    if (isOriginal(head))
        return 0;
    return (3 * qint64(head.waveGroupCnt) - qint64(head.deleteChannelCnt)) * AnaDataSize;
}

bool accepts(const FileHead &head, qint64 fileSize, QString *reason)
{
    auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (fileSize < FILE_HEAD_SIZE)
        return fail(QCoreApplication::translate("FileFormat", "文件短于文件头"));

    const QString build = buildNumberText(head);
    qDebug("SVN版本号为 ... %s", qPrintable(build));
    if (!(QString::compare(QStringLiteral("1510"), build, Qt::CaseSensitive) < 0))
        return fail(QCoreApplication::translate("FileFormat", "版本号 %1 不被接受").arg(build));

    if (head.waveGroupCnt < 0)
        return fail(QCoreApplication::translate("FileFormat", "测点数为负"));
    qint64 area = 0;
    if (!isOriginal(head)) {
        qDebug("header.info.deleteChannelCnt ... %d", head.deleteChannelCnt);
        if (head.deleteChannelCnt < 0 || qint64(head.deleteChannelCnt) > 3 * qint64(head.waveGroupCnt))
            return fail(QCoreApplication::translate("FileFormat", "删除通道数超出范围"));
        area = analysisAreaSize(head);
    }
    const qint64 rest = fileSize - FILE_HEAD_SIZE - area;
    if (rest < 0 || rest % GroupSize != 0) {
        qDebug("文件数据格式不对 ... %lld, %d, %d!", (long long)fileSize, GroupSize, int(area));
        return fail(QCoreApplication::translate("FileFormat", "文件长度与文件头记录的数量不符"));
    }
    // An analysis file must hold exactly the groups its header counts,
    // otherwise its records would be read from inside the wave data.
    if (!isOriginal(head) && rest / GroupSize != head.waveGroupCnt)
        return fail(QCoreApplication::translate("FileFormat", "测点数与文件长度不符"));
    return true;
}

qint64 completeGroupCount(const FileHead &head, qint64 fileSize)
{
    const qint64 area = analysisAreaSize(head);
    const qint64 rest = fileSize - FILE_HEAD_SIZE - area;
    return rest < 0 ? 0 : rest / GroupSize;
}

Version parseVersion(const QString &text)
{
    Version v;
    const int at = text.indexOf(QLatin1Char('V'));
    if (at < 0)
        return v;
    v.hasV = true;
    const QStringList parts = text.mid(at + 1).split(QLatin1Char('.'));
    int *fields[3] = {&v.main, &v.mid, &v.low};
    for (int i = 0; i < 3 && i < parts.size(); ++i) {
        const QString &p = parts.at(i);
        qint64 value = 0;
        int digits = 0;
        while (digits < p.size() && p.at(digits).isDigit() && p.at(digits).unicode() < 128) {
            value = qMin<qint64>(value * 10 + (p.at(digits).unicode() - '0'), std::numeric_limits<int>::max());
            ++digits;
        }
        if (digits == 0)
            break;
        *fields[i] = int(value);
        v.count = i + 1;
    }
    return v;
}

bool isOldVersion(const FileHead &head)
{
    const Version v = parseVersion(decodeText(head.fileTypeVersion));
    if (!v.hasV) {
        qDebug("文件版本号错误!");
        return true;
    }
    qDebug("mainVer, midVer, lowVer ... %d, %d, %d", v.main, v.mid, v.low);
    if (v.count < 3)
        return true;
    if (v.main <= 1 && v.mid <= 0 && v.low <= 2736) {
        qDebug("打开旧版本文件!");
        return true;
    }
    return false;
}

bool raiseVersion(FileHead &head)
{
    const QString text = decodeText(head.fileTypeVersion);
    const int at = text.indexOf(QLatin1Char('V'));
    if (at < 0) {
        qDebug("文件版本号错误!");
        return false;
    }
    const Version v = parseVersion(text);
    const int main = v.count >= 1 ? qMax(v.main, 1) : 1;
    const int mid = v.count >= 2 ? qMax(v.mid, 1) : 1;
    const int low = v.count >= 3 ? qMax(v.low, 2736) : 2736;
    // The prefix up to and including the "V" is kept in every case.
    const QString raised = text.left(at + 1) + QString::asprintf("%d.%d.%d", main, mid, low);
    qDebug("modifiedOldFileVersion: strVersion ... %s", qPrintable(raised));
    encodeText(head.fileTypeVersion, raised);
    head.modifyFlags |= ModTypeOrVersion;
    return true;
}

void changeTypeToAnalysis(FileHead &head)
{
    QString text = decodeText(head.fileTypeVersion);
    text.replace(QLatin1String("ORG"), QLatin1String("ANA"));
    encodeText(head.fileTypeVersion, text);
    head.modifyFlags |= ModTypeOrVersion;
}

} // namespace fileformat
