#include "systemconfig.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include "io/safewrite.h"

#include <cmath>
#include <functional>

ProjectParams sProjectParams;

namespace {

const char *const kKeyNames[] = {
    "strLastOpenFilePath", "blIsWaveStyleFill",   "blIsBgColorBlack",
    "blNormalized",        "strTitleName",        "strGD",
    "strReportNum",        "strProject",          "strClient",
    "strPileNum",          "strDateDetect",       "strDevice",
    "fPileDepth",          "fElevation",          "fPileDiameter",
    "strPileType",         "strPurpose",          "strStandard",
    "strReault",           "strPerson",           "strCheck",
    "strDateReport",       "blIsVariableDensity", "strLanguage",
    "fZoneMultiplier",     "fZoneMinimumM",
};

const char *const kKeyComments[] = {
    "上一次打开文件路径", "波形是否填充",       "波形是否黑色背景",
    "是否显示归一化波形", "打印标题",           "检测单位名称",
    "报告编号",           "工程名称",           "委托单位",
    "桩基编号",           "检测日期",           "仪器名称",
    "桩基孔深",           "桩底标高",           "桩径",
    "基桩类型",           "探测目的",           "执行标准",
    "结果是个啥",         "检测人员",           "审核",
    "报告日期",           "波列是否变密度显示", "界面语言：zh 中文，en English，system 跟随系统",
    "桩底检验范围：桩径的倍数", "桩底检验范围：最小深度(m)",
};

constexpr int kKeyCount = int(sizeof(kKeyNames) / sizeof(kKeyNames[0]));
static_assert(kKeyCount == 26, "the configuration has 26 keys");
// Keys every configuration file has had; a file without one of them starts
// afresh. Later keys are added to a file that lacks them, nothing else changes.
constexpr int kRequiredKeyCount = 22;
static_assert(sizeof(kKeyComments) / sizeof(kKeyComments[0]) == kKeyCount, "one comment per key");

// Serialises every create, load and save of the XML file.
QMutex sXmlMutex;
qint64 sWriteLimit = -1;
// When set, the configuration file lives here (name -> bytes) instead of on
// disk: a memory-only store for tests and fuzzing.
QHash<QString, QByteArray> *sMemoryFiles = nullptr;

QString boolText(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

// Two decimals of the value as the user typed it: a float such as 12.345f is
// stored as 12.3449997..., so its 7 significant digits are rounded, not the
// binary value.
QString floatText(float f)
{
    const double typed = QString::number(double(f), 'g', 7).toDouble();
    return QString::number(typed, 'f', 2);
}

bool readBool(const QString &text) { return text.trimmed().toInt() > 0; }
int readInt(const QString &text) { return text.trimmed().toInt(); }
float readFloat(const QString &text) { return text.trimmed().toFloat(); }

// A text that stands beside elements (something a user or another program
// left between the keys) is written without the blank lines and indentation
// around it: they are the layout's, and the indented writing would add
// another line break before it on every save, so that the file grew each
// time. Texts inside a key are the key's value and stay as they are.
void trimTextBesideElements(QDomNode node)
{
    bool elements = false;
    for (QDomNode c = node.firstChild(); !c.isNull() && !elements; c = c.nextSibling())
        elements = c.isElement();
    for (QDomNode c = node.firstChild(); !c.isNull();) {
        const QDomNode next = c.nextSibling();
        if (c.isElement()) {
            trimTextBesideElements(c);
        } else if (elements && c.isText() && !c.isCDATASection()) {
            const QString text = c.nodeValue().trimmed();
            if (text.isEmpty())
                node.removeChild(c);
            else
                c.setNodeValue(text);
        }
        c = next;
    }
}

// Writes the document completely or not at all: every write() must take all
// its bytes, otherwise the save is cancelled and the old file stays.
bool saveXml(const QDomDocument &doc, const QString &fileName)
{
    QMutexLocker lock(&sXmlMutex);
    // The bytes are UTF-8, so the declaration must say so whatever the file
    // that was loaded declared: a foreign encoding there would garble every
    // text the next time the file is read.
    QDomDocument out = doc.cloneNode(true).toDocument();
    const QDomProcessingInstruction declaration =
        out.createProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"utf-8\""));
    const QDomNode first = out.firstChild();
    if (first.isProcessingInstruction() && first.toProcessingInstruction().target() == QLatin1String("xml"))
        out.replaceChild(declaration, first);
    else
        out.insertBefore(declaration, first);
    trimTextBesideElements(out.documentElement());
    const QByteArray data = out.toByteArray(4);
    if (sMemoryFiles) {
        if (sWriteLimit >= 0 && data.size() > sWriteLimit)
            return false; // as a full disk would: the old content stays
        sMemoryFiles->insert(fileName, data);
        return true;
    }
    // Never written through a link (a link put there since the start too).
    const QString moved = kvrio::moveAsideIfNotOwned(fileName);
    if (!moved.isEmpty())
        qWarning("%s", qUtf8Printable(moved));
    if (kvrio::inspectOwnedFile(fileName) == kvrio::OwnedFileState::Other)
        return false;
    kvrio::SafeFile file(fileName);
    if (!file.open()) {
        qDebug("SystemConfig::saveXml: cannot open ... %s, %s", qUtf8Printable(fileName),
               qUtf8Printable(file.errorString()));
        return false;
    }
    const qint64 chunk = 64 * 1024;
    qint64 budget = sWriteLimit;
    for (qint64 pos = 0; pos < data.size(); pos += chunk) {
        const qint64 len = qMin(chunk, qint64(data.size()) - pos);
        bool ok;
        if (budget >= 0) {
            // As a full disk would: the bytes beyond the budget are refused.
            const qint64 accept = qMin(len, budget);
            budget -= accept;
            ok = accept > 0 && file.write(data.constData() + pos, accept);
            if (ok && accept < len)
                ok = file.abandon(QStringLiteral("No space left on device"));
        } else {
            ok = file.write(data.constData() + pos, len);
        }
        if (!ok) {
            qDebug("SystemConfig::saveXml: short write ... %s", qUtf8Printable(file.errorString()));
            return false;
        }
    }
    if (!file.commit()) {
        qDebug("SystemConfig::saveXml: not saved ... %s", qUtf8Printable(file.errorString()));
        return false;
    }
    return true;
}

