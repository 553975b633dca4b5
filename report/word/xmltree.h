// A small ordered XML tree for rewriting the parts of a Word package.
// Elements keep their qualified names, attribute order and namespace
// declarations exactly as read, so a part that is read and written back
// unchanged comes out the same apart from insignificant formatting.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QSharedPointer>
#include <QString>

struct XmlNode;
using XmlNodePtr = QSharedPointer<XmlNode>;

struct XmlNode {
    enum Kind { Element, Text };
    Kind kind = Element;
    QString name;                              // qualified name, e.g. "w:p"
    QList<QPair<QString, QString>> attributes; // in document order, xmlns included
    QString text;                              // Text nodes only
    QList<XmlNodePtr> children;
    XmlNode *parent = nullptr;

    static XmlNodePtr element(const QString &name);
    static XmlNodePtr textNode(const QString &text);

    QString attribute(const QString &name) const;
    void setAttribute(const QString &name, const QString &value);
    XmlNodePtr firstChild(const QString &name) const;
    XmlNodePtr appendChild(const XmlNodePtr &child);
    void insertChild(int index, const XmlNodePtr &child);
    int indexOf(const XmlNode *child) const;
    XmlNodePtr clone() const;
    // Concatenated text of every descendant text node.
    QString innerText() const;
};

class XmlDocument
{
public:
    bool parse(const QByteArray &data, QString *error = nullptr);
    QByteArray serialize() const;

    XmlNodePtr root() const { return m_root; }
    // Depth-first list of every element with the given qualified name.
    QList<XmlNodePtr> findAll(const QString &name) const;

private:
    XmlNodePtr m_root;
    QString m_standalone;
};
