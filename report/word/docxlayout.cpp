#include "docxlayout.h"

#include <QSet>
#include <cmath>

namespace {

constexpr double kDefaultSize = 24;  // half-points (12 pt) when nothing says otherwise
constexpr double kNarrowWidth = 0.6; // width of a non-CJK character, in ems
constexpr double kTabStop = 720;     // default tab stops, twips

bool is(const XmlNode *n, const char *name)
{
    return n && n->kind == XmlNode::Element && n->name == QLatin1String(name);
}

const XmlNode *child(const XmlNode *n, const char *name)
{
    return n ? n->firstChild(QString::fromLatin1(name)).data() : nullptr;
}

QString attr(const XmlNode *n, const char *name) { return n ? n->attribute(QString::fromLatin1(name)) : QString(); }

// A length in twips: a plain number, or a number with a unit.
double measure(const QString &value, double fallback)
{
    const QString v = value.trimmed();
    if (v.isEmpty())
        return fallback;
    static const QList<QPair<QString, double>> units = {
        {QStringLiteral("mm"), 1440 / 25.4}, {QStringLiteral("cm"), 1440 / 2.54}, {QStringLiteral("in"), 1440},
        {QStringLiteral("pt"), 20},          {QStringLiteral("pc"), 240},         {QStringLiteral("pi"), 240},
    };
    bool ok = false;
    for (const auto &u : units) {
        if (v.endsWith(u.first)) {
            const double x = v.chopped(2).toDouble(&ok);
            return ok && std::isfinite(x) ? x * u.second : fallback;
        }
    }
    const double x = v.toDouble(&ok);
    return ok && std::isfinite(x) ? x : fallback;
}

double attrTwips(const XmlNode *n, const char *name, double fallback) { return measure(attr(n, name), fallback); }

// A font size in half-points (a number, or a length with a unit).
double halfPoints(const XmlNode *sz)
{
    const QString v = attr(sz, "w:val").trimmed();
    if (v.isEmpty())
        return 0;
    if (!v.isEmpty() && v.at(v.size() - 1).isLetter())
        return measure(v, 0) / 10;
    return measure(v, 0);
}

// An on/off property: present and not switched off.
bool flag(const XmlNode *parent, const char *name)
{
    const XmlNode *n = child(parent, name);
    if (!n)
        return false;
    const QString v = attr(n, "w:val");
    return v != QLatin1String("0") && v != QLatin1String("false") && v != QLatin1String("off");
}

bool isWide(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 0x1100 && u <= 0x11FF) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3)
        || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60)
        || (u >= 0xFFE0 && u <= 0xFFE6) || c.isHighSurrogate();
}

// Greedy line filling: words move to the next line when they do not fit.
struct LineFill {
    double avail;
    double x = 0;
    QVector<QPair<double, double>> lines; // (font size, tallest picture) per line
    double lineSize = 0, lineDraw = 0;
    double wordW = 0, wordSize = 0, wordDraw = 0;

    void newLine()
    {
        lines.append({lineSize, lineDraw});
        x = 0;
        lineSize = lineDraw = 0;
    }
    void flushWord()
    {
        if (wordW <= 0 && wordSize <= 0 && wordDraw <= 0)
            return;
        if (x > 0 && x + wordW > avail)
            newLine();
        while (wordW > avail && avail > 0) {
            lineSize = qMax(lineSize, wordSize);
            lineDraw = qMax(lineDraw, wordDraw);
            newLine();
            wordW -= avail;
        }
        x += wordW;
        lineSize = qMax(lineSize, wordSize);
        lineDraw = qMax(lineDraw, wordDraw);
        wordW = wordSize = wordDraw = 0;
    }
    void add(double w, double size, bool breakBefore, bool breakAfter, double draw = 0)
    {
        if (breakBefore)
            flushWord();
        wordW += w;
        wordSize = qMax(wordSize, size);
        wordDraw = qMax(wordDraw, draw);
        if (breakAfter)
            flushWord();
    }
    void tab(double size, const QVector<double> &stops)
    {
        flushWord();
        double next = (std::floor(x / kTabStop) + 1) * kTabStop;
        for (double stop : stops)
            if (stop > x + 1e-6)
                next = qMin(next, stop);
        x = next;
        lineSize = qMax(lineSize, size);
        if (x > avail)
            newLine();
    }
    void lineBreak(double size)
    {
        flushWord();
        lineSize = qMax(lineSize, size);
        newLine();
    }
};