// Bounds of a configuration file. The program writes about 2 KB with 25
// elements three levels deep; these leave room for long report texts and
// hand edits, and keep the document parser (which recurses, and expands
// entities without a limit on the total) away from anything that would
// exhaust the stack or the memory.
constexpr qint64 kMaxConfigBytes = 1024 * 1024;
constexpr int kMaxConfigDepth = 32;
constexpr int kMaxConfigElements = 10000;
constexpr qint64 kMaxConfigExpanded = 4 * 1024 * 1024; // characters, entity references expanded

// The name of an entity reference starting after the '&' at `at`, or empty.
template<typename Text, typename Char> QString referenceAt(const Text &text, int at, int *end)
{
    int i = at;
    while (i < text.size() && i - at < 256) {
        const Char c = text.at(i);
        if (c == Char(';')) {
            *end = i + 1;
            return i > at ? QString(text.mid(at, i - at)) : QString();
        }
        if (c == Char(' ') || c == Char('<') || c == Char('&') || c == Char('"') || c == Char('\'') || c == Char('\n')
            || c == Char('\t') || c == Char('\r'))
            break;
        ++i;
    }
    return QString();
}

// Characters that the references to the declared entities would expand to
// (nested references included), or `cap` + 1 once it is more. The stream
// reader hands over the text between two tags as one piece with every
// reference expanded, so the total has to be known before it is read: a
// count over the raw bytes, where a reference in a comment counts too.
qint64 entityExpansion(const QXmlStreamEntityDeclarations &declarations, const QByteArray &bytes, qint64 cap)
{
    QHash<QString, QString> values;
    for (const QXmlStreamEntityDeclaration &d : declarations)
        values.insert(d.name().toString(), d.value().toString());
    if (values.isEmpty())
        return 0;
    QHash<QString, qint64> sizes;
    std::function<qint64(const QString &, int)> sizeOf = [&](const QString &name, int depth) -> qint64 {
        const auto known = sizes.constFind(name);
        if (known != sizes.constEnd())
            return known.value();
        if (depth > 16)
            return cap + 1;
        sizes.insert(name, cap + 1); // meanwhile: a reference back to itself
        const QString value = values.value(name);
        qint64 size = value.size();
        for (int i = value.indexOf(QLatin1Char('&')); i >= 0 && size <= cap;
             i = value.indexOf(QLatin1Char('&'), i + 1)) {
            int end = 0;
            const QString inner = referenceAt<QString, QChar>(value, i + 1, &end);
            if (values.contains(inner))
                size += sizeOf(inner, depth + 1) - (end - i);
        }
        size = qMin(size, cap + 1);
        sizes.insert(name, size);
        return size;
    };
    qint64 total = 0;
    for (int i = bytes.indexOf('&'); i >= 0 && total <= cap; i = bytes.indexOf('&', i + 1)) {
        int end = 0;
        const QString name = referenceAt<QByteArray, char>(bytes, i + 1, &end);
        if (values.contains(name))
            total += sizeOf(name, 0);
    }
    return qMin(total, cap + 1);
}

