#include "docxpackage.h"

#include "io/safewrite.h"
#include "io/ziparchive.h"
#include "report/word/docxlayout.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QHash>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>

const char *DocxPackage::kTemplateMainType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml";
const char *DocxPackage::kDocumentMainType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

namespace {

const char *kContentTypesPart = "[Content_Types].xml";
constexpr qint64 kMaxPartSize = 64 * 1024 * 1024;
constexpr qint64 kMaxPackageSize = 256 * 1024 * 1024;
const char *kImageRelType = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/image";
const char *kRelsNs = "http://schemas.openxmlformats.org/package/2006/relationships";

bool isBookmarkMarker(const XmlNodePtr &n)
{
    return n->kind == XmlNode::Element
        && (n->name == QLatin1String("w:bookmarkStart") || n->name == QLatin1String("w:bookmarkEnd"));
}

XmlNodePtr firstRunProperties(const XmlNodePtr &n)
{
    if (n->kind != XmlNode::Element)
        return XmlNodePtr();
    if (n->name == QLatin1String("w:r")) {
        if (XmlNodePtr rPr = n->firstChild(QStringLiteral("w:rPr")))
            return rPr;
        return XmlNodePtr();
    }
    for (const auto &c : n->children)
        if (XmlNodePtr rPr = firstRunProperties(c))
            return rPr;
    return XmlNodePtr();
}

void removeChildren(XmlNode *parent, int from, int to, bool keepMarkers)
{
    for (int i = to; i >= from; --i) {
        const XmlNodePtr &c = parent->children.at(i);
        if (keepMarkers && isBookmarkMarker(c))
            continue;
        if (c->kind == XmlNode::Element && c->name == QLatin1String("w:pPr"))
            continue;
        parent->children.removeAt(i);
    }
}

int twipsAttr(const XmlNodePtr &n, const char *name, int fallback)
{
    if (!n)
        return fallback;
    bool ok = false;
    const int v = n->attribute(QString::fromLatin1(name)).toInt(&ok);
    return ok ? v : fallback;
}

// Reads every entry of the archive back (each checked against its CRC):
// the bytes about to be written are a whole package of `parts` parts.
bool isCompleteArchive(const QByteArray &bytes, int parts, QString *why)
{
    const kvrzip::ReadResult back = kvrzip::readArchive(bytes, kMaxPartSize, kMaxPackageSize);
    if (back.error == kvrzip::ReadError::NotAnArchive) {
        *why = QCoreApplication::translate("DocxPackage", "无法读回");
        return false;
    }
    if (!back.ok()) {
        *why = QCoreApplication::translate("DocxPackage", "%1 校验失败").arg(back.entry);
        return false;
    }
    if (back.entries.size() != parts) {
        *why = QCoreApplication::translate("DocxPackage", "应有 %1 个部分，读回 %2 个")
                   .arg(parts)
                   .arg(back.entries.size());
        return false;
    }
    return true;
}

} // namespace

