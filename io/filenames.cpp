#include "filenames.h"

#include <QList>
#include <QTextCodec>

namespace kvrio {

namespace {

constexpr ushort kEscapeBase = 0xDC00; // stray byte b becomes U+DC00 + b (b >= 0x80)

class ByteKeepingUtf8Codec : public QTextCodec
{
public:
    QByteArray name() const override { return QByteArrayLiteral("UTF-8 (byte-preserving)"); }
    QList<QByteArray> aliases() const override { return {}; }
    int mibEnum() const override { return -4106; } // private: not a registered character set

protected:
    // Bytes of an incomplete sequence at the end of one chunk wait in the
    // state for the next chunk (text streams decode in pieces).
    QString convertToUnicode(const char *in, int length, ConverterState *state) const override
    {
        QByteArray bytes;
        if (state && state->remainingChars > 0) {
            for (int i = 0; i < state->remainingChars; ++i)
                bytes.append(char(state->state_data[i]));
            state->remainingChars = 0;
        }
        bytes.append(in, length);
        QString out;
        out.reserve(bytes.size());
        const uchar *p = reinterpret_cast<const uchar *>(bytes.constData());
        const int n = bytes.size();
        int i = 0;
        while (i < n) {
            const uchar c = p[i];
            if (c < 0x80) {
                out.append(QChar(ushort(c)));
                ++i;
                continue;
            }
            int need = 0;
            uint cp = 0;
            uint min = 0;
            if ((c & 0xE0) == 0xC0) {
                need = 1;
                cp = c & 0x1F;
                min = 0x80;
            } else if ((c & 0xF0) == 0xE0) {
                need = 2;
                cp = c & 0x0F;
                min = 0x800;
            } else if ((c & 0xF8) == 0xF0) {
                need = 3;
                cp = c & 0x07;
                min = 0x10000;
            } else {
                out.append(QChar(ushort(kEscapeBase + c)));
                ++i;
                continue;
            }
            if (i + need >= n && state) {
                // The chunk ends inside what may be a sequence: the rest
                // comes with the next chunk.
                bool prefix = true;
                for (int k = i + 1; k < n; ++k)
                    prefix = prefix && (p[k] & 0xC0) == 0x80;
                if (prefix) {
                    state->remainingChars = n - i;
                    for (int k = 0; k < n - i; ++k)
                        state->state_data[k] = p[i + k];
                    break;
                }
            }
            bool ok = i + need < n;
            for (int k = 1; ok && k <= need; ++k) {
                if ((p[i + k] & 0xC0) != 0x80)
                    ok = false;
                else
                    cp = (cp << 6) | (p[i + k] & 0x3F);
            }
            // Overlong forms, surrogates and values past U+10FFFF are not
            // UTF-8: their bytes are kept one by one.
            if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                out.append(QChar(ushort(kEscapeBase + c)));
                ++i;
                continue;
            }
            if (cp >= 0x10000) {
                out.append(QChar(QChar::highSurrogate(cp)));
                out.append(QChar(QChar::lowSurrogate(cp)));
            } else {
                out.append(QChar(ushort(cp)));
            }
            i += need + 1;
        }
        return out;
    }

    QByteArray convertFromUnicode(const QChar *in, int length, ConverterState *state) const override
    {
        QByteArray out;
        out.reserve(length * 3);
        int i = 0;
        // A high surrogate that ended the previous chunk.
        if (state && state->remainingChars > 0 && length > 0) {
            const ushort high = ushort(state->state_data[0]);
            state->remainingChars = 0;
            if (QChar::isLowSurrogate(in[0].unicode())) {
                appendCodePoint(out, QChar::surrogateToUcs4(high, in[0].unicode()));
                i = 1;
            } else {
                out.append('?');
                ++state->invalidChars;
            }
        }
        for (; i < length; ++i) {
            const ushort u = in[i].unicode();
            if (QChar::isHighSurrogate(u)) {
                if (i + 1 < length && QChar::isLowSurrogate(in[i + 1].unicode())) {
                    appendCodePoint(out, QChar::surrogateToUcs4(u, in[i + 1].unicode()));
                    ++i;
                } else if (i + 1 == length && state) {
                    state->remainingChars = 1;
                    state->state_data[0] = u;
                } else {
                    out.append('?');
                    if (state)
                        ++state->invalidChars;
                }
            } else if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF) {
                out.append(char(u - kEscapeBase)); // a stray byte, as it was
            } else if (QChar::isLowSurrogate(u)) {
                out.append('?');
                if (state)
                    ++state->invalidChars;
            } else {
                appendCodePoint(out, u);
            }
        }
        return out;
    }

private:
    static void appendCodePoint(QByteArray &out, uint cp)
    {
        if (cp < 0x80) {
            out.append(char(cp));
        } else if (cp < 0x800) {
            out.append(char(0xC0 | (cp >> 6)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.append(char(0xE0 | (cp >> 12)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else {
            out.append(char(0xF0 | (cp >> 18)));
            out.append(char(0x80 | ((cp >> 12) & 0x3F)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        }
    }
};

} // namespace

QTextCodec *fileNameCodec()
{
    // Qt owns registered codecs and deletes them at exit.
    static QTextCodec *codec = new ByteKeepingUtf8Codec;
    return codec;
}

void installFileNameCodec()
{
#if defined(Q_OS_UNIX)
    QTextCodec::setCodecForLocale(fileNameCodec());
#else
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
#endif
}

} // namespace kvrio
