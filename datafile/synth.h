// Synthetic original surveys: what the borehole instrument would record over
// a pile bottom with caves at chosen depths. Deterministic for a given seed.
//
// Every recorded wave is the direct pulse (with an optional ringing tail),
// the echoes of the caves under its measure point and noise. Besides the
// file records the generator returns what it put in: for every wave the
// arrival and the peak amplitude of each echo and the noise level, so that
// detectors can be measured against it.
#pragma once

#include "datafile/records.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVector>

// Shape of the emitted pulse and of its echoes.
enum class SynthWavelet {
    Gabor,      // cosine under a Gaussian, symmetric about its centre
    Ricker,     // second derivative of a Gaussian: one strong lobe, broadband
    DampedSine, // starts at once and dies away exponentially (a ringing transducer)
    ToneBurst,  // a few cycles under a Hann window
};

// A cave under a run of measure points, seen by some of their channels.
struct SynthCave {
    double depth = 3.0;  // metres from the hole bottom to the cave top, at firstPoint
    double dip = 0.0;    // change of that depth per measure point, metres
    double height = 0.8; // metres from top to bottom; 0: no bottom echo
    int firstPoint = 0;  // measure points firstPoint..lastPoint see the cave
    int lastPoint = 0;
    int channelMask = 0x7;     // bit c set: channel c sees it
    double amplitude = 3000.0; // peak amplitude of the top echo before attenuation, sample units
    double bottomRatio = 0.5;  // amplitude of the bottom echo relative to the top
    // Shape of its echoes (a SynthWavelet), -1: the pulse's own; and their
    // frequency over the pulse's, 0: drawn from 0.8..1.0.
    int echoWavelet = -1;
    double echoFrequencyRatio = 0.0;
};

// Parts of a wave, to render them apart (for measuring echo and noise levels).
enum SynthPart { SynthDirect = 0x1, SynthEchoes = 0x2, SynthNoise = 0x4, SynthAllParts = 0x7 };

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
    float noise = 300.0f;                         // standard deviation of the white noise, sample units

    // When not empty, these caves replace the layout of `caveDepths` (which
    // spreads each depth over the middle points, fading to the sides). Each
    // explicit cave echo gets its own jitter of depth, amplitude (x0.75..1.25),
    // polarity and frequency (x0.8..1.0: the ground damps high frequencies).
    QList<SynthCave> caves;
    SynthWavelet wavelet = SynthWavelet::Gabor;
    double frequency = 10000.0;      // Hz, centre frequency of the pulse
    double bandwidth = 0.25;         // relative bandwidth: the pulse lasts about 1/(bandwidth x frequency)
    double pulseAmplitude = 20000.0; // direct pulse; above 32767 it is clipped
    double ringing = 0.0;            // ringing after the direct pulse, relative to its amplitude
    double ringingDecay = 0.2e-3;    // s, time for the ringing to fall to 1/e
    // How the direct pulse differs between waves, as it does in the field:
    // each channel's transducer rings in its own way (amplitude and decay
    // x(1 +- ringingSpread), frequency 0.85..0.95 of the pulse's, its own
    // phase), and from wave to wave the pulse moves by up to +-pulseJitter
    // seconds and its strength and ringing by +-pulseSpread (relative).
    // Drawn apart from everything else: zero leaves the survey as it was.
    double ringingSpread = 0.0;
    double pulseJitter = 0.0;
    double pulseSpread = 0.0;
    double attenuation = 3.0; // the wave is divided by 1 + attenuation x (sample / samples)
    float bandNoise = 0.0f;   // standard deviation of noise inside the pulse's band
    int lowFreq = 5000;       // recorded band, Hz (the filter cut-offs of the analysis)
    int highFreq = 15000;
    int parts = SynthAllParts; // SynthPart bits to render; the random draws do not depend on it
};

// One echo as recorded: `arrival` is the first sample at which the echo alone
// (noise-free, after attenuation) reaches half of its peak absolute amplitude.
struct SynthEcho {
    int arrival = -1;
    double peak = 0.0; // largest absolute amplitude of the echo alone, sample units
};

struct SynthWaveTruth {
    int point = 0;
    int channel = 0;
    QVector<SynthEcho> echoes; // in time order
    double noiseStd = 0.0;     // standard deviation of all noise (white and in-band)
};

struct SynthSurvey {
    FileHeadPtr head;
    WaveGroupList groups;
    QVector<SynthWaveTruth> truth; // one per recorded channel CH1..CH3, by point then channel
};

SynthSurvey synthesizeSurvey(const SynthOptions &options);

// Writes the survey as an original file. False with `error` set on failure.
bool writeSynthSurvey(const QString &path, const SynthOptions &options, QString *error = nullptr);