bool DocxPackage::load(const QString &path, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    m_order.clear();
    m_parts.clear();
    // A pipe or a device would block the unzipper or feed it without end.
    QString why;
    switch (kvrio::inspectInput(path, &why)) {
    case kvrio::InputState::Missing:
        return fail(QCoreApplication::translate("DocxPackage", "找不到模板文件 %1").arg(path));
    case kvrio::InputState::NotAFile:
        return fail(QCoreApplication::translate("DocxPackage", "模板 %1 不是普通文件").arg(path));
    case kvrio::InputState::Unreadable:
        return fail(QCoreApplication::translate("DocxPackage", "无法读取模板 %1：%2").arg(path, why));
    case kvrio::InputState::Ok: break;
    }
    // A package larger than all its parts may be is refused unread.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QCoreApplication::translate("DocxPackage", "无法读取模板 %1：%2").arg(path, file.errorString()));
    if (file.size() > kMaxPackageSize)
        return fail(QCoreApplication::translate("DocxPackage", "模板 %1 过大").arg(path));
    const QByteArray archive = file.read(kMaxPackageSize + 1);
    file.close();
    // A damaged or hostile package may unpack to far more than it holds;
    // read no more than a real document could need.
    const kvrzip::ReadResult read = kvrzip::readArchive(archive, kMaxPartSize, kMaxPackageSize);
    switch (read.error) {
    case kvrzip::ReadError::None: break;
    case kvrzip::ReadError::NotAnArchive:
        return fail(QCoreApplication::translate("DocxPackage", "模板 %1 不是有效的文档包").arg(path));
    case kvrzip::ReadError::Damaged:
        return fail(QCoreApplication::translate("DocxPackage", "无法读取模板中的 %1").arg(read.entry));
    case kvrzip::ReadError::TooLarge:
        return fail(QCoreApplication::translate("DocxPackage", "模板中的 %1 过大").arg(read.entry));
    }
    for (const kvrzip::Entry &entry : read.entries) {
        QString name = entry.name;
        if (name.startsWith(QLatin1String("./")))
            name = name.mid(2);
        if (name.isEmpty() || name.endsWith(QLatin1Char('/')))
            continue;
        m_parts.insert(name, entry.data);
        m_order.append(name);
    }

    if (!m_parts.contains(QString::fromLatin1(kContentTypesPart)))
        return fail(QCoreApplication::translate("DocxPackage", "模板缺少 [Content_Types].xml"));
    m_mainPart = QStringLiteral("word/document.xml");
    // One budget for every part read: together they stay within it.
    XmlBudget budget;
    XmlDocument packageRels;
    if (packageRels.parse(m_parts.value(QStringLiteral("_rels/.rels")), nullptr, &budget)) {
        for (const auto &rel : packageRels.findAll(QStringLiteral("Relationship"))) {
            if (rel->attribute(QStringLiteral("Type")).endsWith(QLatin1String("/officeDocument"))) {
                QString target = rel->attribute(QStringLiteral("Target"));
                if (target.startsWith(QLatin1Char('/')))
                    target = target.mid(1);
                m_mainPart = target;
            }
        }
    }
    if (!budget.refused.isEmpty())
        return fail(QStringLiteral("_rels/.rels：%1").arg(budget.refused));
    if (!m_document.parse(m_parts.value(m_mainPart), &why, &budget))
        return fail(QStringLiteral("%1：%2").arg(m_mainPart, why));
    if (!m_contentTypes.parse(m_parts.value(QString::fromLatin1(kContentTypesPart)), &why, &budget))
        return fail(QStringLiteral("[Content_Types].xml：%1").arg(why));
    const QString rels = relsPartName();
    if (!m_parts.contains(rels) || !m_rels.parse(m_parts.value(rels), nullptr, &budget)) {
        if (!budget.refused.isEmpty())
            return fail(QStringLiteral("%1：%2").arg(rels, budget.refused));
        m_rels.parse(QByteArray("<Relationships xmlns=\"") + kRelsNs + "\"/>");
        if (!m_order.contains(rels))
            m_order.append(rels);
    }
    if (!loadSideParts(&budget, &why))
        return fail(why);
    m_nextPicture = 1;
    m_sourcePath = path;
    return true;
}

QString DocxPackage::relsPartNameOf(const QString &partName)
{
    const int slash = partName.lastIndexOf(QLatin1Char('/'));
    return partName.left(slash + 1) + QStringLiteral("_rels/") + partName.mid(slash + 1) + QStringLiteral(".rels");
}