bool isContainer(const XmlNode *n)
{
    static const QSet<QString> names = {
        QStringLiteral("w:hyperlink"), QStringLiteral("w:ins"),        QStringLiteral("w:smartTag"),
        QStringLiteral("w:sdt"),       QStringLiteral("w:sdtContent"), QStringLiteral("w:fldSimple"),
        QStringLiteral("w:customXml"), QStringLiteral("w:moveTo"),     QStringLiteral("w:dir"),
        QStringLiteral("w:bdo"),
    };
    return n->kind == XmlNode::Element && names.contains(n->name);
}

} // namespace

DocxLayout::DocxLayout(const XmlDocument &document, const XmlDocument *styles, SidePartLookup sidePart)
    : m_document(document)
    , m_sidePart(std::move(sidePart))
{
    const XmlNode *root = styles ? styles->root().data() : nullptr;
    if (!root)
        return;
    for (const XmlNodePtr &c : root->children) {
        if (is(c.data(), "w:style")) {
            m_styles.insert(c->attribute(QStringLiteral("w:styleId")), c.data());
            const QString def = c->attribute(QStringLiteral("w:default"));
            if (c->attribute(QStringLiteral("w:type")) == QLatin1String("paragraph")
                && (def == QLatin1String("1") || def == QLatin1String("true") || def == QLatin1String("on")))
                m_defaultParaStyle = c.data();
        } else if (is(c.data(), "w:docDefaults")) {
            m_docDefaultsPPr = child(child(c.data(), "w:pPrDefault"), "w:pPr");
            m_docDefaultsRPr = child(child(c.data(), "w:rPrDefault"), "w:rPr");
        }
    }
}

namespace {

// The style and the styles it is based on, the most basic first.
QList<const XmlNode *> styleChain(const QHash<QString, const XmlNode *> &styles, const XmlNode *style)
{
    QList<const XmlNode *> chain;
    while (style && chain.size() < 32 && !chain.contains(style)) {
        chain.prepend(style);
        style = styles.value(attr(child(style, "w:basedOn"), "w:val"), nullptr);
    }
    return chain;
}

} // namespace

DocxLayout::ParaProps DocxLayout::paragraphProps(const XmlNode *p) const
{
    ParaProps pp;
    auto apply = [&pp](const XmlNode *pPr) {
        if (!pPr)
            return;
        if (const XmlNode *s = child(pPr, "w:spacing")) {
            pp.before = attrTwips(s, "w:before", pp.before);
            pp.after = attrTwips(s, "w:after", pp.after);
            pp.beforeLines = attrTwips(s, "w:beforeLines", pp.beforeLines);
            pp.afterLines = attrTwips(s, "w:afterLines", pp.afterLines);
            auto on = [s](const char *a) {
                const QString v = attr(s, a);
                return v == QLatin1String("1") || v == QLatin1String("true") || v == QLatin1String("on");
            };
            if (on("w:beforeAutospacing"))
                pp.before = qMax(pp.before, 280.0);
            if (on("w:afterAutospacing"))
                pp.after = qMax(pp.after, 280.0);
            pp.line = attrTwips(s, "w:line", pp.line);
            const QString rule = attr(s, "w:lineRule");
            if (rule == QLatin1String("exact"))
                pp.rule = 1;
            else if (rule == QLatin1String("atLeast"))
                pp.rule = 2;
            else if (!rule.isEmpty())
                pp.rule = 0;
        }
        if (const XmlNode *ind = child(pPr, "w:ind")) {
            pp.indLeft = attrTwips(ind, "w:left", attrTwips(ind, "w:start", pp.indLeft));
            pp.indRight = attrTwips(ind, "w:right", attrTwips(ind, "w:end", pp.indRight));
            pp.firstLine = attrTwips(ind, "w:firstLine", pp.firstLine);
            if (!attr(ind, "w:hanging").isEmpty())
                pp.firstLine = -attrTwips(ind, "w:hanging", 0);
        }
        if (const XmlNode *tabs = child(pPr, "w:tabs")) {
            for (const XmlNodePtr &t : tabs->children) {
                if (is(t.data(), "w:tab") && attr(t.data(), "w:val") != QLatin1String("clear"))
                    pp.tabs.append(attrTwips(t.data(), "w:pos", 0));
            }
        }
        if (child(pPr, "w:pageBreakBefore"))
            pp.pageBreakBefore = flag(pPr, "w:pageBreakBefore");
        if (child(pPr, "w:snapToGrid"))
            pp.snapToGrid = flag(pPr, "w:snapToGrid");
        if (const double s = halfPoints(child(child(pPr, "w:rPr"), "w:sz")))
            pp.markSize = s;
    };
    const XmlNode *pPr = child(p, "w:pPr");
    apply(m_docDefaultsPPr);
    if (const double s = halfPoints(child(m_docDefaultsRPr, "w:sz")))
        pp.markSize = s;
    const QString styleId = attr(child(pPr, "w:pStyle"), "w:val");
    const XmlNode *style = styleId.isEmpty() ? m_defaultParaStyle : m_styles.value(styleId, m_defaultParaStyle);
    for (const XmlNode *s : styleChain(m_styles, style)) {
        apply(child(s, "w:pPr"));
        if (const double sz = halfPoints(child(child(s, "w:rPr"), "w:sz")))
            pp.markSize = sz;
    }
    apply(pPr);
    if (pp.markSize <= 0)
        pp.markSize = kDefaultSize;
    return pp;
}

