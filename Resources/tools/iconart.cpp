// Draws the program's icon set as PNG files:
//   iconart OUTDIR           the tool-bar icons (and the application icon)
//   iconart --theme OUTDIR   the application and survey-file icons for the
//                            desktop, as OUTDIR/<N>x<N>/{apps,mimetypes}/...
// Every icon is plain vector drawing on a 32x32 design grid scaled to the
// canvas (64x64 for the tool bar, the pen cursor on 32x32), so the artwork
// is reproducible and needs no fonts.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

const QColor kInk(0x33, 0x3d, 0x4a);
const QColor kBlue(0x1f, 0x6f, 0xd1);
const QColor kGreen(0x1e, 0x9e, 0x5a);
const QColor kRed(0xd9, 0x3a, 0x2b);
const QColor kAmber(0xf0, 0xa8, 0x30);
const QColor kPaper(0xfb, 0xfb, 0xf8);

using Draw = std::function<void(QPainter &)>;

QPen pen(const QColor &c, double w) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// A sine trace across [x0, x1] around baseline y with amplitude a.
QPainterPath wave(double x0, double x1, double y, double a, double periods = 2.0)
{
    QPainterPath p;
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const double t = double(i) / steps;
        const double x = x0 + t * (x1 - x0);
        // Decaying echo: strong at the start, fading towards the end.
        const double yy = y - a * qSin(t * periods * 2 * M_PI) * (1.0 - 0.55 * t);
        if (i == 0)
            p.moveTo(x, yy);
        else
            p.lineTo(x, yy);
    }
    return p;
}

void arrow(QPainter &g, QPointF from, QPointF to, const QColor &c, double w = 2.0)
{
    g.setPen(pen(c, w));
    g.drawLine(from, to);
    const QLineF line(to, from);
    const double head = 3.5;
    QLineF a = line;
    a.setLength(head);
    a.setAngle(line.angle() + 35);
    QLineF b = line;
    b.setLength(head);
    b.setAngle(line.angle() - 35);
    g.drawLine(a);
    g.drawLine(b);
}

void page(QPainter &g, QRectF r, const QColor &fill = kPaper)
{
    QPainterPath p;
    const double fold = 6;
    p.moveTo(r.left(), r.top());
    p.lineTo(r.right() - fold, r.top());
    p.lineTo(r.right(), r.top() + fold);
    p.lineTo(r.right(), r.bottom());
    p.lineTo(r.left(), r.bottom());
    p.closeSubpath();
    g.setPen(pen(kInk, 1.5));
    g.setBrush(fill);
    g.drawPath(p);
    g.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    g.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void printer(QPainter &g)
{
    g.setPen(pen(kInk, 1.5));
    g.setBrush(kPaper);
    g.drawRect(QRectF(9, 4, 14, 9)); // paper in
    g.setBrush(QColor(0x9a, 0xa7, 0xb8));
    g.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2); // body
    g.setBrush(kPaper);
    g.drawRect(QRectF(8, 19, 16, 9)); // paper out
    g.setPen(pen(kInk, 1));
    g.drawLine(QPointF(11, 22.5), QPointF(21, 22.5));
    g.drawLine(QPointF(11, 25), QPointF(18, 25));
    g.setPen(Qt::NoPen);
    g.setBrush(kGreen);
    g.drawEllipse(QPointF(25.5, 15.5), 1.3, 1.3);
}

void gear(QPainter &g, QPointF c, double r)
{
    g.setPen(pen(kInk, 1.2));
    g.setBrush(kAmber);
    QPainterPath p;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a = i * M_PI / teeth;
        const double rr = (i % 2 == 0) ? r : r * 0.72;
        const QPointF pt(c.x() + rr * qCos(a), c.y() + rr * qSin(a));
        if (i == 0)
            p.moveTo(pt);
        else
            p.lineTo(pt);
    }
    p.closeSubpath();
    g.drawPath(p);
    g.setBrush(kPaper);
    g.drawEllipse(c, r * 0.32, r * 0.32);
}