// The headers and footers of the main document (their bookmarks are filled
// too) and its styles (read for the picture size). A part that does not
// parse is left as it is; one past what is left of the budget fails the
// package (false, with the reason).
bool DocxPackage::loadSideParts(XmlBudget *budget, QString *error)
{
    m_sideParts.clear();
    m_styles = XmlDocument();
    const QString dir = m_mainPart.left(m_mainPart.lastIndexOf(QLatin1Char('/')) + 1);
    for (const auto &rel : m_rels.findAll(QStringLiteral("Relationship"))) {
        if (rel->attribute(QStringLiteral("TargetMode")) == QLatin1String("External"))
            continue;
        const QString type = rel->attribute(QStringLiteral("Type"));
        QString target = rel->attribute(QStringLiteral("Target"));
        const QString name =
            target.startsWith(QLatin1Char('/')) ? QDir::cleanPath(target.mid(1)) : QDir::cleanPath(dir + target);
        if (!m_parts.contains(name))
            continue;
        QString refusedIn;
        if (type.endsWith(QLatin1String("/styles"))) {
            m_styles.parse(m_parts.value(name), nullptr, budget);
            refusedIn = name;
        } else if (type.endsWith(QLatin1String("/header")) || type.endsWith(QLatin1String("/footer"))) {
            SidePart side;
            side.name = name;
            side.relId = rel->attribute(QStringLiteral("Id"));
            refusedIn = name;
            if (side.doc.parse(m_parts.value(name), nullptr, budget)) {
                const QString rels = relsPartNameOf(name);
                refusedIn = rels;
                if (!m_parts.contains(rels) || !side.rels.parse(m_parts.value(rels), nullptr, budget))
                    side.rels.parse(QByteArray("<Relationships xmlns=\"") + kRelsNs + "\"/>");
                m_sideParts.append(side);
            }
        }
        if (!budget->refused.isEmpty()) {
            *error = QStringLiteral("%1：%2").arg(refusedIn, budget->refused);
            return false;
        }
    }
    return true;
}

QString DocxPackage::relsPartName() const { return relsPartNameOf(m_mainPart); }

void DocxPackage::flush()
{
    m_parts.insert(m_mainPart, m_document.serialize());
    m_parts.insert(QString::fromLatin1(kContentTypesPart), m_contentTypes.serialize());
    m_parts.insert(relsPartName(), m_rels.serialize());
    for (const SidePart &side : qAsConst(m_sideParts)) {
        if (!side.changed)
            continue;
        m_parts.insert(side.name, side.doc.serialize());
        const QString rels = relsPartNameOf(side.name);
        if (!side.rels.findAll(QStringLiteral("Relationship")).isEmpty() || m_parts.contains(rels)) {
            m_parts.insert(rels, side.rels.serialize());
            if (!m_order.contains(rels))
                m_order.append(rels);
        }
    }
}

QByteArray DocxPackage::part(const QString &name) const
{
    const_cast<DocxPackage *>(this)->flush();
    return m_parts.value(name);
}

bool DocxPackage::save(const QString &path, QString *error)
{
    flush();
    // The archive is built in memory, read back, and written through the
    // safe writer: an existing document is replaced only by a complete new one.
    QStringList order = m_order;
    order.removeAll(QString::fromLatin1(kContentTypesPart));
    order.prepend(QString::fromLatin1(kContentTypesPart));
    QVector<kvrzip::Entry> entries;
    for (const QString &name : order)
        entries.append({name, m_parts.value(name)});
    QByteArray bytes;
    if (!kvrzip::writeArchive(entries, &bytes)) {
        if (error)
            *error = QCoreApplication::translate("DocxPackage", "无法生成文档包 %1").arg(path);
        return false;
    }
    QString why;
    if (!isCompleteArchive(bytes, m_order.size(), &why)) {
        if (error)
            *error = QCoreApplication::translate("DocxPackage", "文档包不完整：%1").arg(why);
        return false;
    }
    // Never over the template it was made from.
    if (!kvrio::writeFile(path, bytes, QStringList {m_sourcePath}, &why)) {
        if (error)
            *error = kvrio::writeFailedText(path, why);
        return false;
    }
    return true;
}