// A streaming pass over the file before the document parser sees it: empty
// when the file stays within the bounds, otherwise why not.
QString checkConfigBounds(const QByteArray &bytes)
{
    QXmlStreamReader reader(bytes);
    int depth = 0;
    int elements = 0;
    qint64 expanded = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            if (++depth > kMaxConfigDepth)
                return QCoreApplication::translate("SystemConfig", "配置文件嵌套过深（超过 %1 层）")
                    .arg(kMaxConfigDepth);
            if (++elements > kMaxConfigElements)
                return QCoreApplication::translate("SystemConfig", "配置文件元素过多（超过 %1 个）")
                    .arg(kMaxConfigElements);
            expanded += reader.qualifiedName().size();
            for (const QXmlStreamAttribute &a : reader.attributes())
                expanded += a.qualifiedName().size() + a.value().size();
            break;
        case QXmlStreamReader::EndElement: --depth; break;
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::EntityReference:
        case QXmlStreamReader::ProcessingInstruction: expanded += reader.text().size(); break;
        case QXmlStreamReader::DTD:
            expanded += entityExpansion(reader.entityDeclarations(), bytes, kMaxConfigExpanded);
            break;
        default: break;
        }
        if (expanded > kMaxConfigExpanded)
            return QCoreApplication::translate("SystemConfig", "配置文件展开后过大（超过 %1 MB，实体引用过多）")
                .arg(kMaxConfigExpanded >> 20);
    }
    if (reader.hasError())
        return QCoreApplication::translate("SystemConfig", "配置文件无法解析：%1（第 %2 行）")
            .arg(reader.errorString())
            .arg(reader.lineNumber());
    return QString();
}

// Result of reading the file into a document.
enum class LoadResult { Ok, Missing, Unparsable, NotAFile };