void magnifier(QPainter &g, QPointF c, double r)
{
    g.setPen(pen(kInk, 2.2));
    g.setBrush(QColor(0xd8, 0xe9, 0xff, 220));
    g.drawEllipse(c, r, r);
    g.setPen(pen(kInk, 3));
    const QPointF d(r * 0.72, r * 0.72);
    g.drawLine(c + d, c + d * 1.9);
}

void plusMinus(QPainter &g, QPointF c, bool plus, const QColor &col)
{
    g.setPen(Qt::NoPen);
    g.setBrush(col);
    g.drawEllipse(c, 6, 6);
    g.setPen(pen(Qt::white, 2));
    g.drawLine(c - QPointF(3.2, 0), c + QPointF(3.2, 0));
    if (plus)
        g.drawLine(c - QPointF(0, 3.2), c + QPointF(0, 3.2));
}

void frame(QPainter &g)
{
    g.setPen(pen(QColor(0x8a, 0x96, 0xa6), 1));
    g.setBrush(QColor(0x14, 0x1c, 0x28));
    g.drawRoundedRect(QRectF(2.5, 4.5, 27, 23), 2.5, 2.5);
}

void traceIn(QPainter &g, const QPainterPath &p, const QColor &c = QColor(0x5f, 0xe3, 0x8c), double w = 1.6)
{
    g.setPen(pen(c, w));
    g.setBrush(Qt::NoBrush);
    g.drawPath(p);
}

// A trace in the frame with a hollow ring on it at x: a flaw suggestion.
void suggestionRing(QPainter &g, double x)
{
    frame(g);
    traceIn(g, wave(4, 28, 17, 5, 2.5));
    g.setPen(pen(kAmber, 2));
    g.setBrush(Qt::NoBrush);
    g.drawEllipse(QPointF(x, 17), 5.5, 5.5);
}

// A curved arrow: a half turn over a page's width that points back to the
// left (undo) or, mirrored, onwards to the right (redo).
void turnArrow(QPainter &g, bool mirrored)
{
    g.save();
    if (mirrored) {
        g.translate(32, 0);
        g.scale(-1, 1);
    }
    QPainterPath turn;
    turn.moveTo(24, 26);
    turn.cubicTo(30, 20, 28, 9, 17, 9);
    turn.lineTo(8, 9);
    g.setPen(pen(kBlue, 3.2));
    g.setBrush(Qt::NoBrush);
    g.drawPath(turn);
    QPainterPath head;
    head.moveTo(3, 9);
    head.lineTo(11, 3);
    head.lineTo(11, 15);
    head.closeSubpath();
    g.setPen(pen(kBlue, 1.2));
    g.setBrush(kBlue);
    g.drawPath(head);
    g.restore();
}

// The application: a pile standing in the ground, pulses spreading from its
// bottom towards a cave.
void appIcon(QPainter &g)
{
    QPainterPath tile;
    tile.addRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
    g.save();
    g.setClipPath(tile);
    g.fillRect(QRectF(0, 0, 32, 32), QColor(0xcf, 0xe3, 0xf7));
    g.fillRect(QRectF(0, 9, 32, 23), QColor(0xa5, 0x7a, 0x4a));
    g.setPen(pen(QColor(0x86, 0x5f, 0x36), 1.2));
    g.drawLine(QPointF(0, 14), QPointF(32, 13));
    g.drawLine(QPointF(0, 20.5), QPointF(32, 21.5));
    // Cave below and beside the pile.
    g.setPen(Qt::NoPen);
    g.setBrush(QColor(0x2b, 0x1d, 0x12));
    g.drawEllipse(QPointF(22.5, 25.5), 5.5, 3.3);
    // Pulses from the pile bottom.
    g.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        g.setPen(pen(kAmber, 1.5));
        const double r = 3.2 * i;
        g.drawArc(QRectF(16 - r, 18 - r, 2 * r, 2 * r), -20 * 16, -140 * 16);
    }
    // The pile.
    g.setPen(pen(kInk, 1.2));
    g.setBrush(QColor(0xc4, 0xc9, 0xd0));
    g.drawRect(QRectF(13, 2, 6, 16));
    g.restore();
    g.setPen(pen(QColor(0x1d, 0x35, 0x57), 1.5));
    g.setBrush(Qt::NoBrush);
    g.drawPath(tile);
}