bool DocxPackage::switchTemplateToDocument()
{
    if (!m_contentTypes.root())
        return false;
    const QString partName = QLatin1Char('/') + m_mainPart;
    for (const auto &o : m_contentTypes.findAll(QStringLiteral("Override"))) {
        if (o->attribute(QStringLiteral("PartName")) != partName)
            continue;
        const QString type = o->attribute(QStringLiteral("ContentType"));
        if (type == QLatin1String(kTemplateMainType))
            o->setAttribute(QStringLiteral("ContentType"), QString::fromLatin1(kDocumentMainType));
        return o->attribute(QStringLiteral("ContentType")) == QLatin1String(kDocumentMainType);
    }
    XmlNodePtr o = XmlNode::element(QStringLiteral("Override"));
    o->setAttribute(QStringLiteral("PartName"), partName);
    o->setAttribute(QStringLiteral("ContentType"), QString::fromLatin1(kDocumentMainType));
    m_contentTypes.root()->appendChild(o);
    return true;
}

QString DocxPackage::contentTypeOf(const QString &partName) const
{
    const QString wanted = QLatin1Char('/') + partName;
    for (const auto &o : m_contentTypes.findAll(QStringLiteral("Override")))
        if (o->attribute(QStringLiteral("PartName")) == wanted)
            return o->attribute(QStringLiteral("ContentType"));
    const QString ext = QFileInfo(partName).suffix().toLower();
    for (const auto &d : m_contentTypes.findAll(QStringLiteral("Default")))
        if (d->attribute(QStringLiteral("Extension")).toLower() == ext)
            return d->attribute(QStringLiteral("ContentType"));
    return QString();
}

void DocxPackage::addDefaultContentType(const QString &extension, const QString &type)
{
    for (const auto &d : m_contentTypes.findAll(QStringLiteral("Default")))
        if (d->attribute(QStringLiteral("Extension")).toLower() == extension)
            return;
    XmlNodePtr d = XmlNode::element(QStringLiteral("Default"));
    d->setAttribute(QStringLiteral("Extension"), extension);
    d->setAttribute(QStringLiteral("ContentType"), type);
    m_contentTypes.root()->insertChild(0, d);
}

QString DocxPackage::addImageRelationship(XmlDocument &rels, const QString &target)
{
    QSet<QString> ids;
    for (const auto &r : rels.findAll(QStringLiteral("Relationship")))
        ids.insert(r->attribute(QStringLiteral("Id")));
    int n = ids.size() + 1;
    QString id;
    do {
        id = QStringLiteral("rId%1").arg(n++);
    } while (ids.contains(id));
    XmlNodePtr rel = XmlNode::element(QStringLiteral("Relationship"));
    rel->setAttribute(QStringLiteral("Id"), id);
    rel->setAttribute(QStringLiteral("Type"), QString::fromLatin1(kImageRelType));
    rel->setAttribute(QStringLiteral("Target"), target);
    rels.root()->appendChild(rel);
    return id;
}

// In each part one pass over the tree: the ends by id, then the first start
// of that name whose end exists (a template with thousands of unmatched
// starts costs no more than one with none).
bool DocxPackage::findBookmark(const QString &name, Range *range) const
{
    for (int part = -1; part < m_sideParts.size(); ++part) {
        const XmlDocument &doc = part < 0 ? m_document : m_sideParts.at(part).doc;
        if (!doc.root())
            continue;
        QList<XmlNodePtr> starts;
        QHash<QString, XmlNodePtr> ends;
        QList<XmlNodePtr> stack {doc.root()};
        while (!stack.isEmpty()) {
            const XmlNodePtr n = stack.takeLast();
            if (n->kind != XmlNode::Element)
                continue;
            if (n->name == QLatin1String("w:bookmarkStart")) {
                if (n->attribute(QStringLiteral("w:name")) == name)
                    starts << n;
            } else if (n->name == QLatin1String("w:bookmarkEnd")) {
                const QString id = n->attribute(QStringLiteral("w:id"));
                if (!ends.contains(id))
                    ends.insert(id, n);
            }
            for (int i = n->children.size() - 1; i >= 0; --i)
                stack << n->children.at(i);
        }
        for (const XmlNodePtr &s : qAsConst(starts)) {
            const auto end = ends.constFind(s->attribute(QStringLiteral("w:id")));
            if (end != ends.constEnd()) {
                range->start = s;
                range->end = end.value();
                range->part = part;
                return true;
            }
        }
    }
    return false;
}