LoadResult loadXml(QDomDocument &doc, const QString &fileName, QString *problem = nullptr)
{
    QMutexLocker lock(&sXmlMutex);
    auto fail = [problem](LoadResult result, const QString &why) {
        if (problem)
            *problem = why;
        qDebug("SystemConfig::loadXml: %s", qUtf8Printable(why));
        return result;
    };
    QByteArray bytes;
    if (sMemoryFiles) {
        const auto found = sMemoryFiles->constFind(fileName);
        if (found == sMemoryFiles->constEnd())
            return LoadResult::Missing;
        bytes = found.value().left(int(kMaxConfigBytes + 1));
    } else {
        QString why;
        switch (kvrio::inspectInput(fileName, &why)) {
        case kvrio::InputState::Missing: return LoadResult::Missing;
        case kvrio::InputState::NotAFile:
            return fail(LoadResult::NotAFile, QCoreApplication::translate("SystemConfig", "配置文件不是普通文件"));
        case kvrio::InputState::Unreadable:
            return fail(LoadResult::Unparsable,
                        QCoreApplication::translate("SystemConfig", "无法读取配置文件：%1").arg(why));
        case kvrio::InputState::Ok: break;
        }
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly))
            return fail(LoadResult::Unparsable,
                        QCoreApplication::translate("SystemConfig", "无法读取配置文件：%1").arg(file.errorString()));
        bytes = file.read(kMaxConfigBytes + 1);
    }
    if (bytes.size() > kMaxConfigBytes)
        return fail(
            LoadResult::Unparsable,
            QCoreApplication::translate("SystemConfig", "配置文件过大（超过 %1 MB）").arg(kMaxConfigBytes >> 20));
    const QString outside = checkConfigBounds(bytes);
    if (!outside.isEmpty())
        return fail(LoadResult::Unparsable, outside);
    QString error;
    int line = 0, column = 0;
    if (!doc.setContent(bytes, &error, &line, &column)) {
        qDebug("SystemConfig::loadXml: parse error ... %s, %d, %d", qUtf8Printable(error), line, column);
        return fail(
            LoadResult::Unparsable,
            QCoreApplication::translate("SystemConfig", "配置文件无法解析：%1（第 %2 行）").arg(error).arg(line));
    }
    return LoadResult::Ok;
}

QDomDocument newDocument(const QString &fileName, const QString &rootName)
{
    qDebug("createXml: strFileName, strRootNodeName ... %s, %s\r\n", qUtf8Printable(fileName),
           qUtf8Printable(rootName));
    QDomDocument doc;
    doc.appendChild(
        doc.createProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"utf-8\"")));
    QDomElement root = doc.createElement(rootName);
    root.appendChild(doc.createElement(QStringLiteral("sysconfig")));
    doc.appendChild(root);
    return doc;
}

} // namespace

SystemConfig &SystemConfig::instance()
{
    static SystemConfig config;
    return config;
}

SystemConfig::SystemConfig()
{
    m_captions.strGD = QCoreApplication::translate("SystemConfig", "检测单位名称：");
    m_captions.strReportNum = QCoreApplication::translate("SystemConfig", "报告编号：");
    m_captions.strProject = QCoreApplication::translate("SystemConfig", "工程名称");
    m_captions.strClient = QCoreApplication::translate("SystemConfig", "委托单位");
    m_captions.strPileNum = QCoreApplication::translate("SystemConfig", "基桩编号");
    m_captions.strDateDetect = QCoreApplication::translate("SystemConfig", "检测日期");
    m_captions.strDevice = QCoreApplication::translate("SystemConfig", "主要仪器");
    m_captions.fPileDepth = QCoreApplication::translate("SystemConfig", "基桩孔深");
    m_captions.fElevation = QCoreApplication::translate("SystemConfig", "桩底标高");
    m_captions.fPileDiameter = QCoreApplication::translate("SystemConfig", "桩径");
    m_captions.strPileType = QCoreApplication::translate("SystemConfig", "基桩类型");
    m_captions.strPurpose = QCoreApplication::translate("SystemConfig", "探测目的");
    m_captions.strStandard = QCoreApplication::translate("SystemConfig", "执行标准");
    m_captions.strReault = QCoreApplication::translate("SystemConfig", "结果描述");
    m_captions.strPerson = QCoreApplication::translate("SystemConfig", "检测人员：");
    m_captions.strCheck = QCoreApplication::translate("SystemConfig", "审核：");
    m_captions.strDateReport = QCoreApplication::translate("SystemConfig", "报告日期：");
    resetToBuiltIn();
}

