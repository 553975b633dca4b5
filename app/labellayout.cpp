#include "labellayout.h"

#include <QSet>
#include <algorithm>
#include <cmath>

namespace {

struct Item {
    int index;
    double want; // wanted centre, inside the bounds
    double extent;
    double pos = 0;
};

double clampCenter(double c, double extent, double low, double high)
{
    const double lo = low + extent / 2;
    const double hi = high - extent / 2;
    if (lo > hi)
        return (low + high) / 2;
    return std::min(std::max(c, lo), hi);
}

bool clash(double c1, double e1, double c2, double e2, double gap)
{
    return std::abs(c1 - c2) < (e1 + e2) / 2 + gap - 1e-9;
}

// Lays the items (sorted by wanted centre) out so that none overlaps:
// every run of crowded items becomes one compact block centred, as well as
// the bounds allow, on the items' wanted centres.
void pack(QVector<Item> &items, double gap, double low, double high)
{
    struct Block {
        int first;
        int last;
        double length;    // from the first item's leading edge to the last's trailing edge
        double sumTarget; // sum over the members of (wanted centre - offset in the block)
        double start;
    };
    auto place = [low, high](Block &b) {
        const int n = b.last - b.first + 1;
        b.start = b.sumTarget / n;
        b.start = std::min(b.start, high - b.length);
        b.start = std::max(b.start, low);
    };
    QVector<Block> blocks;
    for (int i = 0; i < items.size(); ++i) {
        const Item &it = items.at(i);
        Block b {i, i, it.extent, it.want - it.extent / 2, 0};
        place(b);
        while (!blocks.isEmpty() && blocks.last().start + blocks.last().length + gap > b.start) {
            const Block prev = blocks.takeLast();
            const int n = b.last - b.first + 1;
            const double shift = prev.length + gap;
            b = Block {prev.first, b.last, prev.length + gap + b.length, prev.sumTarget + b.sumTarget - n * shift, 0};
            place(b);
        }
        blocks.append(b);
    }
    for (const Block &b : blocks) {
        double edge = b.start;
        for (int i = b.first; i <= b.last; ++i) {
            items[i].pos = edge + items.at(i).extent / 2;
            edge += items.at(i).extent + gap;
        }
    }
}

} // namespace

QVector<LabelPlacement> chooseLabels(const LabelRequest &r)
{
    const int n = r.centers.size();
    if (n == 0 || r.extents.isEmpty())
        return {};
    auto extentOf = [&r](int i) { return r.extents.size() == 1 ? r.extents.first() : r.extents.value(i, 0.0); };

    QVector<Item> all;
    all.reserve(n);
    double maxExtent = 0;
    for (int i = 0; i < n; ++i) {
        const double e = std::max(0.0, extentOf(i));
        all.append(Item {i, clampCenter(r.centers.at(i), e, r.low, r.high), e});
        maxExtent = std::max(maxExtent, e);
    }
    QVector<Item> sorted = all;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Item &a, const Item &b) { return a.want < b.want; });

    auto result = [](QVector<Item> items) {
        std::sort(items.begin(), items.end(), [](const Item &a, const Item &b) { return a.pos < b.pos; });
        QVector<LabelPlacement> out;
        out.reserve(items.size());
        for (const Item &it : items)
            out.append(LabelPlacement {it.index, it.pos});
        return out;
    };

    // Everything fits: every label at its own place. For labels sorted by
    // centre it is enough that neighbours keep apart.
    bool fits = true;
    for (int k = 0; k + 1 < n && fits; ++k)
        fits = !clash(sorted.at(k).want, sorted.at(k).extent, sorted.at(k + 1).want, sorted.at(k + 1).extent, r.gap);
    if (fits) {
        for (Item &it : sorted)
            it.pos = it.want;
        return result(sorted);
    }

    // The important labels first.
    QVector<Item> chosen;
    QSet<int> taken;
    QVector<Item> important;
    double room = r.high - r.low;
    double used = 0;
    for (int p : r.priority) {
        if (p < 0 || p >= n || taken.contains(p))
            continue;
        const Item &it = all.at(p);
        if (r.shiftPriority) {
            const double need = it.extent + (important.isEmpty() ? 0.0 : r.gap);
            if (used + need > room + 1e-9)
                continue;
            used += need;
            important.append(it);
            taken.insert(p);
        } else {
            bool free = true;
            for (const Item &c : chosen)
                free = free && !clash(it.want, it.extent, c.pos, c.extent, r.gap);
            if (free) {
                Item placed = it;
                placed.pos = it.want;
                chosen.append(placed);
                taken.insert(p);
            }
        }
    }
    if (r.shiftPriority && !important.isEmpty()) {
        std::stable_sort(important.begin(), important.end(),
                         [](const Item &a, const Item &b) { return a.want < b.want; });
        pack(important, r.gap, r.low, r.high);
        chosen = important;
    }

    // Then an evenly spaced subset of the others: every s-th label, where s
    // is the smallest stride whose spacing holds the largest label.
    const double span = sorted.last().want - sorted.first().want;
    const double spacing = n > 1 ? span / (n - 1) : 0.0;
    int stride = n;
    if (spacing > 0)
        stride = std::max(1, int(std::ceil((maxExtent + r.gap) / spacing - 1e-9)));
    for (int k = 0; k < n; k += stride) {
        const Item &it = sorted.at(k);
        if (taken.contains(it.index))
            continue;
        bool free = true;
        for (const Item &c : chosen) {
            if (clash(it.want, it.extent, c.pos, c.extent, r.gap)) {
                free = false;
                break;
            }
        }
        if (!free)
            continue;
        Item placed = it;
        placed.pos = it.want;
        chosen.append(placed);
        taken.insert(it.index);
    }
    return result(chosen);
}

double niceStep(double least)
{
    if (!(least > 0.0) || !std::isfinite(least))
        return 0.0;
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= least * (1.0 - 1e-12))
            return m * power;
    }
    return 10.0 * power;
}
