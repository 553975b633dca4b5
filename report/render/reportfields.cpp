#include "reportfields.h"

#include "app/paths.h"
#include "io/safewrite.h"
#include "io/textcheck.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>

namespace reportfields {

namespace {

struct TextField {
    const char *key;
    QString ProjectParams::*member;
};
struct NumberField {
    const char *key;
    float ProjectParams::*member;
};

const TextField kTextFields[] = {
    {"strReportNum", &ProjectParams::strReportNum}, {"strProject", &ProjectParams::strProject},
    {"strPileNum", &ProjectParams::strPileNum},     {"strDateDetect", &ProjectParams::strDateDetect},
    {"strPileType", &ProjectParams::strPileType},   {"strReault", &ProjectParams::strReault},
    {"strPerson", &ProjectParams::strPerson},       {"strDateReport", &ProjectParams::strDateReport},
};
const NumberField kNumberFields[] = {
    {"fPileDepth", &ProjectParams::fPileDepth},
    {"fElevation", &ProjectParams::fElevation},
    {"fPileDiameter", &ProjectParams::fPileDiameter},
};

// The header value behind a per-pile text field (null when it has none).
QString headerValueOf(const HeaderValues &h, const char *key)
{
    const QLatin1String k(key);
    if (k == QLatin1String("strProject"))
        return h.project;
    if (k == QLatin1String("strPileNum"))
        return h.pileNum;
    if (k == QLatin1String("strDateDetect"))
        return h.dateDetect;
    if (k == QLatin1String("strPerson"))
        return h.person;
    return QString();
}

void clearPerSurvey(ProjectParams &p)
{
    for (const TextField &f : kTextFields)
        (p.*f.member).clear();
    for (const NumberField &f : kNumberFields)
        p.*f.member = 0.0f;
}

QString canonicalPath(const QString &surveyPath)
{
    const QFileInfo fi(surveyPath);
    QString path = fi.canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(fi.absoluteFilePath());
#ifdef Q_OS_WIN
    path = path.toLower();
#endif
    return path;
}

} // namespace

const QStringList &perSurveyKeys()
{
    static const QStringList keys = [] {
        QStringList k;
        for (const TextField &f : kTextFields)
            k << QString::fromLatin1(f.key);
        for (const NumberField &f : kNumberFields)
            k << QString::fromLatin1(f.key);
        return k;
    }();
    return keys;
}

HeaderValues headerValues(const FileHead *head)
{
    HeaderValues h;
    if (!head)
        return h;
    h.project = decodeText(head->workName).trimmed();
    h.pileNum = decodeText(head->pilingNumber).trimmed();
    h.dateDetect = decodeText(head->detectTime).trimmed();
    h.person = decodeText(head->detectName).trimmed();
    h.unit = decodeText(head->detectUnit).trimmed();
    return h;
}

QString surveyKey(const QString &surveyPath)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(canonicalPath(surveyPath).toUtf8(), QCryptographicHash::Sha1).toHex());
}

namespace {
QStringList readRecord(const QString &path, ProjectParams *p);
} // namespace

QString recordPath(const QString &surveyPath)
{
    return dataRoot() + QStringLiteral("uDataDir/reportfields/") + surveyKey(surveyPath) + QStringLiteral(".json");
}

ProjectParams fieldsForSurvey(const ProjectParams &shared, const QString &surveyPath, const FileHead *head,
                              QStringList *problems)
{
    ProjectParams p = shared;
    const HeaderValues h = headerValues(head);
    if (p.strGD.trimmed().isEmpty())
        p.strGD = h.unit;
    if (!surveyPath.isEmpty()) {
        clearPerSurvey(p);
        const QStringList found = readRecord(recordPath(surveyPath), &p);
        if (problems)
            *problems << found;
        for (const QString &problem : found)
            qWarning("%s", qUtf8Printable(problem));
    }
    for (const TextField &f : kTextFields) {
        const QString fromHeader = headerValueOf(h, f.key);
        if ((p.*f.member).trimmed().isEmpty() && !fromHeader.isEmpty())
            p.*f.member = fromHeader;
    }
    return p;
}