double DocxLayout::runSize(const XmlNode *run, const XmlNode *paragraph) const
{
    double size = halfPoints(child(m_docDefaultsRPr, "w:sz"));
    const QString styleId = attr(child(child(paragraph, "w:pPr"), "w:pStyle"), "w:val");
    const XmlNode *pStyle = styleId.isEmpty() ? m_defaultParaStyle : m_styles.value(styleId, m_defaultParaStyle);
    for (const XmlNode *s : styleChain(m_styles, pStyle))
        if (const double sz = halfPoints(child(child(s, "w:rPr"), "w:sz")))
            size = sz;
    const XmlNode *rPr = child(run, "w:rPr");
    const QString rStyle = attr(child(rPr, "w:rStyle"), "w:val");
    if (!rStyle.isEmpty())
        for (const XmlNode *s : styleChain(m_styles, m_styles.value(rStyle, nullptr)))
            if (const double sz = halfPoints(child(child(s, "w:rPr"), "w:sz")))
                size = sz;
    if (const double sz = halfPoints(child(rPr, "w:sz")))
        size = sz;
    return size > 0 ? size : kDefaultSize;
}

double DocxLayout::paragraphHeight(const XmlNode *p, double width, double gridPitch) const
{
    const ParaProps pp = paragraphProps(p);
    LineFill fill;
    fill.avail = qMax(width - pp.indLeft - pp.indRight, 720.0);
    fill.x = qMax(0.0, pp.firstLine);

    std::function<void(const XmlNode *)> walk = [&](const XmlNode *n) {
        for (const XmlNodePtr &cp : n->children) {
            const XmlNode *c = cp.data();
            if (is(c, "w:r")) {
                const XmlNode *rPr = child(c, "w:rPr");
                if (flag(rPr, "w:vanish"))
                    continue;
                const double size = runSize(c, p);
                const double em = size * 10; // twips
                for (const XmlNodePtr &ip : c->children) {
                    const XmlNode *item = ip.data();
                    if (is(item, "w:t")) {
                        for (const QChar ch : item->innerText()) {
                            if (isWide(ch))
                                fill.add(em, size, true, true);
                            else if (ch.isSpace())
                                fill.add(kNarrowWidth * em, size, false, true);
                            else
                                fill.add(kNarrowWidth * em, size, false, false);
                        }
                    } else if (is(item, "w:tab") || is(item, "w:ptab")) {
                        fill.tab(size, pp.tabs);
                    } else if (is(item, "w:br") || is(item, "w:cr")) {
                        fill.lineBreak(size);
                    } else if (is(item, "w:sym") || is(item, "w:noBreakHyphen")) {
                        fill.add(em, size, false, false);
                    } else if (is(item, "w:drawing")) {
                        const XmlNode *inl = child(item, "wp:inline");
                        const XmlNode *ext = child(inl, "wp:extent");
                        if (ext)
                            fill.add(attrTwips(ext, "cx", 0) / 635, size, true, true, attrTwips(ext, "cy", 0) / 635);
                    }
                }
            } else if (isContainer(c)) {
                walk(c);
            }
        }
    };
    walk(p);
    fill.flushWord();
    fill.lineSize = qMax(fill.lineSize, pp.markSize);
    fill.newLine();

    double lineTotal = 0;
    double firstLine = 0;
    for (int i = 0; i < fill.lines.size(); ++i) {
        const double em = fill.lines.at(i).first * 10;
        const double draw = fill.lines.at(i).second;
        const double natural = qMax(em * kLineFactor, draw > 0 ? draw + 0.35 * em : 0.0);
        double h;
        if (pp.rule == 1)
            h = pp.line;
        else if (pp.rule == 2)
            h = qMax(pp.line, natural);
        else
            h = natural * qMax(pp.line, 1.0) / 240.0;
        if (gridPitch > 0 && pp.snapToGrid && pp.rule != 1)
            h = std::ceil(h / gridPitch - 1e-6) * gridPitch;
        if (i == 0)
            firstLine = h;
        lineTotal += h;
    }
    const double lineUnit = gridPitch > 0 ? gridPitch : firstLine;
    const double before = pp.beforeLines >= 0 ? qMax(pp.before, pp.beforeLines / 100 * lineUnit) : pp.before;
    const double after = pp.afterLines >= 0 ? qMax(pp.after, pp.afterLines / 100 * lineUnit) : pp.after;
    return qMax(0.0, before) + lineTotal + qMax(0.0, after);
}

