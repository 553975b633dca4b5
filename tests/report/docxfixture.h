// Small Word packages written and read by the report tests.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QRegularExpression>
#include <QString>

#include "io/ziparchive.h"

#include <QFile>

inline bool writeZip(const QString &path, const QList<QPair<QString, QByteArray>> &parts)
{
    QVector<kvrzip::Entry> entries;
    for (const auto &p : parts)
        entries.append({p.first, p.second});
    QByteArray bytes;
    QFile file(path);
    return kvrzip::writeArchive(entries, &bytes) && file.open(QIODevice::WriteOnly)
        && file.write(bytes) == bytes.size();
}

inline QMap<QString, QByteArray> readZip(const QString &path)
{
    QMap<QString, QByteArray> parts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return parts;
    for (const kvrzip::Entry &e : kvrzip::readArchive(file.readAll()).entries)
        parts.insert(e.name, e.data);
    return parts;
}

// A template package: the main part (its body given), and optionally a
// header part (its content given) referenced as "rIdHeader" from the
// document's relationships, so that a body's sectPr can name it.
inline bool writeTemplate(const QString &path, const QByteArray &body, const QByteArray &header = QByteArray())
{
    const QByteArray w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""
                         " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
    QByteArray types = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                       "<Default Extension=\"rels\" "
                       "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                       "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
                       "vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml\"/>";
    QByteArray docRels = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    QList<QPair<QString, QByteArray>> parts;
    if (!header.isEmpty()) {
        types += "<Override PartName=\"/word/header1.xml\" ContentType=\"application/"
                 "vnd.openxmlformats-officedocument.wordprocessingml.header+xml\"/>";
        docRels += "<Relationship Id=\"rIdHeader\" "
                   "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/header\" "
                   "Target=\"header1.xml\"/>";
        parts.append(
            {QStringLiteral("word/header1.xml"),
             "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:hdr " + w + ">" + header + "</w:hdr>"});
    }
    types += "</Types>";
    docRels += "</Relationships>";
    const QByteArray rels =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" "
        "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\""
        " Target=\"word/document.xml\"/></Relationships>";
    parts.prepend({QStringLiteral("word/_rels/document.xml.rels"), docRels});
    parts.prepend({QStringLiteral("word/document.xml"),
                   "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document " + w + "><w:body>"
                       + body + "</w:body></w:document>"});
    parts.prepend({QStringLiteral("_rels/.rels"), rels});
    parts.prepend({QStringLiteral("[Content_Types].xml"), types});
    return writeZip(path, parts);
}

// Text inside the named bookmark of a part's XML (line breaks as "\n").
inline QString bookmarkText(const QByteArray &xml, const QString &name)
{
    const QString s = QString::fromUtf8(xml);
    const QRegularExpression start(
        QStringLiteral("<w:bookmarkStart w:id=\"(\\d+)\" w:name=\"%1\"/>").arg(QRegularExpression::escape(name)));
    const QRegularExpressionMatch m = start.match(s);
    if (!m.hasMatch())
        return QString();
    const int end = s.indexOf(QStringLiteral("<w:bookmarkEnd w:id=\"%1\"/>").arg(m.captured(1)), m.capturedEnd());
    const QString inside = s.mid(m.capturedEnd(), end < 0 ? -1 : end - m.capturedEnd());
    QString text;
    const QRegularExpression piece(QStringLiteral("<w:t[^>]*>([^<]*)</w:t>|<w:br/>"));
    for (auto it = piece.globalMatch(inside); it.hasNext();) {
        const QRegularExpressionMatch p = it.next();
        text += p.captured(0) == QLatin1String("<w:br/>") ? QStringLiteral("\n") : p.captured(1);
    }
    return text;
}
