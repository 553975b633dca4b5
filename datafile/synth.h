// Synthetic original surveys: what the borehole instrument would record over
// a pile bottom with caves at chosen depths. Deterministic for a given seed.
#pragma once

#include "datafile/records.h"

#include <QList>
#include <QPair>
#include <QString>

struct SynthOptions {
    int points = 12;    // measure points (wave groups)
    int samples = 2048; // samples per wave, 1024..4096
    quint32 seed = 1;
    QString version = QStringLiteral("1.1.2736"); // written after "V" of "ARD-ORG V"
    QList<QPair<int, int>> missing;               // (point, channel) pairs not recorded
    bool fourthChannel = false;                   // also record block 3
    QList<double> caveDepths = {2.5, 4.2};        // metres below the hole bottom
    float waveSpeed = 4000.0f;                    // m/s, varied a little per point
    int initialGain = 2;                          // carried by the header tag
    float noise = 300.0f;                         // standard deviation of the noise, sample units
};

struct SynthSurvey {
    FileHeadPtr head;
    WaveGroupList groups;
};

SynthSurvey synthesizeSurvey(const SynthOptions &options);

// Writes the survey as an original file. False with `error` set on failure.
bool writeSynthSurvey(const QString &path, const SynthOptions &options, QString *error = nullptr);
