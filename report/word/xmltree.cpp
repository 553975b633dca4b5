#include "xmltree.h"

#include "io/textcheck.h"

#include <QCoreApplication>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

XmlNodePtr XmlNode::element(const QString &name)
{
    XmlNodePtr n(new XmlNode);
    n->kind = Element;
    n->name = name;
    return n;
}

XmlNodePtr XmlNode::textNode(const QString &text)
{
    XmlNodePtr n(new XmlNode);
    n->kind = Text;
    n->text = text;
    return n;
}

QString XmlNode::attribute(const QString &attrName) const
{
    for (const auto &a : attributes)
        if (a.first == attrName)
            return a.second;
    return QString();
}

void XmlNode::setAttribute(const QString &attrName, const QString &value)
{
    for (auto &a : attributes) {
        if (a.first == attrName) {
            a.second = value;
            return;
        }
    }
    attributes.append(qMakePair(attrName, value));
}

XmlNodePtr XmlNode::firstChild(const QString &childName) const
{
    for (const auto &c : children)
        if (c->kind == Element && c->name == childName)
            return c;
    return XmlNodePtr();
}

XmlNodePtr XmlNode::appendChild(const XmlNodePtr &child)
{
    child->parent = this;
    children.append(child);
    return child;
}

void XmlNode::insertChild(int index, const XmlNodePtr &child)
{
    child->parent = this;
    children.insert(qBound(0, index, children.size()), child);
}

int XmlNode::indexOf(const XmlNode *child) const
{
    for (int i = 0; i < children.size(); ++i)
        if (children.at(i).data() == child)
            return i;
    return -1;
}

XmlNodePtr XmlNode::clone() const
{
    XmlNodePtr n(new XmlNode);
    n->kind = kind;
    n->name = name;
    n->attributes = attributes;
    n->text = text;
    for (const auto &c : children)
        n->appendChild(c->clone());
    return n;
}

QString XmlNode::innerText() const
{
    if (kind == Text)
        return text;
    QString s;
    for (const auto &c : children)
        s += c->innerText();
    return s;
}

// The tree is walked recursively (serialising, cloning, searching), so the
// depth limit also keeps those walks far from the end of the stack.
bool XmlDocument::parse(const QByteArray &data, QString *error, XmlBudget *shared)
{
    QXmlStreamReader reader(data);
    reader.setNamespaceProcessing(false);
    m_root.reset();
    m_standalone.clear();
    XmlBudget own;
    XmlBudget &budget = shared ? *shared : own;
    XmlNode *current = nullptr;
    int depth = 0;
    int &elements = budget.elements;
    int &bookmarks = budget.bookmarks;
    qint64 &text = budget.text;
    QString refused;
    while (!reader.atEnd() && refused.isEmpty()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        switch (token) {
        case QXmlStreamReader::StartDocument:
            if (reader.isStandaloneDocument())
                m_standalone = QStringLiteral("yes");
            break;
        case QXmlStreamReader::DTD:
            // Word parts have none; its entities would be expanded into one
            // piece of text before any budget could be checked.
            refused = QCoreApplication::translate("XmlTree", "模板含有文档类型声明（DTD）");
            break;
        case QXmlStreamReader::StartElement: {
            if (++depth > budget.maxDepth) {
                refused = QCoreApplication::translate("XmlTree", "模板嵌套过深（超过 %1 层）").arg(budget.maxDepth);
                break;
            }
            if (++elements > budget.maxElements) {
                refused = QCoreApplication::translate("XmlTree", "模板元素过多（超过 %1 个）").arg(budget.maxElements);
                break;
            }
            XmlNodePtr n = XmlNode::element(reader.qualifiedName().toString());
            if (n->name == QLatin1String("w:bookmarkStart") && ++bookmarks > budget.maxBookmarks) {
                refused = QCoreApplication::translate("XmlTree", "模板书签过多（超过 %1 个）").arg(budget.maxBookmarks);
                break;
            }
            for (const auto &d : reader.namespaceDeclarations()) {
                const QString attrName =
                    d.prefix().isEmpty() ? QStringLiteral("xmlns") : QStringLiteral("xmlns:") + d.prefix().toString();
                n->attributes.append(qMakePair(attrName, d.namespaceUri().toString()));
                text += attrName.size() + d.namespaceUri().size();
            }
            for (const auto &a : reader.attributes()) {
                const QString attrName = a.qualifiedName().toString();
                if (n->attribute(attrName).isNull())
                    n->attributes.append(qMakePair(attrName, a.value().toString()));
                text += attrName.size() + a.value().size();
            }
            if (text > budget.maxText) {
                refused = QCoreApplication::translate("XmlTree", "模板文字过多（超过 %1 个字符）").arg(budget.maxText);
                break;
            }
            if (current)
                current->appendChild(n);
            else if (!m_root)
                m_root = n;
            current = n.data();
            break;
        }
        case QXmlStreamReader::EndElement:
            --depth;
            current = current ? current->parent : nullptr;
            break;
        case QXmlStreamReader::Characters:
            text += reader.text().size();
            if (text > budget.maxText) {
                refused = QCoreApplication::translate("XmlTree", "模板文字过多（超过 %1 个字符）").arg(budget.maxText);
                break;
            }
            if (current)
                current->appendChild(XmlNode::textNode(reader.text().toString()));
            break;
        default: break;
        }
    }
    budget.refused = refused;
    if (!refused.isEmpty() || reader.hasError() || !m_root) {
        if (error)
            *error = !refused.isEmpty() ? refused
                : reader.hasError()     ? reader.errorString()
                                        : QStringLiteral("no root element");
        m_root.reset();
        return false;
    }
    return true;
}

// Only characters XML may carry reach the bytes: text from a damaged record
// or undecodable input (a lone surrogate half would turn the UTF-8 into
// something no reader opens) is cleaned here, where every part is written.
static bool isWellFormed(const QByteArray &xml)
{
    QXmlStreamReader r(xml);
    while (!r.atEnd())
        r.readNext();
    return !r.hasError();
}

static void writeNode(QXmlStreamWriter &w, const XmlNode &n)
{
    if (n.kind == XmlNode::Text) {
        w.writeCharacters(kvrio::cleanText(n.text));
        return;
    }
    Q_ASSERT(kvrio::isCleanText(n.name));
    w.writeStartElement(n.name);
    for (const auto &a : n.attributes)
        w.writeAttribute(a.first, kvrio::cleanText(a.second));
    for (const auto &c : n.children)
        writeNode(w, *c);
    w.writeEndElement();
}

QByteArray XmlDocument::serialize() const
{
    QByteArray body;
    {
        QXmlStreamWriter w(&body);
        w.setAutoFormatting(false);
        if (m_root)
            writeNode(w, *m_root);
    }
    Q_ASSERT(isWellFormed(body));
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n") + body;
}

static void collect(const XmlNodePtr &n, const QString &name, QList<XmlNodePtr> &out)
{
    if (n->kind != XmlNode::Element)
        return;
    if (n->name == name)
        out.append(n);
    for (const auto &c : n->children)
        collect(c, name, out);
}

QList<XmlNodePtr> XmlDocument::findAll(const QString &name) const
{
    QList<XmlNodePtr> out;
    if (m_root)
        collect(m_root, name, out);
    return out;
}