void SystemConfig::setWriteLimitForTesting(qint64 bytes) { sWriteLimit = bytes; }

void SystemConfig::setMemoryFilesForTesting(QHash<QString, QByteArray> *files)
{
    QMutexLocker lock(&sXmlMutex);
    sMemoryFiles = files;
}

void SystemConfig::resetToBuiltIn()
{
    m_blIsBgColorBlack = true;
    m_nMaxSamplePoints = 4096;
    applyDefaults();
}

// The background switch keeps its current value; everything else returns to
// the built-in defaults.
void SystemConfig::applyDefaults()
{
    m_strLastOpenFilePath = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    m_blIsWaveStyleFill = false;
    m_blNormalized = false;
    m_blIsVariableDensity = false;
    m_strLanguage = QStringLiteral("system");
    sProjectParams = ProjectParams();
    sProjectParams.strTitleName = QStringLiteral("桥梁基桩桩底检测报告");
    sProjectParams.strDevice = QStringLiteral("KM-LX5521(A)弹性波孔底溶洞探测仪");
}

int SystemConfig::keyCount() { return kKeyCount; }

QString SystemConfig::keyName(int index)
{
    return index >= 0 && index < kKeyCount ? QString::fromLatin1(kKeyNames[index]) : QString();
}

QString SystemConfig::commentText(int index)
{
    return index >= 0 && index < kKeyCount ? QString::fromUtf8(kKeyComments[index]) : QString();
}

QString SystemConfig::valueText(int index) const
{
    const ProjectParams &p = sProjectParams;
    switch (index) {
    case 0: return m_strLastOpenFilePath;
    case 1: return boolText(m_blIsWaveStyleFill);
    case 2: return boolText(m_blIsBgColorBlack);
    case 3: return boolText(m_blNormalized);
    case 4: return p.strTitleName;
    case 5: return p.strGD;
    case 6: return p.strReportNum;
    case 7: return p.strProject;
    case 8: return p.strClient;
    case 9: return p.strPileNum;
    case 10: return p.strDateDetect;
    case 11: return p.strDevice;
    case 12: return floatText(p.fPileDepth);
    case 13: return floatText(p.fElevation);
    case 14: return floatText(p.fPileDiameter);
    case 15: return p.strPileType;
    case 16: return p.strPurpose;
    case 17: return QString::number(p.strStandard);
    case 18: return p.strReault;
    case 19: return p.strPerson;
    case 20: return p.strCheck;
    case 21: return p.strDateReport;
    case 22: return boolText(m_blIsVariableDensity);
    case 23: return m_strLanguage;
    case 24: return floatText(p.fZoneMultiplier);
    case 25: return floatText(p.fZoneMinimumM);
    default: return QString();
    }
}

