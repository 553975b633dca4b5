// Small helpers for building survey files and poking bytes into them.
#pragma once

#include "datafile/kvrdocument.h"
#include "datafile/synth.h"

#include <QFile>
#include <QtEndian>

namespace fixtures {

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline void putI32(QByteArray &b, qint64 offset, qint32 v) { qToLittleEndian<qint32>(v, b.data() + offset); }

inline void putF32(QByteArray &b, qint64 offset, float v) { qToLittleEndian<float>(v, b.data() + offset); }

inline qint64 groupOffset(int i) { return FILE_HEAD_SIZE + qint64(GroupSize) * i; }
inline qint64 blockOffset(int i, int b) { return groupOffset(i) + kWaveGroupHeadSize + qint64(kWaveBlockSize) * b; }
inline qint64 recordOffset(int groups, int j) { return groupOffset(groups) + qint64(AnaDataSize) * j; }

// A synthetic original survey written to `path`.
inline QString makeOriginal(const QString &path, const SynthOptions &o = SynthOptions())
{
    QString error;
    return writeSynthSurvey(path, o, &error) ? path : QString();
}

// The same survey after one pass through the application: an analysis file.
inline QString makeAnalysis(const QString &path, const SynthOptions &o = SynthOptions())
{
    if (makeOriginal(path, o).isEmpty())
        return QString();
    KvrDocument doc;
    if (!doc.open(path).ok || !doc.save().ok)
        return QString();
    return path;
}

} // namespace fixtures