double DocxLayout::cellWidth(const XmlNode *tbl, const XmlNode *tc, double tableWidth) const
{
    QVector<double> cols;
    for (const XmlNodePtr &g : child(tbl, "w:tblGrid") ? child(tbl, "w:tblGrid")->children : QList<XmlNodePtr>())
        if (is(g.data(), "w:gridCol"))
            cols.append(attrTwips(g.data(), "w:w", 0));
    const XmlNode *tr = tc->parent;
    while (tr && !is(tr, "w:tr"))
        tr = tr->parent;
    int col = tr ? int(attrTwips(child(child(tr, "w:trPr"), "w:gridBefore"), "w:val", 0)) : 0;
    int cells = 0;
    double found = -1;
    if (tr) {
        std::function<void(const XmlNode *)> scan = [&](const XmlNode *n) {
            for (const XmlNodePtr &cp : n->children) {
                const XmlNode *c = cp.data();
                if (is(c, "w:tc")) {
                    const int span = qMax(1, int(attrTwips(child(child(c, "w:tcPr"), "w:gridSpan"), "w:val", 1)));
                    if (c == tc && cols.size() >= col + span) {
                        double w = 0;
                        for (int i = col; i < col + span; ++i)
                            w += cols.at(i);
                        found = w;
                    }
                    col += span;
                    ++cells;
                } else if (is(c, "w:sdt") || is(c, "w:sdtContent") || is(c, "w:customXml")) {
                    scan(c);
                }
            }
        };
        scan(tr);
    }
    if (found > 0)
        return found;
    const XmlNode *tcW = child(child(tc, "w:tcPr"), "w:tcW");
    if (tcW && (attr(tcW, "w:type") == QLatin1String("dxa") || attr(tcW, "w:type").isEmpty())
        && attrTwips(tcW, "w:w", 0) > 0)
        return attrTwips(tcW, "w:w", 0);
    return tableWidth / qMax(1, cells);
}

