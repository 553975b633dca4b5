#include "xmltree.h"

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

// Deeper than any word-processing part nests (tables in tables included);
// the tree is walked recursively, so a damaged part must not go deeper.
static const int kMaxDepth = 512;

bool XmlDocument::parse(const QByteArray &data, QString *error)
{
    QXmlStreamReader reader(data);
    reader.setNamespaceProcessing(false);
    m_root.reset();
    m_standalone.clear();
    XmlNode *current = nullptr;
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > kMaxDepth) {
            reader.raiseError(QStringLiteral("elements nested deeper than %1 levels").arg(kMaxDepth));
            break;
        }
        if (token == QXmlStreamReader::EndElement)
            --depth;
        switch (token) {
        case QXmlStreamReader::StartDocument:
            if (reader.isStandaloneDocument())
                m_standalone = QStringLiteral("yes");
            break;
        case QXmlStreamReader::StartElement: {
            XmlNodePtr n = XmlNode::element(reader.qualifiedName().toString());
            for (const auto &d : reader.namespaceDeclarations()) {
                const QString attrName =
                    d.prefix().isEmpty() ? QStringLiteral("xmlns") : QStringLiteral("xmlns:") + d.prefix().toString();
                n->attributes.append(qMakePair(attrName, d.namespaceUri().toString()));
            }
            for (const auto &a : reader.attributes()) {
                const QString attrName = a.qualifiedName().toString();
                if (n->attribute(attrName).isNull())
                    n->attributes.append(qMakePair(attrName, a.value().toString()));
            }
            if (current)
                current->appendChild(n);
            else if (!m_root)
                m_root = n;
            current = n.data();
            break;
        }
        case QXmlStreamReader::EndElement: current = current ? current->parent : nullptr; break;
        case QXmlStreamReader::Characters:
            if (current)
                current->appendChild(XmlNode::textNode(reader.text().toString()));
            break;
        default: break;
        }
    }
    if (reader.hasError() || !m_root) {
        if (error)
            *error = reader.hasError() ? reader.errorString() : QStringLiteral("no root element");
        m_root.reset();
        return false;
    }
    return true;
}

static void writeNode(QXmlStreamWriter &w, const XmlNode &n)
{
    if (n.kind == XmlNode::Text) {
        w.writeCharacters(n.text);
        return;
    }
    w.writeStartElement(n.name);
    for (const auto &a : n.attributes)
        w.writeAttribute(a.first, a.second);
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
