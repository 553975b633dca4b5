#include "systemconfig.h"

// Minimal in-memory version; the file persistence comes with the frame work.
ProjectParams sProjectParams;

SystemConfig &SystemConfig::instance()
{
    static SystemConfig config;
    return config;
}

SystemConfig::SystemConfig() { resetToBuiltIn(); }

void SystemConfig::resetToBuiltIn()
{
    m_blIsBgColorBlack = true;
    applyDefaults();
}

void SystemConfig::applyDefaults()
{
    m_blIsWaveStyleFill = false;
    m_blNormalized = false;
    sProjectParams = ProjectParams();
    sProjectParams.strTitleName = QStringLiteral("桥梁基桩桩底检测报告");
    sProjectParams.strDevice = QStringLiteral("KM-LX5521(A)弹性波孔底溶洞探测仪");
}

void SystemConfig::init(const QString &path) { m_path = path; }
bool SystemConfig::setLastOpenFilePath(const QString &p) { m_strLastOpenFilePath = p; return saveKey(0); }
bool SystemConfig::setWaveStyleFill(bool on) { m_blIsWaveStyleFill = on; return saveKey(1); }
bool SystemConfig::setBgColorBlack(bool on) { m_blIsBgColorBlack = on; return saveKey(2); }
bool SystemConfig::setNormalized(bool on) { m_blNormalized = on; return saveKey(3); }
bool SystemConfig::saveProjectParams() { return true; }
void SystemConfig::setMaxSamplePoints(int n) { m_nMaxSamplePoints = qBound(1024, n, 4096); }
bool SystemConfig::saveKey(int) { return true; }
int SystemConfig::keyCount() { return 22; }
QString SystemConfig::keyName(int) { return QString(); }