void SystemConfig::readValues(const QDomElement &sysconfig)
{
    auto text = [&](int index) { return sysconfig.firstChildElement(keyName(index)).text(); };
    ProjectParams &p = sProjectParams;
    m_strLastOpenFilePath = text(0);
    m_blIsWaveStyleFill = readBool(text(1));
    m_blIsBgColorBlack = readBool(text(2));
    m_blNormalized = readBool(text(3));
    p.strTitleName = text(4);
    p.strGD = text(5);
    p.strReportNum = text(6);
    p.strProject = text(7);
    p.strClient = text(8);
    p.strPileNum = text(9);
    p.strDateDetect = text(10);
    p.strDevice = text(11);
    p.fPileDepth = readFloat(text(12));
    p.fElevation = readFloat(text(13));
    p.fPileDiameter = readFloat(text(14));
    p.strPileType = text(15);
    p.strPurpose = text(16);
    p.strStandard = readInt(text(17));
    p.strReault = text(18);
    qDebug("结果描述 sProjectParams.strReault ... %d, %s", p.strReault.size(), qUtf8Printable(p.strReault));
    p.strPerson = text(19);
    p.strCheck = text(20);
    p.strDateReport = text(21);
    m_blIsVariableDensity = readBool(text(22));
    const QString language = text(23).trimmed();
    m_strLanguage = language.isEmpty() ? QStringLiteral("system") : language;
    // The check zone: a missing or unusable value keeps the built-in one.
    auto zoneValue = [&](int index, float fallback, float most) {
        const QString t = text(index).trimmed();
        bool ok = false;
        const float f = t.toFloat(&ok);
        return ok && std::isfinite(f) && f > 0.0f && f <= most ? f : fallback;
    };
    p.fZoneMultiplier = zoneValue(24, ProjectParams().fZoneMultiplier, 100.0f);
    p.fZoneMinimumM = zoneValue(25, ProjectParams().fZoneMinimumM, 1000.0f);
}

void SystemConfig::init(const QString &path)
{
    m_path = path;
    m_loadProblem.clear();
    // A link, a second name of another file, a directory or a pipe where the
    // configuration belongs is moved aside first: it is never read or
    // written through.
    const QString moved = sMemoryFiles ? QString() : kvrio::moveAsideIfNotOwned(path);
    QDomDocument doc;
    QString problem;
    const LoadResult loaded = loadXml(doc, path, &problem);
    if (!moved.isEmpty())
        m_loadProblem = moved + QCoreApplication::translate("SystemConfig", "，已恢复默认设置");
    if (loaded == LoadResult::Ok) {
        const QDomElement element = doc.documentElement().firstChildElement();
        qDebug("第一个子节点 element.tagName() ... %s", qUtf8Printable(element.tagName()));
        if (!element.isNull() && element.tagName() == QLatin1String("sysconfig")) {
            bool flag = true;
            for (int i = 0; i < kRequiredKeyCount && flag; ++i)
                flag = !element.firstChildElement(keyName(i)).isNull();
            qDebug("flag ... %d", flag ? 1 : 0);
            if (flag) {
                readValues(element);
                for (int i = kRequiredKeyCount; i < kKeyCount; ++i)
                    if (element.firstChildElement(keyName(i)).isNull())
                        saveKey(i);
            } else {
                applyDefaults();
                saveKey(-1);
            }
            return;
        }
    } else if (loaded == LoadResult::NotAFile) {
        // Something else has the name (a directory, a pipe): it is left as
        // it is, and nothing can be written there either.
        m_loadProblem = problem + QCoreApplication::translate("SystemConfig", "，本次使用默认设置");
        applyDefaults();
        return;
    } else if (loaded == LoadResult::Unparsable) {
        // Keep the user's file for inspection before replacing it; moved,
        // not copied, so even a huge file costs nothing.
        const QString bad = path + QStringLiteral(".bad");
        bool kept = false;
        if (sMemoryFiles) {
            sMemoryFiles->insert(bad, sMemoryFiles->take(path));
            kept = true;
        } else {
            QFile::remove(bad);
            kept = QFile::rename(path, bad);
        }
        if (kept) {
            m_loadProblem =
                problem + QCoreApplication::translate("SystemConfig", "，已另存为 %1 并恢复默认设置").arg(bad);
        } else {
            qDebug("SystemConfig::init: cannot keep the unreadable file ... %s", qUtf8Printable(bad));
            m_loadProblem = problem + QCoreApplication::translate("SystemConfig", "，已恢复默认设置");
        }
    }
    // Missing, unreadable, or without a "sysconfig" element: start afresh.
    saveXml(newDocument(path, QStringLiteral("config")), path);
    applyDefaults();
    saveKey(-1);
}

