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

// What one part may grow to when parsed. A real report template has a few
// thousand elements, a few hundred bookmarks, nests tables a handful of
// levels deep and holds some tens of thousands of characters; the limits
// leave a wide margin and keep the tree of a hostile part (a small zip
// entry can unpack to millions of empty elements) to about 100 MB. They are
// checked while reading, so the tree never grows past them.
struct XmlBudget {
    int maxElements = 200000;
    int maxDepth = 256;
    qint64 maxText = 8 * 1024 * 1024; // characters of text and attribute values
    int maxBookmarks = 10000;         // w:bookmarkStart elements

    // Used so far by the parts read with this budget, and why it ran out.
    int elements = 0;
    qint64 text = 0;
    int bookmarks = 0;
    QString refused;
};

class XmlDocument
{
public:
    // On failure `error` says why; a part over its budget is refused with
    // "模板嵌套过深", "模板元素过多", "模板文字过多" or "模板书签过多", one
    // with a document type declaration (entities) with "模板含有文档类型声明".
    // Parts read with the same `budget` share it (a fresh one when null).
    bool parse(const QByteArray &data, QString *error = nullptr, XmlBudget *budget = nullptr);
    QByteArray serialize() const;

    XmlNodePtr root() const { return m_root; }
    // Depth-first list of every element with the given qualified name.
    QList<XmlNodePtr> findAll(const QString &name) const;

private:
    XmlNodePtr m_root;
    QString m_standalone;
};