bool storeFieldsForSurvey(const ProjectParams &edited, const QString &surveyPath, const FileHead *head,
                          ProjectParams *shared, QString *error)
{
    const HeaderValues h = headerValues(head);
    *shared = edited;
    if (edited.strGD.trimmed() == h.unit)
        shared->strGD.clear(); // as in the header: follow the header
    if (surveyPath.isEmpty())
        return true;
    clearPerSurvey(*shared);

    ProjectParams typed = edited;
    for (const TextField &f : kTextFields) {
        const QString fromHeader = headerValueOf(h, f.key);
        if (!fromHeader.isEmpty() && (edited.*f.member).trimmed() == fromHeader)
            (typed.*f.member).clear();
    }
    const QByteArray bytes = recordBytes(typed, canonicalPath(surveyPath));

    const QString path = recordPath(surveyPath);
    for (const NumberField &f : kNumberFields) {
        QString why;
        float checked = 0.0f;
        if (!parseNumber(QLatin1String(f.key), QString::number(double(edited.*f.member), 'f', 2), &checked, &why)) {
            if (error)
                *error = why;
            return false;
        }
    }
    auto fail = [error, &path](const QString &why) {
        if (error)
            *error = QCoreApplication::translate("ReportFields", "无法保存本桩的报告内容 %1：%2").arg(path, why);
        return false;
    };
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(QCoreApplication::translate("ReportFields", "无法创建目录"));
    QString why;
    // Never through a link, and never onto the survey itself.
    QString notice;
    const bool written = kvrio::writeOwnedFile(path, bytes, {surveyPath}, &why, &notice);
    if (!notice.isEmpty())
        qWarning("%s", qUtf8Printable(notice));
    return written || fail(why);
}

namespace {

struct NumberRule {
    const char *key;
    const char *label;
    double min;
    double max;
};
const NumberRule kNumberRules[] = {
    {"fPileDepth", QT_TRANSLATE_NOOP("ReportFields", "基桩孔深(m)"), 0, 200},
    {"fElevation", QT_TRANSLATE_NOOP("ReportFields", "桩底标高(m)"), -1000, 9000},
    {"fPileDiameter", QT_TRANSLATE_NOOP("ReportFields", "桩径(m)"), 0, 20},
};

const NumberRule *ruleOf(const QString &key)
{
    for (const NumberRule &r : kNumberRules)
        if (key == QLatin1String(r.key))
            return &r;
    return nullptr;
}

} // namespace

bool isNumberKey(const QString &key) { return ruleOf(key) != nullptr; }

bool parseNumber(const QString &key, const QString &text, float *value, QString *message)
{
    const NumberRule *rule = ruleOf(key);
    if (!rule)
        return false;
    const QString t = text.trimmed();
    auto refuse = [&]() {
        if (message)
            *message =
                QCoreApplication::translate("ReportFields", "%1 须为 %2 到 %3 之间的数值（保留两位小数），不能是“%4”。")
                    .arg(QCoreApplication::translate("ReportFields", rule->label))
                    .arg(rule->min)
                    .arg(rule->max)
                    .arg(t);
        return false;
    };
    if (t.isEmpty()) {
        *value = 0.0f;
        return true;
    }
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d{1,12}(\\.\\d{0,12})?|\\.\\d{1,12})$"));
    if (!number.match(t).hasMatch())
        return refuse();
    bool ok = false;
    const double v = std::round(t.toDouble(&ok) * 100.0) / 100.0;
    if (!ok || !std::isfinite(v) || v < rule->min || v > rule->max)
        return refuse();
    *value = float(v);
    return true;
}