bool DocxPackage::hasBookmark(const QString &name) const
{
    Range r;
    return findBookmark(name, &r);
}

// Removes the content of the range and returns the run properties the new
// content takes over (null: none). Only bookmarks that start inside a
// paragraph are handled; false otherwise.
bool DocxPackage::clearRange(const Range &range, XmlNodePtr *runProps)
{
    XmlNode *p1 = range.start->parent;
    XmlNode *endParent = range.end->parent;
    if (!p1 || p1->name != QLatin1String("w:p") || !endParent)
        return false;
    const int si = p1->indexOf(range.start.data());
    XmlNodePtr rPr;

    if (endParent == p1) {
        const int ei = p1->indexOf(range.end.data());
        if (ei < si)
            return false;
        for (int i = si + 1; i < ei && !rPr; ++i)
            rPr = firstRunProperties(p1->children.at(i));
        if (!rPr) {
            for (int i = si - 1; i >= 0 && !rPr; --i)
                rPr = firstRunProperties(p1->children.at(i));
        }
        if (!rPr) {
            XmlNodePtr pPr = p1->firstChild(QStringLiteral("w:pPr"));
            XmlNodePtr mark = pPr ? pPr->firstChild(QStringLiteral("w:rPr")) : XmlNodePtr();
            if (mark) {
                rPr = XmlNode::element(QStringLiteral("w:rPr"));
                for (const auto &c : mark->children)
                    if (c->kind == XmlNode::Element && !c->name.startsWith(QLatin1String("w:ins"))
                        && !c->name.startsWith(QLatin1String("w:del")) && !c->name.startsWith(QLatin1String("w:move"))
                        && c->name != QLatin1String("w:rPrChange"))
                        rPr->appendChild(c->clone());
            }
        }
        if (ei - 1 >= si + 1)
            removeChildren(p1, si + 1, ei - 1, true);
    } else {
        // The range runs over paragraph ends: the paragraphs after the first
        // are removed and the tail of the last one joins the first.
        XmlNode *container = p1->parent;
        if (!container)
            return false;
        XmlNode *p2 = endParent == container ? nullptr : endParent;
        if (p2 && (p2->name != QLatin1String("w:p") || p2->parent != container))
            return false;
        const int i1 = container->indexOf(p1);
        const int i2 = container->indexOf(p2 ? p2 : range.end.data());
        if (i2 <= i1)
            return false;
        for (int i = si + 1; i < p1->children.size() && !rPr; ++i)
            rPr = firstRunProperties(p1->children.at(i));
        if (si + 1 <= p1->children.size() - 1)
            removeChildren(p1, si + 1, p1->children.size() - 1, true);
        XmlNodePtr p2Keep = p2 ? container->children.at(i2) : XmlNodePtr();
        for (int i = i2 - (p2 ? 0 : 1); i > i1; --i)
            container->children.removeAt(i);
        if (p2Keep) {
            const int ei = p2Keep->indexOf(range.end.data());
            for (int i = 0; i < p2Keep->children.size(); ++i) {
                const XmlNodePtr c = p2Keep->children.at(i);
                if (c->kind == XmlNode::Element && c->name == QLatin1String("w:pPr"))
                    continue;
                if (i < ei && !isBookmarkMarker(c))
                    continue;
                p1->appendChild(c);
            }
        } else {
            // The end marker stood between paragraphs: it follows the start.
            p1->appendChild(range.end);
        }
    }
    if (runProps)
        *runProps = rPr ? rPr->clone() : XmlNodePtr();
    return true;
}

