#include "textcheck.h"

namespace kvrio {

namespace {

bool isAllowedControl(ushort c) { return c == '\t' || c == '\n' || c == '\r'; }

// The length of the character at `i` when it may stay, 0 when it must go.
int keptLength(const QString &text, int i)
{
    const ushort c = text.at(i).unicode();
    if (QChar::isHighSurrogate(c))
        return i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode()) ? 2 : 0;
    if (QChar::isLowSurrogate(c))
        return 0;
    if ((c < 0x20 && !isAllowedControl(c)) || c == 0x7f || c == 0xfffe || c == 0xffff)
        return 0;
    return 1;
}

} // namespace

bool isCleanText(const QString &text)
{
    for (int i = 0; i < text.size();) {
        const int n = keptLength(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

QString cleanText(const QString &text, bool *changed)
{
    QString out;
    out.reserve(text.size());
    bool dropped = false;
    for (int i = 0; i < text.size();) {
        const int n = keptLength(text, i);
        if (n == 0) {
            dropped = true;
            ++i;
            continue;
        }
        out += text.mid(i, n);
        i += n;
    }
    if (changed)
        *changed = dropped;
    return dropped ? out : text;
}

} // namespace kvrio