namespace {

// Reads a pile's record into `p`: each good field is kept; what is damaged,
// too large, not a plain file or out of range is left out and said.
QStringList readRecord(const QString &path, ProjectParams *p)
{
    QStringList problems;
    auto problem = [&problems, &path](const QString &why) {
        problems << QCoreApplication::translate("ReportFields", "本桩的报告内容 %1：%2").arg(path, why);
    };
    switch (kvrio::inspectOwnedFile(path)) {
    case kvrio::OwnedFileState::Absent: return problems;
    case kvrio::OwnedFileState::Other:
        problem(QCoreApplication::translate("ReportFields", "不是普通文件（链接或其他），未读取"));
        return problems;
    case kvrio::OwnedFileState::PlainFile: break;
    }
    // A record is a few hundred bytes; anything far larger is not ours.
    constexpr qint64 kMaxRecordBytes = 1024 * 1024;
    QFile file(path);
    if (kvrio::inspectInput(path) != kvrio::InputState::Ok || !file.open(QIODevice::ReadOnly)) {
        problem(QCoreApplication::translate("ReportFields", "无法读取"));
        return problems;
    }
    if (file.size() > kMaxRecordBytes) {
        problem(QCoreApplication::translate("ReportFields", "文件过大，未读取"));
        return problems;
    }
    return readRecordBytes(file.readAll(), p, path);
}

} // namespace

QStringList readRecordBytes(const QByteArray &bytes, ProjectParams *p, const QString &source)
{
    QStringList problems;
    auto problem = [&problems, &source](const QString &why) {
        problems << QCoreApplication::translate("ReportFields", "本桩的报告内容 %1：%2").arg(source, why);
    };
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()
        || !doc.object().value(QLatin1String("fields")).isObject()) {
        problem(QCoreApplication::translate("ReportFields", "内容已损坏，未读取"));
        return problems;
    }
    const QJsonObject fields = doc.object().value(QLatin1String("fields")).toObject();
    for (const TextField &f : kTextFields) {
        const QJsonValue v = fields.value(QLatin1String(f.key));
        if (!v.isString() && !v.isUndefined() && !v.isNull()) {
            problem(QCoreApplication::translate("ReportFields", "字段 %1 不是文字，未采用").arg(QLatin1String(f.key)));
            continue;
        }
        bool changed = false;
        QString text = kvrio::cleanText(v.toString(), &changed);
        // The JSON reader drops a byte order mark that starts a text; one
        // written escaped goes here too, so a rewritten record reads the same.
        while (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        p->*f.member = text;
        if (changed)
            problem(
                QCoreApplication::translate("ReportFields", "字段 %1 含有无效字符，已去掉").arg(QLatin1String(f.key)));
    }
    for (const NumberField &f : kNumberFields) {
        const QJsonValue v = fields.value(QLatin1String(f.key));
        if (v.isUndefined() || v.isNull())
            continue;
        float value = 0.0f;
        QString why;
        if (!v.isDouble() || !std::isfinite(v.toDouble())
            || !parseNumber(QLatin1String(f.key), QString::number(v.toDouble(), 'f', 2), &value, &why)
            || std::abs(double(value) - v.toDouble()) > 0.005) {
            problem(
                QCoreApplication::translate("ReportFields", "字段 %1 的数值无效，未采用").arg(QLatin1String(f.key)));
            continue;
        }
        p->*f.member = value;
    }
    return problems;
}

QByteArray recordBytes(const ProjectParams &p, const QString &survey)
{
    QJsonObject fields;
    for (const TextField &f : kTextFields)
        fields.insert(QLatin1String(f.key), p.*f.member);
    for (const NumberField &f : kNumberFields)
        fields.insert(QLatin1String(f.key), double(p.*f.member));
    QJsonObject record;
    record.insert(QLatin1String("survey"), survey);
    record.insert(QLatin1String("fields"), fields);
    return QJsonDocument(record).toJson();
}

} // namespace reportfields
