// How much room the content of a word-processing document takes on its
// page, estimated from its paragraphs, tables, fonts and spacing, so that a
// picture can be sized to share its page with what stands before and after
// it. The estimate errs on the large side (text lines are taken taller and
// characters wider than any usual font makes them), so a picture sized by
// it fits in a real word processor.
#pragma once

#include "report/word/xmltree.h"

#include <QHash>
#include <QSizeF>
#include <functional>

class DocxLayout
{
public:
    // `styles` may be null; `sidePart` returns the header or footer part
    // with the given relationship id of the main part (null when unknown).
    using SidePartLookup = std::function<const XmlDocument *(const QString &relId)>;

    DocxLayout(const XmlDocument &document, const XmlDocument *styles, SidePartLookup sidePart = {});

    // Largest size in twips for an inline picture of the given height/width
    // ratio placed alone in `paragraph` of the main part: as wide as the
    // text column (or table cell) allows and no taller than the room its
    // page leaves between what precedes and what follows it. When that
    // room is too small to be of use, the size of a page of its own (with
    // what follows, when that is short).
    QSizeF pictureBox(const XmlNode *paragraph, double aspect) const;

    // Height in twips of a paragraph or table laid out `width` twips wide.
    double blockHeight(const XmlNode *block, double width) const;

    // Line height factor for single spacing, relative to the font size.
    static constexpr double kLineFactor = 1.3;

private:
    struct ParaProps {
        double before = 0;
        double after = 0;
        double beforeLines = -1; // hundredths of a line, when given
        double afterLines = -1;
        double line = 240;
        int rule = 0; // 0 auto (multiple of 240), 1 exact, 2 at least
        double indLeft = 0;
        double indRight = 0;
        double firstLine = 0;
        bool pageBreakBefore = false;
        bool snapToGrid = true;
        double markSize = 0;  // half-points of the paragraph mark
        QVector<double> tabs; // custom tab stops, twips from the indent
    };
    struct Section {
        double pageHeight = 16838;
        double top = 1440;
        double bottom = 1440;
        double headerDistance = 720;
        double footerDistance = 720;
        double textWidth = 9026;
        double gridPitch = 0; // 0: no line grid
        bool startsOnNewPage = true;
        QStringList headerIds;
        QStringList footerIds;
    };

    ParaProps paragraphProps(const XmlNode *p) const;
    double runSize(const XmlNode *run, const XmlNode *paragraph) const;
    double paragraphHeight(const XmlNode *p, double width, double gridPitch) const;
    double tableHeight(const XmlNode *tbl, double width, double gridPitch, int firstRow = 0, int lastRow = -1) const;
    QVector<double> tableRowHeights(const XmlNode *tbl, double width, double gridPitch) const;
    double cellWidth(const XmlNode *tbl, const XmlNode *tc, double tableWidth) const;
    double contentHeight(const XmlNode *container, double width, double gridPitch) const;
    Section sectionOf(const XmlNode *sectPr) const;
    double sideHeight(const QStringList &ids, double width) const;
    bool containsPageBreak(const XmlNode *block) const;

    const XmlDocument &m_document;
    SidePartLookup m_sidePart;
    QHash<QString, const XmlNode *> m_styles; // style id -> w:style
    const XmlNode *m_docDefaultsPPr = nullptr;
    const XmlNode *m_docDefaultsRPr = nullptr;
    const XmlNode *m_defaultParaStyle = nullptr;
};