// A survey file: a page holding a wave list.
void surveyFileIcon(QPainter &g)
{
    page(g, QRectF(5, 2, 22, 28));
    g.setPen(pen(QColor(0x8a, 0x96, 0xa6), 1));
    g.setBrush(QColor(0x14, 0x1c, 0x28));
    g.drawRoundedRect(QRectF(8, 9, 16, 15), 1.5, 1.5);
    for (int i = 0; i < 3; ++i)
        traceIn(g, wave(9.5, 22.5, 12.5 + 4 * i, 1.6, 3), QColor(0x5f, 0xe3, 0x8c), 1.2);
    g.setPen(pen(kAmber, 1.5));
    g.drawLine(QPointF(9, 26.5), QPointF(17, 26.5));
}

struct Icon {
    const char *name;
    int size;
    Draw draw;
};

const Icon kIcons[] = {
    {"open_ali", 64,
     [](QPainter &g) {
         g.setPen(pen(kInk, 1.5));
         g.setBrush(QColor(0xe0, 0x9a, 0x1c));
         QPainterPath back;
         back.moveTo(3, 8);
         back.lineTo(12, 8);
         back.lineTo(15, 11);
         back.lineTo(26, 11);
         back.lineTo(26, 26);
         back.lineTo(3, 26);
         back.closeSubpath();
         g.drawPath(back);
         g.setBrush(kPaper);
         g.drawRect(QRectF(7, 6, 15, 12));
         g.setBrush(kAmber);
         QPainterPath front;
         front.moveTo(3, 26);
         front.lineTo(7, 15);
         front.lineTo(30, 15);
         front.lineTo(26, 26);
         front.closeSubpath();
         g.drawPath(front);
     }},
    {"save_ali", 64,
     [](QPainter &g) {
         g.setPen(pen(kInk, 1.5));
         g.setBrush(kBlue);
         QPainterPath body;
         body.moveTo(4, 4);
         body.lineTo(24, 4);
         body.lineTo(28, 8);
         body.lineTo(28, 28);
         body.lineTo(4, 28);
         body.closeSubpath();
         g.drawPath(body);
         g.setBrush(kPaper);
         g.drawRect(QRectF(8, 4, 14, 9));
         g.setBrush(QColor(0x2c, 0x3e, 0x57));
         g.drawRect(QRectF(17, 5.5, 3, 6));
         g.setBrush(kPaper);
         g.drawRoundedRect(QRectF(8, 17, 16, 11), 1, 1);
         g.setPen(pen(QColor(0x9a, 0xa7, 0xb8), 1));
         g.drawLine(QPointF(10.5, 21), QPointF(21.5, 21));
         g.drawLine(QPointF(10.5, 24.5), QPointF(21.5, 24.5));
     }},
    {"print_setup_ali", 64,
     [](QPainter &g) {
         printer(g);
         gear(g, QPointF(24, 24), 6.5);
     }},
    {"print_preview_ali", 64,
     [](QPainter &g) {
         page(g, QRectF(4, 3, 19, 25));
         g.setPen(pen(QColor(0x9a, 0xa7, 0xb8), 1.2));
         for (int i = 0; i < 4; ++i)
             g.drawLine(QPointF(7.5, 10 + 4 * i), QPointF(18, 10 + 4 * i));
         magnifier(g, QPointF(19, 18), 6);
     }},
    {"print_ali", 64, [](QPainter &g) { printer(g); }},
    {"export_word_ali", 64,
     [](QPainter &g) {
         page(g, QRectF(10, 3, 19, 26));
         g.setPen(pen(QColor(0x9a, 0xa7, 0xb8), 1.2));
         for (int i = 0; i < 4; ++i)
             g.drawLine(QPointF(19, 10 + 4.5 * i), QPointF(26, 10 + 4.5 * i));
         g.setPen(pen(kInk, 1));
         g.setBrush(kBlue);
         g.drawRoundedRect(QRectF(2.5, 8.5, 17, 16), 2, 2);
         // A "W" drawn as a polyline.
         g.setPen(pen(Qt::white, 2));
         const QPointF w[] = {{5.5, 12}, {8, 21}, {11, 14.5}, {14, 21}, {16.5, 12}};
         g.drawPolyline(w, 5);
     }},
    {"project_info_ali", 64,
     [](QPainter &g) {
         g.setPen(pen(kInk, 1.5));
         g.setBrush(QColor(0xc9, 0x8b, 0x4a));
         g.drawRoundedRect(QRectF(5, 5, 22, 25), 2, 2);
         g.setBrush(kPaper);
         g.drawRect(QRectF(8, 8, 16, 19));
         g.setBrush(QColor(0x9a, 0xa7, 0xb8));
         g.drawRoundedRect(QRectF(11, 3, 10, 5), 1.5, 1.5);
         g.setPen(pen(kBlue, 1.5));
         for (int i = 0; i < 4; ++i) {
             g.drawLine(QPointF(10.5, 12 + 4 * i), QPointF(12, 12 + 4 * i));
             g.drawLine(QPointF(14, 12 + 4 * i), QPointF(21.5, 12 + 4 * i));
         }
     }},
    {"analysis_setup_ali", 64,
     [](QPainter &g) {
         const double ys[] = {8, 16, 24};
         const double knobs[] = {20, 10, 16};
         for (int i = 0; i < 3; ++i) {
             g.setPen(pen(kInk, 2));
             g.drawLine(QPointF(4, ys[i]), QPointF(28, ys[i]));
             g.setPen(pen(kInk, 1.2));
             g.setBrush(i == 1 ? kAmber : kBlue);
             g.drawRoundedRect(QRectF(knobs[i] - 3, ys[i] - 4, 6, 8), 1.5, 1.5);
         }
     }},
    {"original_data_ali", 64,
     [](QPainter &g) {
         frame(g);
         g.setPen(pen(QColor(0x55, 0x66, 0x77), 0.8));
         g.drawLine(QPointF(4, 16), QPointF(28, 16));
         // Sampled points joined by straight segments: the unfiltered trace.
         QPainterPath p;
         const double vals[] = {0, 2, -3, 7, -9, 8, -5, 6, -2, 3, -1, 1, 0};
         for (int i = 0; i < 13; ++i) {
             const QPointF pt(4 + 2 * i, 16 - vals[i]);
             if (i == 0)
                 p.moveTo(pt);
             else
                 p.lineTo(pt);
         }
         traceIn(g, p, QColor(0xff, 0xd0, 0x4a), 1.3);
         g.setPen(Qt::NoPen);
         g.setBrush(QColor(0xff, 0xd0, 0x4a));
         for (int i = 0; i < 13; i += 2)
             g.drawEllipse(QPointF(4 + 2 * i, 16 - vals[i]), 1.1, 1.1);
     }},
    {"h_wavelist_ali", 64,
     [](QPainter &g) {
         frame(g);
         for (int i = 0; i < 3; ++i)
             traceIn(g, wave(5, 27, 10 + 6 * i, 2.3, 3));
     }},
    {"v_wavelist_ali", 64,
     [](QPainter &g) {
         frame(g);
         g.save();
         g.translate(32, 0);
         g.rotate(90);
         for (int i = 0; i < 3; ++i)
             traceIn(g, wave(7, 25, 8 + 8 * i, 2.3, 3));
         g.restore();
     }},
    {"undo_ali", 64, [](QPainter &g) { turnArrow(g, false); }},
    {"redo_ali", 64, [](QPainter &g) { turnArrow(g, true); }},
    {"wave_amp_add_ali", 64,
     [](QPainter &g) {
         frame(g);
         traceIn(g, wave(4, 28, 16, 9, 2));
         arrow(g, QPointF(8, 14), QPointF(8, 6), kAmber, 1.6);
         plusMinus(g, QPointF(25, 25), true, kGreen);
     }},
    {"wave_amp_sub_ali", 64,
     [](QPainter &g) {
         frame(g);
         traceIn(g, wave(4, 28, 16, 4, 2));
         arrow(g, QPointF(8, 6), QPointF(8, 12), kAmber, 1.6);
         plusMinus(g, QPointF(25, 25), false, kRed);
     }},
    {"wave_pull_up_ali", 64,
     [](QPainter &g) {
         frame(g);
         traceIn(g, wave(4, 28, 18, 5, 1.2));
         arrow(g, QPointF(14, 9), QPointF(5, 9), kAmber, 1.6);
         arrow(g, QPointF(18, 9), QPointF(27, 9), kAmber, 1.6);
     }},
    {"wave_pull_dn_ali", 64,
     [](QPainter &g) {
         frame(g);
         traceIn(g, wave(4, 28, 18, 5, 4));
         arrow(g, QPointF(4, 9), QPointF(13, 9), kAmber, 1.6);
         arrow(g, QPointF(28, 9), QPointF(19, 9), kAmber, 1.6);
     }},
    {"wave_row_space_add_ali", 64,
     [](QPainter &g) {
         frame(g);
         traceIn(g, wave(4, 20, 9, 2.5, 2));
         traceIn(g, wave(4, 20, 23, 2.5, 2));
         arrow(g, QPointF(24.5, 14.5), QPointF(24.5, 6.5), kAmber, 1.6);
         arrow(g, QPointF(24.5, 17.5), QPointF(24.5, 25.5), kAmber, 1.6);
     }},
    {"wave_row_space_sub_ali", 64,
     [](QPainter &g) {
         frame(g);
         traceIn(g, wave(4, 20, 12, 2.5, 2));
         traceIn(g, wave(4, 20, 20, 2.5, 2));
         arrow(g, QPointF(24.5, 6.5), QPointF(24.5, 13.5), kAmber, 1.6);
         arrow(g, QPointF(24.5, 25.5), QPointF(24.5, 18.5), kAmber, 1.6);
     }},
    {"normalized_ali", 64,
     [](QPainter &g) {
         frame(g);
         g.setPen(QPen(QColor(0xff, 0xd0, 0x4a), 1, Qt::DashLine));
         g.drawLine(QPointF(4, 7.5), QPointF(28, 7.5));
         g.drawLine(QPointF(4, 24.5), QPointF(28, 24.5));
         // Every swing reaches the limits: no decay.
         QPainterPath p;
         for (int i = 0; i <= 48; ++i) {
             const double t = i / 48.0;
             const QPointF pt(4 + 24 * t, 16 - 8.5 * qSin(t * 3 * 2 * M_PI));
             if (i == 0)
                 p.moveTo(pt);
             else
                 p.lineTo(pt);
         }
         traceIn(g, p);
     }},
    {"wave_mark_ali", 64,
     [](QPainter &g) {
         frame(g);
         traceIn(g, wave(4, 28, 19, 5, 2.5));
         g.setPen(pen(kRed, 1.6));
         g.drawLine(QPointF(17, 26), QPointF(17, 6));
         g.setPen(Qt::NoPen);
         g.setBrush(kRed);
         const QPointF flag[] = {{17, 6}, {26, 9}, {17, 12}};
         g.drawPolygon(flag, 3);
     }},
    // Flaw suggestions: a hollow amber ring on the trace where an echo may be;
    // a lens finds them, a tick takes them all, a minus dismisses them.
    {"suggest_ali", 64,
     [](QPainter &g) {
         suggestionRing(g, 19);
         magnifier(g, QPointF(9, 11), 3.5);
     }},
    {"suggest_accept_ali", 64,
     [](QPainter &g) {
         suggestionRing(g, 14);
         g.setPen(pen(kGreen, 2.4));
         const QPointF tick[] = {{19, 21}, {22, 24.5}, {28, 13}};
         g.drawPolyline(tick, 3);
     }},
    {"suggest_clear_ali", 64,
     [](QPainter &g) {
         suggestionRing(g, 14);
         plusMinus(g, QPointF(24, 22), false, kRed);
     }},
    {"wave_stop_mark_ali", 64,
     [](QPainter &g) {
         frame(g);
         traceIn(g, wave(4, 28, 19, 5, 2.5));
         g.setPen(pen(Qt::white, 1.2));
         g.setBrush(kRed);
         QPainterPath oct;
         for (int i = 0; i < 8; ++i) {
             const double a = M_PI / 8 + i * M_PI / 4;
             const QPointF pt(21 + 7 * qCos(a), 11 + 7 * qSin(a));
             if (i == 0)
                 oct.moveTo(pt);
             else
                 oct.lineTo(pt);
         }
         oct.closeSubpath();
         g.drawPath(oct);
         g.setPen(pen(Qt::white, 2));
         g.drawLine(QPointF(18, 11), QPointF(24, 11));
     }},
    {"info", 64,
     [](QPainter &g) {
         g.setPen(pen(QColor(0x15, 0x55, 0xa8), 1.5));
         g.setBrush(kBlue);
         g.drawEllipse(QPointF(16, 16), 13, 13);
         g.setPen(Qt::NoPen);
         g.setBrush(Qt::white);
         g.drawEllipse(QPointF(16, 9.5), 2.2, 2.2);
         g.drawRoundedRect(QRectF(14, 13.5, 4, 11), 1.2, 1.2);
         g.drawRect(QRectF(12.5, 22.5, 7, 2));
     }},
    {"order_add", 64,
     [](QPainter &g) {
         g.translate(16, 16);
         g.scale(2.2, 2.2);
         plusMinus(g, QPointF(0, 0), true, kGreen);
     }},
    {"order_sub", 64,
     [](QPainter &g) {
         g.translate(16, 16);
         g.scale(2.2, 2.2);
         plusMinus(g, QPointF(0, 0), false, kRed);
     }},
    {"kvr-analysis", 64, appIcon},
    // The pen cursor: the tip sits at the bottom-left corner (hot spot 0, 31).
    {"edit2", 32,
     [](QPainter &g) {
         g.translate(1, 31);
         g.rotate(-45);
         g.setPen(pen(Qt::black, 1.2));
         g.setBrush(QColor(0xf6, 0xd3, 0x6b));
         QPainterPath tip;
         tip.moveTo(0, 0);
         tip.lineTo(8, -3.5);
         tip.lineTo(8, 3.5);
         tip.closeSubpath();
         g.drawPath(tip);
         g.setBrush(kBlue);
         g.drawRect(QRectF(8, -3.5, 22, 7));
         g.setBrush(QColor(0xe8, 0x8a, 0x9a));
         g.drawRect(QRectF(30, -3.5, 5, 7));
         g.setPen(Qt::NoPen);
         g.setBrush(Qt::black);
         QPainterPath lead;
         lead.moveTo(0, 0);
         lead.lineTo(3, -1.3);
         lead.lineTo(3, 1.3);
         lead.closeSubpath();
         g.drawPath(lead);
     }},
};