bool DocxPackage::setBookmarkText(const QString &name, const QString &text)
{
    Range range;
    if (!findBookmark(name, &range))
        return false;
    XmlNodePtr rPr;
    if (!clearRange(range, &rPr))
        return false;
    if (range.part >= 0)
        m_sideParts[range.part].changed = true;
    if (text.isEmpty())
        return true;
    XmlNodePtr run = XmlNode::element(QStringLiteral("w:r"));
    if (rPr)
        run->appendChild(rPr);
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n|\v")));
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            run->appendChild(XmlNode::element(QStringLiteral("w:br")));
        const QStringList parts = lines.at(i).split(QLatin1Char('\t'));
        for (int j = 0; j < parts.size(); ++j) {
            if (j > 0)
                run->appendChild(XmlNode::element(QStringLiteral("w:tab")));
            if (parts.at(j).isEmpty())
                continue;
            XmlNodePtr t = XmlNode::element(QStringLiteral("w:t"));
            t->setAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
            t->appendChild(XmlNode::textNode(parts.at(j)));
            run->appendChild(t);
        }
    }
    XmlNode *p = range.start->parent;
    p->insertChild(p->indexOf(range.start.data()) + 1, run);
    return true;
}

bool DocxPackage::setBookmarkParagraphAlignment(const QString &name, const QString &jcValue)
{
    Range range;
    if (!findBookmark(name, &range))
        return false;
    XmlNode *p = range.start->parent;
    if (!p || p->name != QLatin1String("w:p"))
        return false;
    if (range.part >= 0)
        m_sideParts[range.part].changed = true;
    XmlNodePtr pPr = p->firstChild(QStringLiteral("w:pPr"));
    if (!pPr) {
        pPr = XmlNode::element(QStringLiteral("w:pPr"));
        p->insertChild(0, pPr);
    }
    XmlNodePtr jc = pPr->firstChild(QStringLiteral("w:jc"));
    if (!jc) {
        jc = XmlNode::element(QStringLiteral("w:jc"));
        // w:jc comes after spacing/indentation and before run properties.
        int at = pPr->children.size();
        for (int i = 0; i < pPr->children.size(); ++i) {
            const QString n = pPr->children.at(i)->name;
            if (n == QLatin1String("w:textDirection") || n == QLatin1String("w:textAlignment")
                || n == QLatin1String("w:outlineLvl") || n == QLatin1String("w:rPr") || n == QLatin1String("w:sectPr")
                || n == QLatin1String("w:pPrChange")) {
                at = i;
                break;
            }
        }
        pPr->insertChild(at, jc);
    }
    jc->setAttribute(QStringLiteral("w:val"), jcValue);
    return true;
}

