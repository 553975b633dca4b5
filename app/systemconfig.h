// Process-wide persistent configuration ("param_config.xml").
// Every setter writes its key to the file at once.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

class QDomElement;

// Report fields shown on the printed page and in the Word report.
struct ProjectParams {
    QString strTitleName;
    QString strGD;
    QString strReportNum;
    QString strProject;
    QString strClient;
    QString strPileNum;
    QString strDateDetect;
    QString strDevice;
    float fPileDepth = 0.0f;
    float fElevation = 0.0f;
    float fPileDiameter = 0.0f;
    QString strPileType;
    QString strPurpose;
    int strStandard = 0; // an index into the standard list, despite the name
    QString strReault;
    QString strPerson;
    QString strCheck;
    QString strDateReport;
    // The check zone below the pile tip: max(fZoneMultiplier x pile
    // diameter, fZoneMinimumM metres).
    float fZoneMultiplier = 3.0f;
    float fZoneMinimumM = 5.0f;
};

// The fixed caption of each report field (translatable).
struct ProjectParamCaptions {
    QString strGD, strReportNum, strProject, strClient, strPileNum, strDateDetect, strDevice, fPileDepth, fElevation,
        fPileDiameter, strPileType, strPurpose, strStandard, strReault, strPerson, strCheck, strDateReport;
};

extern ProjectParams sProjectParams;

class SystemConfig
{
public:
    static SystemConfig &instance();

    // Loads the file, repairing or creating it as needed.
    void init(const QString &path);
    QString path() const { return m_path; }
    // Why the last init() could not use the file as it was (too large, too
    // deep, unparsable, not a file ...), and what it did instead; empty
    // when the file was fine, missing or only repaired.
    QString loadProblem() const { return m_loadProblem; }

    QString getLastOpenFilePath() const { return m_strLastOpenFilePath; }
    bool isWaveStyleFill() const { return m_blIsWaveStyleFill; }
    bool isBgColorBlack() const { return m_blIsBgColorBlack; }
    bool isNormalized() const { return m_blNormalized; }
    // The wave list as variable density (grey columns) instead of wiggles.
    bool isVariableDensity() const { return m_blIsVariableDensity; }
    int getMaxSamplePoints() const { return m_nMaxSamplePoints; }
    // The interface language chosen under 帮助 → 语言: "zh", "en" or "system"
    // (app/language.h reads it); takes effect at the next start.
    QString languageSetting() const { return m_strLanguage; }
    const ProjectParamCaptions &captions() const { return m_captions; }

    // Each returns whether the key reached the file; the value is kept in
    // memory either way.
    bool setLastOpenFilePath(const QString &path);
    bool setWaveStyleFill(bool on);
    bool setBgColorBlack(bool on);
    bool setNormalized(bool on);
    bool setVariableDensity(bool on);
    bool setLanguageSetting(const QString &setting);
    bool saveProjectParams();       // keys 4..21, 24 and 25
    void setMaxSamplePoints(int n); // clamped to 1024..4096, not persisted
    bool saveKey(int index);        // one key, or all with -1

    static int keyCount();
    static QString keyName(int index);

    // Restores the built-in values in memory (used by tests).
    void resetToBuiltIn();

    // Makes every following file write accept at most `bytes` bytes, as a
    // full disk would; -1 restores normal writing. For tests only.
    static void setWriteLimitForTesting(qint64 bytes);
    // Keeps the file in `files` (name -> bytes) instead of on disk, the
    // moved-aside ".bad" copy too; nullptr returns to the disk. For tests
    // and fuzzing only: no link or file-type checks apply there.
    static void setMemoryFilesForTesting(QHash<QString, QByteArray> *files);

private:
    SystemConfig();
    void applyDefaults();
    void readValues(const QDomElement &sysconfig);
    bool writeKeys(int first, int last);
    QString valueText(int index) const;
    static QString commentText(int index);

    QString m_path;
    QString m_loadProblem;
    QString m_strLastOpenFilePath;
    bool m_blIsWaveStyleFill = false;
    bool m_blIsBgColorBlack = true;
    bool m_blNormalized = false;
    bool m_blIsVariableDensity = false;
    QString m_strLanguage = QStringLiteral("system");
    int m_nMaxSamplePoints = 4096;
    ProjectParamCaptions m_captions;
};