QVector<double> DocxLayout::tableRowHeights(const XmlNode *tbl, double width, double gridPitch) const
{
    const XmlNode *tblPr = child(tbl, "w:tblPr");
    const XmlNode *mar = child(tblPr, "w:tblCellMar");
    auto margin = [](const XmlNode *m, const char *a, const char *b, double fallback) {
        const XmlNode *n = child(m, a);
        if (!n && b)
            n = child(m, b);
        return n ? attrTwips(n, "w:w", fallback) : fallback;
    };
    const double marTop = margin(mar, "w:top", nullptr, 0);
    const double marBottom = margin(mar, "w:bottom", nullptr, 0);
    const double marLeft = margin(mar, "w:left", "w:start", 108);
    const double marRight = margin(mar, "w:right", "w:end", 108);
    const XmlNode *borders = child(tblPr, "w:tblBorders");
    auto border = [borders](const char *side) { return attrTwips(child(borders, side), "w:sz", 0) * 2.5; };
    const double inside = qMax(border("w:insideH"), border("w:bottom"));

    QVector<double> rows;
    std::function<void(const XmlNode *)> scanRows = [&](const XmlNode *n) {
        for (const XmlNodePtr &rp : n->children) {
            const XmlNode *tr = rp.data();
            if (is(tr, "w:sdt") || is(tr, "w:sdtContent") || is(tr, "w:customXml")) {
                scanRows(tr);
                continue;
            }
            if (!is(tr, "w:tr"))
                continue;
            double content = 0;
            std::function<void(const XmlNode *)> scanCells = [&](const XmlNode *m) {
                for (const XmlNodePtr &cp : m->children) {
                    const XmlNode *tc = cp.data();
                    if (is(tc, "w:sdt") || is(tc, "w:sdtContent") || is(tc, "w:customXml")) {
                        scanCells(tc);
                        continue;
                    }
                    if (!is(tc, "w:tc"))
                        continue;
                    const XmlNode *tcPr = child(tc, "w:tcPr");
                    const XmlNode *vMerge = child(tcPr, "w:vMerge");
                    if (vMerge && attr(vMerge, "w:val") != QLatin1String("restart"))
                        continue; // continues the cell above
                    const XmlNode *tcMar = child(tcPr, "w:tcMar");
                    const double ml = margin(tcMar, "w:left", "w:start", marLeft);
                    const double mr = margin(tcMar, "w:right", "w:end", marRight);
                    const double mt = margin(tcMar, "w:top", nullptr, marTop);
                    const double mb = margin(tcMar, "w:bottom", nullptr, marBottom);
                    const double cw = cellWidth(tbl, tc, width);
                    content = qMax(content, contentHeight(tc, qMax(cw - ml - mr, 360.0), gridPitch) + mt + mb);
                }
            };
            scanCells(tr);
            const XmlNode *trHeight = child(child(tr, "w:trPr"), "w:trHeight");
            double h = content;
            if (trHeight) {
                const double val = attrTwips(trHeight, "w:val", 0);
                h = attr(trHeight, "w:hRule") == QLatin1String("exact") ? val : qMax(val, content);
            }
            rows.append(h + inside);
        }
    };
    scanRows(tbl);
    if (!rows.isEmpty())
        rows[0] += border("w:top");
    return rows;
}

double DocxLayout::tableHeight(const XmlNode *tbl, double width, double gridPitch, int firstRow, int lastRow) const
{
    const QVector<double> rows = tableRowHeights(tbl, width, gridPitch);
    if (lastRow < 0 || lastRow >= rows.size())
        lastRow = rows.size() - 1;
    double h = 0;
    for (int i = qMax(0, firstRow); i <= lastRow; ++i)
        h += rows.at(i);
    return h;
}

double DocxLayout::contentHeight(const XmlNode *container, double width, double gridPitch) const
{
    double h = 0;
    for (const XmlNodePtr &cp : container->children) {
        const XmlNode *c = cp.data();
        if (is(c, "w:p"))
            h += paragraphHeight(c, width, gridPitch);
        else if (is(c, "w:tbl"))
            h += tableHeight(c, width, gridPitch);
        else if (is(c, "w:sdt") || is(c, "w:sdtContent") || is(c, "w:customXml"))
            h += contentHeight(c, width, gridPitch);
    }
    return h;
}

double DocxLayout::blockHeight(const XmlNode *block, double width) const
{
    if (is(block, "w:p"))
        return paragraphHeight(block, width, 0);
    if (is(block, "w:tbl"))
        return tableHeight(block, width, 0);
    return 0;
}