bool DocxPackage::addPictureAtBookmark(const QString &name, const QString &imageFile)
{
    Range range;
    if (!findBookmark(name, &range))
        return false;
    QImageReader reader(imageFile);
    const QSize px = reader.size();
    QFile file(imageFile);
    if (!px.isValid() || px.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    QString ext = QFileInfo(imageFile).suffix().toLower();
    QString type;
    if (ext == QLatin1String("png"))
        type = QStringLiteral("image/png");
    else if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        type = QStringLiteral("image/jpeg");
    else if (ext == QLatin1String("bmp"))
        type = QStringLiteral("image/bmp");
    else if (ext == QLatin1String("gif"))
        type = QStringLiteral("image/gif");
    else
        return false;

    XmlNodePtr rPr;
    if (!clearRange(range, &rPr))
        return false;
    XmlDocument &partRels = range.part < 0 ? m_rels : m_sideParts[range.part].rels;
    const QString partName = range.part < 0 ? m_mainPart : m_sideParts.at(range.part).name;
    if (range.part >= 0)
        m_sideParts[range.part].changed = true;
    XmlNode *p = range.start->parent;
    // A line of exact height would cut the picture off.
    if (XmlNodePtr pPr = p->firstChild(QStringLiteral("w:pPr")))
        if (XmlNodePtr spacing = pPr->firstChild(QStringLiteral("w:spacing")))
            if (spacing->attribute(QStringLiteral("w:lineRule")) == QLatin1String("exact")) {
                spacing->setAttribute(QStringLiteral("w:line"), QStringLiteral("240"));
                spacing->setAttribute(QStringLiteral("w:lineRule"), QStringLiteral("auto"));
            }

    const QString partDir = partName.left(partName.lastIndexOf(QLatin1Char('/')) + 1);
    QString media;
    do {
        media = QStringLiteral("media/image%1.%2").arg(m_nextPicture++).arg(ext);
    } while (m_parts.contains(partDir + media));
    m_parts.insert(partDir + media, bytes);
    m_order.append(partDir + media);
    addDefaultContentType(ext, type);
    const QString rId = addImageRelationship(partRels, media);

    const double aspect = double(px.height()) / px.width();
    QSizeF box;
    if (range.part < 0) {
        DocxLayout layout(m_document, m_styles.root() ? &m_styles : nullptr, [this](const QString &id) {
            for (const SidePart &side : qAsConst(m_sideParts))
                if (side.relId == id)
                    return &side.doc;
            return static_cast<const XmlDocument *>(nullptr);
        });
        box = layout.pictureBox(p, aspect);
    } else {
        // In a header or footer: the text width, and at most a quarter of
        // the text height.
        const QList<XmlNodePtr> sects = m_document.findAll(QStringLiteral("w:sectPr"));
        const XmlNodePtr sect = sects.isEmpty() ? XmlNodePtr() : sects.last();
        const XmlNodePtr pgSz = sect ? sect->firstChild(QStringLiteral("w:pgSz")) : XmlNodePtr();
        const XmlNodePtr pgMar = sect ? sect->firstChild(QStringLiteral("w:pgMar")) : XmlNodePtr();
        const double textW =
            twipsAttr(pgSz, "w:w", 11906) - twipsAttr(pgMar, "w:left", 1440) - twipsAttr(pgMar, "w:right", 1440);
        const double textH =
            twipsAttr(pgSz, "w:h", 16838) - twipsAttr(pgMar, "w:top", 1440) - twipsAttr(pgMar, "w:bottom", 1440);
        const double h = qMin(qMax(textW, 1440.0) * aspect, qMax(textH, 1440.0) / 4);
        box = QSizeF(h / aspect, h);
    }
    const qint64 cx = qMax<qint64>(1, qRound64(box.width() * 635)); // 635 EMU per twip
    const qint64 cy = qMax<qint64>(1, qRound64(box.height() * 635));
    // Drawing ids are unique across the document, headers and footers included.
    int docPrId = 0;
    for (int part = -1; part < m_sideParts.size(); ++part)
        for (const auto &d : (part < 0 ? m_document : m_sideParts.at(part).doc).findAll(QStringLiteral("wp:docPr")))
            docPrId = qMax(docPrId, d->attribute(QStringLiteral("id")).toInt());
    ++docPrId;
    const QString shapeName = QFileInfo(media).fileName();
    const QString xml =
        QStringLiteral(
            "<w:r xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
            "<w:drawing>"
            "<wp:inline xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\""
            " distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\">"
            "<wp:extent cx=\"%1\" cy=\"%2\"/>"
            "<wp:effectExtent l=\"0\" t=\"0\" r=\"0\" b=\"0\"/>"
            "<wp:docPr id=\"%3\" name=\"Picture %3\"/>"
            "<wp:cNvGraphicFramePr><a:graphicFrameLocks"
            " xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" noChangeAspect=\"1\"/>"
            "</wp:cNvGraphicFramePr>"
            "<a:graphic xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
            "<a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
            "<pic:pic xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\">"
            "<pic:nvPicPr><pic:cNvPr id=\"0\" name=\"%4\"/><pic:cNvPicPr/></pic:nvPicPr>"
            "<pic:blipFill><a:blip xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
            " r:embed=\"%5\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>"
            "<pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"%1\" cy=\"%2\"/></a:xfrm>"
            "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></pic:spPr>"
            "</pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>")
            .arg(cx)
            .arg(cy)
            .arg(docPrId)
            .arg(shapeName, rId);
    XmlDocument runDoc;
    if (!runDoc.parse(xml.toUtf8()))
        return false;
    XmlNodePtr run = runDoc.root();
    // The declaration of w: is already in scope inside the document.
    run->attributes.clear();
    if (rPr)
        run->insertChild(0, rPr);
    p->insertChild(p->indexOf(range.start.data()) + 1, run);
    return true;
}
