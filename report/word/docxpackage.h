// An Office Open XML word-processing package held in memory: the parts of
// the zip archive, with the main document, its relationships and the
// content types parsed for editing. Saving always writes a fresh archive.
#pragma once

#include "report/word/xmltree.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

class DocxPackage
{
public:
    static const char *kTemplateMainType;
    static const char *kDocumentMainType;

    bool load(const QString &path, QString *error = nullptr);
    bool save(const QString &path, QString *error = nullptr);
    QString sourcePath() const { return m_sourcePath; }

    // Turns a template package into a document package (main part content type).
    bool switchTemplateToDocument();
    QString contentTypeOf(const QString &partName) const;

    // Bookmarks are looked up in the main document first, then in its
    // headers and footers.
    bool hasBookmark(const QString &name) const;
    // Replaces the bookmarked range by `text` in the formatting of the first
    // run it replaces (or of the run before an empty bookmark); line breaks
    // become breaks and the bookmark stays around the new text.
    bool setBookmarkText(const QString &name, const QString &text);
    // "left", "center", "right" or "both" for the paragraph holding the bookmark.
    bool setBookmarkParagraphAlignment(const QString &name, const QString &jc);
    // Replaces the bookmarked range by the picture as an inline shape, aspect
    // kept, as large as the text column allows without pushing the picture
    // or what follows it on its page onto another page (see DocxLayout).
    bool addPictureAtBookmark(const QString &name, const QString &imageFile);

    QStringList partNames() const { return m_order; }
    QByteArray part(const QString &name) const;
    QString mainPartName() const { return m_mainPart; }

private:
    struct Range {
        XmlNodePtr start;
        XmlNodePtr end;
        int part = -1; // -1: the main document, else an index into m_sideParts
    };
    // A header or footer part of the main document.
    struct SidePart {
        QString name;
        QString relId;
        XmlDocument doc;
        XmlDocument rels;
        bool changed = false;
    };
    bool findBookmark(const QString &name, Range *range) const;
    bool clearRange(const Range &range, XmlNodePtr *runProps);
    void flush();
    QString relsPartName() const;
    static QString relsPartNameOf(const QString &partName);
    bool loadSideParts(XmlBudget *budget, QString *error);
    void addDefaultContentType(const QString &extension, const QString &type);
    QString addImageRelationship(XmlDocument &rels, const QString &target);

    QString m_sourcePath;
    QStringList m_order;
    QMap<QString, QByteArray> m_parts;
    QString m_mainPart;
    XmlDocument m_document;
    XmlDocument m_contentTypes;
    XmlDocument m_rels;
    XmlDocument m_styles; // read only, for the layout estimate
    QList<SidePart> m_sideParts;
    int m_nextPicture = 1;
};