DocxLayout::Section DocxLayout::sectionOf(const XmlNode *sectPr) const
{
    Section s;
    const XmlNode *pgSz = child(sectPr, "w:pgSz");
    const XmlNode *pgMar = child(sectPr, "w:pgMar");
    const double pageWidth = attrTwips(pgSz, "w:w", 11906);
    s.pageHeight = attrTwips(pgSz, "w:h", 16838);
    s.top = std::abs(attrTwips(pgMar, "w:top", 1440));
    s.bottom = std::abs(attrTwips(pgMar, "w:bottom", 1440));
    s.headerDistance = attrTwips(pgMar, "w:header", 720);
    s.footerDistance = attrTwips(pgMar, "w:footer", 720);
    s.textWidth = pageWidth - attrTwips(pgMar, "w:left", 1440) - attrTwips(pgMar, "w:right", 1440)
        - attrTwips(pgMar, "w:gutter", 0);
    if (const XmlNode *cols = child(sectPr, "w:cols")) {
        const int num = int(attrTwips(cols, "w:num", 1));
        if (num > 1)
            s.textWidth = (s.textWidth - attrTwips(cols, "w:space", 720) * (num - 1)) / num;
    }
    s.textWidth = qMax(s.textWidth, 720.0);
    const XmlNode *grid = child(sectPr, "w:docGrid");
    const QString gridType = attr(grid, "w:type");
    if (gridType == QLatin1String("lines") || gridType == QLatin1String("linesAndChars")
        || gridType == QLatin1String("snapToChars"))
        s.gridPitch = qMax(0.0, attrTwips(grid, "w:linePitch", 0));
    s.startsOnNewPage = attr(child(sectPr, "w:type"), "w:val") != QLatin1String("continuous");
    if (sectPr) {
        for (const XmlNodePtr &c : sectPr->children) {
            if (is(c.data(), "w:headerReference"))
                s.headerIds.append(c->attribute(QStringLiteral("r:id")));
            else if (is(c.data(), "w:footerReference"))
                s.footerIds.append(c->attribute(QStringLiteral("r:id")));
        }
    }
    return s;
}

double DocxLayout::sideHeight(const QStringList &ids, double width) const
{
    double h = 0;
    if (!m_sidePart)
        return h;
    for (const QString &id : ids)
        if (const XmlDocument *doc = m_sidePart(id))
            if (doc->root())
                h = qMax(h, contentHeight(doc->root().data(), width, 0));
    return h;
}

bool DocxLayout::containsPageBreak(const XmlNode *block) const
{
    for (const XmlNodePtr &cp : block->children) {
        const XmlNode *c = cp.data();
        if (c->kind != XmlNode::Element || is(c, "w:del") || is(c, "w:moveFrom"))
            continue;
        if (is(c, "w:br") && attr(c, "w:type") == QLatin1String("page"))
            return true;
        if (containsPageBreak(c))
            return true;
    }
    return false;
}