// Desktop icons by freedesktop context, drawn at every hicolor size.
struct ThemeIcon {
    const char *context;
    const char *name;
    Draw draw;
};

const ThemeIcon kThemeIcons[] = {
    {"apps", "kvr-analysis", appIcon},
    {"mimetypes", "application-x-kvr-survey", surveyFileIcon},
};

const int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

bool writeIcon(const Draw &draw, int size, const QString &file)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter g(&image);
        g.setRenderHint(QPainter::Antialiasing);
        if (size != 32)
            g.scale(size / 32.0, size / 32.0);
        draw(g);
    }
    if (!QDir().mkpath(QFileInfo(file).absolutePath()) || !image.save(file, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const bool theme = argc == 3 && std::strcmp(argv[1], "--theme") == 0;
    if (argc != 2 && !theme) {
        std::fprintf(stderr, "usage: %s [--theme] OUTDIR\n", argv[0]);
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[argc - 1]) + QLatin1Char('/');
    if (theme) {
        for (const ThemeIcon &icon : kThemeIcons)
            for (int size : kThemeSizes)
                if (!writeIcon(icon.draw, size,
                               outDir + QStringLiteral("%1x%1/%2/%3.png").arg(size).arg(icon.context, icon.name)))
                    return 1;
        return 0;
    }
    for (const Icon &icon : kIcons)
        if (!writeIcon(icon.draw, icon.size, outDir + QLatin1String(icon.name) + QStringLiteral(".png")))
            return 1;
    return 0;
}