bool SystemConfig::saveKey(int index)
{
    if (index == -1)
        return writeKeys(0, kKeyCount - 1);
    if (index < 0 || index >= kKeyCount)
        return false;
    return writeKeys(index, index);
}

bool SystemConfig::writeKeys(int first, int last)
{
    if (m_path.isEmpty())
        return false;
    const bool all = first == 0 && last == kKeyCount - 1;
    if (all) {
        qDebug("保存系统配置 ... %d", -1);
    } else {
        for (int i = first; i <= last; ++i)
            qDebug("保存系统配置 ... %d", i);
    }

    // The file is the reference: reload it so that only the keys in question
    // change. A file that is gone or broken is rebuilt from memory.
    QDomDocument doc;
    QDomElement sysconfig;
    if (loadXml(doc, m_path) == LoadResult::Ok)
        sysconfig = doc.documentElement().firstChildElement(QStringLiteral("sysconfig"));
    qDebug("flag ... %d", sysconfig.isNull() ? 0 : 1);
    if (sysconfig.isNull()) {
        doc = newDocument(m_path, QStringLiteral("config"));
        sysconfig = doc.documentElement().firstChildElement(QStringLiteral("sysconfig"));
        first = 0;
        last = kKeyCount - 1;
    }

    for (int i = first; i <= last; ++i) {
        const QString value = valueText(i);
        QDomElement element = sysconfig.firstChildElement(keyName(i));
        if (element.isNull()) {
            sysconfig.appendChild(doc.createComment(commentText(i)));
            element = doc.createElement(keyName(i));
            element.appendChild(doc.createTextNode(value));
            sysconfig.appendChild(element);
            continue;
        }
        QDomText oldText = element.firstChild().toText();
        const bool isNull = oldText.isNull();
        switch (i) {
        case 0: qDebug("上一次打开文件路径: newText.isNull() ... %d, %s", isNull, qUtf8Printable(value)); break;
        case 1: qDebug("波形是否填充: blIsStyleFill ... %d", m_blIsWaveStyleFill ? 1 : 0); break;
        case 2: qDebug("波形是否黑色背景: newText.isNull() ... %d, %s", isNull, qUtf8Printable(value)); break;
        case 3: qDebug("是否归一化显示波形: newText.isNull() ... %d, %s", isNull, qUtf8Printable(value)); break;
        default: break;
        }
        if (element.childNodes().count() == 1 && !isNull) {
            oldText.setData(value);
        } else {
            // Anything else inside the element (nested elements, several
            // text pieces) would be read back as part of the value.
            while (!element.firstChild().isNull())
                element.removeChild(element.firstChild());
            element.appendChild(doc.createTextNode(value));
        }
    }
    return saveXml(doc, m_path);
}

bool SystemConfig::setLastOpenFilePath(const QString &p)
{
    m_strLastOpenFilePath = p;
    return saveKey(0);
}

bool SystemConfig::setWaveStyleFill(bool on)
{
    m_blIsWaveStyleFill = on;
    return saveKey(1);
}

bool SystemConfig::setBgColorBlack(bool on)
{
    m_blIsBgColorBlack = on;
    return saveKey(2);
}

bool SystemConfig::setNormalized(bool on)
{
    m_blNormalized = on;
    qDebug("是否归一化显示波形 ... %d", on ? 1 : 0);
    return saveKey(3);
}

bool SystemConfig::setVariableDensity(bool on)
{
    m_blIsVariableDensity = on;
    return saveKey(22);
}

bool SystemConfig::setLanguageSetting(const QString &setting)
{
    m_strLanguage = setting;
    return saveKey(23);
}

// Keys 4..21 in one pass over the file, so the report fields change together.
bool SystemConfig::saveProjectParams()
{
    const bool fields = writeKeys(4, 21);
    return writeKeys(24, 25) && fields;
}

void SystemConfig::setMaxSamplePoints(int n) { m_nMaxSamplePoints = qBound(1024, n, 4096); }