QSizeF DocxLayout::pictureBox(const XmlNode *paragraph, double aspect) const
{
    aspect = aspect > 0 && std::isfinite(aspect) ? aspect : 1.0;
    const XmlNode *body = child(m_document.root().data(), "w:body");

    // The body's paragraphs and tables in reading order.
    QVector<const XmlNode *> blocks;
    std::function<void(const XmlNode *)> flatten = [&](const XmlNode *n) {
        for (const XmlNodePtr &cp : n->children) {
            const XmlNode *c = cp.data();
            if (is(c, "w:p") || is(c, "w:tbl"))
                blocks.append(c);
            else if (is(c, "w:sdt") || is(c, "w:sdtContent") || is(c, "w:customXml"))
                flatten(c);
        }
    };
    if (body)
        flatten(body);
    int pic = -1;
    const XmlNode *top = paragraph;
    while (top && pic < 0) {
        pic = blocks.indexOf(top);
        if (pic < 0)
            top = top->parent;
    }

    // The section the picture belongs to, and where sections begin pages.
    auto sectionEnd = [](const XmlNode *block) { return child(child(block, "w:pPr"), "w:sectPr"); };
    const XmlNode *bodySect = child(body, "w:sectPr");
    auto sectionAfter = [&](int i) -> const XmlNode * {
        for (int j = i; j < blocks.size(); ++j)
            if (const XmlNode *s = sectionEnd(blocks.at(j)))
                return s;
        return bodySect;
    };
    const Section sect = sectionOf(pic >= 0 ? sectionAfter(pic) : bodySect);
    const double pitch = sect.gridPitch;
    const double topMargin = qMax(sect.top, sect.headerDistance + sideHeight(sect.headerIds, sect.textWidth));
    const double bottomMargin = qMax(sect.bottom, sect.footerDistance + sideHeight(sect.footerIds, sect.textWidth));
    const double textH = qMax(1440.0, sect.pageHeight - topMargin - bottomMargin);
    const double slack = 0.01 * textH + 60;

    const ParaProps pp = paragraphProps(paragraph);
    auto height = [this, pitch](const XmlNode *b, double width) {
        if (is(b, "w:p"))
            return paragraphHeight(b, width, pitch);
        return is(b, "w:tbl") ? tableHeight(b, width, pitch) : 0.0;
    };
    double maxW = sect.textWidth;
    double before = 0;
    double after = 0;

    if (pic >= 0) {
        // A page ends after a section that the next one starts on a new page.
        auto breaksAfter = [&](int i) {
            return sectionEnd(blocks.at(i)) && i + 1 < blocks.size() && sectionOf(sectionAfter(i + 1)).startsOnNewPage;
        };
        auto startsPage = [&](int i) {
            return is(blocks.at(i), "w:p") && paragraphProps(blocks.at(i)).pageBreakBefore;
        };
        if (!startsPage(pic)) {
            for (int i = pic - 1; i >= 0; --i) {
                if (breaksAfter(i) || containsPageBreak(blocks.at(i)))
                    break;
                before += height(blocks.at(i), sect.textWidth);
                if (startsPage(i))
                    break;
            }
        }
        if (!breaksAfter(pic)) {
            for (int i = pic + 1; i < blocks.size(); ++i) {
                if (startsPage(i))
                    break;
                after += height(blocks.at(i), sect.textWidth);
                if (containsPageBreak(blocks.at(i)) || breaksAfter(i))
                    break;
            }
        }
        if (top != paragraph && is(top, "w:tbl")) {
            // Inside a table: the rows above and below share the page, so
            // does the cell's other content; the cell limits the width.
            const XmlNode *tc = paragraph->parent;
            while (tc && !is(tc, "w:tc"))
                tc = tc->parent;
            const XmlNode *row = paragraph->parent;
            while (row && !(is(row, "w:tr") && row->parent && (row->parent == top || row->parent->parent == top)))
                row = row->parent;
            const QVector<double> rows = tableRowHeights(top, sect.textWidth, pitch);
            int r = 0;
            for (const XmlNodePtr &cp : top->children)
                if (is(cp.data(), "w:tr")) {
                    if (cp.data() == row)
                        break;
                    ++r;
                }
            for (int i = 0; i < rows.size(); ++i) {
                if (i < r)
                    before += rows.at(i);
                else if (i > r)
                    after += rows.at(i);
            }
            if (tc) {
                const XmlNode *tbl = tc->parent;
                while (tbl && !is(tbl, "w:tbl"))
                    tbl = tbl->parent;
                maxW = tbl ? cellWidth(tbl, tc, sect.textWidth) - 216 : maxW;
                const XmlNode *inCell = paragraph;
                while (inCell && inCell->parent != tc)
                    inCell = inCell->parent;
                bool seen = false;
                for (const XmlNodePtr &cp : tc->children) {
                    if (cp.data() == inCell) {
                        seen = true;
                        continue;
                    }
                    (seen ? after : before) += height(cp.data(), maxW);
                }
            }
        }
    }

    maxW = qMax(360.0, maxW - pp.indLeft - pp.indRight);
    const double em = pp.markSize * 10;
    const double own = qMax(0.0, pp.before) + qMax(0.0, pp.after) + 0.35 * em + pitch;
    const double lineScale = pp.rule == 0 ? qMax(1.0, pp.line / 240.0) : 1.0;
    double room = (textH - before - after - own - slack) / lineScale;
    const double minRoom = qMax(0.15 * textH, 1440.0);
    if (pic < 0 || before >= textH || room < minRoom) {
        // Not enough room where it stands: the picture takes a page of its
        // own (with a short remainder after it).
        room = (textH - own - slack - (after <= textH / 2 ? after : 0.0)) / lineScale;
    }
    room = qMax(room, 360.0);
    const double h = qMin(room, maxW * aspect);
    return QSizeF(h / aspect, h);
}
