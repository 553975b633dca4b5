#include "measurementmodel.h"

#include <QtDebug>

WaveAnalyzeInfoPtr MeasurementModel::waveAnalyzeInfoAt(int i) const
{
    return (i >= 0 && i < m_infos.size()) ? m_infos.at(i) : WaveAnalyzeInfoPtr();
}

WaveGroupPtr MeasurementModel::waveGroupAt(int m) const
{
    return (m >= 0 && m < m_groups.size()) ? m_groups.at(m) : WaveGroupPtr();
}

WaveGroupPtr MeasurementModel::filterWaveGroupAt(int m) const
{
    return (m >= 0 && m < m_filtered.size()) ? m_filtered.at(m) : WaveGroupPtr();
}

FftInfoPtr MeasurementModel::fftInfoAt(int m) const
{
    return (m >= 0 && m < m_ffts.size()) ? m_ffts.at(m) : FftInfoPtr();
}

bool MeasurementModel::setFocusIndex(int i)
{
    if (i == 0 || (i > 0 && i < m_infos.size())) {
        m_focus = i;
        return true;
    }
    return false;
}

void MeasurementModel::clearWaveData()
{
    m_groups.clear();
    m_filtered.clear();
    m_infos.clear();
    m_ffts.clear();
}

void MeasurementModel::addWaveAnalyzeInfo(const WaveAnalyzeInfoPtr &a)
{
    if (!a)
        return;
    if (a->blUserOrder) {
        m_infos.append(a);
        return;
    }
    int at = 0;
    while (at < m_infos.size() && !(m_infos.at(at)->fChannelAngle > a->fChannelAngle))
        ++at;
    m_infos.insert(at, a);
}

bool MeasurementModel::moveFocus(int step)
{
    const int to = m_focus + step;
    if (to < 0 || to >= m_infos.size())
        return false;
    m_focus = to;
    return true;
}

bool MeasurementModel::swap(int step)
{
    const int to = m_focus + step;
    if (m_focus < 0 || m_focus >= m_infos.size() || to < 0 || to >= m_infos.size())
        return false;
    m_infos.swapItemsAt(m_focus, to);
    m_focus = to;
    // Every record, not only when the first lacks the flag: a file with the
    // flag on some records only would otherwise reopen in another order.
    for (const auto &a : qAsConst(m_infos))
        a->blUserOrder = 1;
    return true;
}

void MeasurementModel::replaceWaveAnalyzeInfoList(const WaveAnalyzeInfoList &list)
{
    m_infos = list;
    m_focus = qBound(0, m_focus, qMax(0, m_infos.size() - 1));
}

bool MeasurementModel::deleteChannel(int index, FileHead &head)
{
    qDebug("pShowWaveDataWidget->getWaveAnalyzeInfoList().size() ... %d", m_infos.size());
    if (index < 0 || index >= m_infos.size())
        return false;
    const WaveGroupList groups = m_groups;
    const WaveGroupList filtered = m_filtered;
    WaveAnalyzeInfoList anaInfoBak = m_infos;
    const FftInfoList fftInfoListBak = m_ffts;
    if (anaInfoBak.size() == 1)
        return false;

    anaInfoBak.removeAt(index);
    head.deleteChannelCnt += 1;
    head.modifyFlags |= ModTypeOrVersion;

    clearWaveData();
    for (int i = 0; i < groups.size(); ++i) {
        addWaveGroup(groups.at(i));
        if (i < filtered.size())
            addFilterWaveGroup(filtered.at(i));
        if (i < fftInfoListBak.size())
            addFftInfo(fftInfoListBak.at(i));
    }
    qDebug("pAnaInfoBak.size(), pFftInfoListBak.size() ... %d, %d", anaInfoBak.size(), fftInfoListBak.size());
    for (const auto &a : qAsConst(anaInfoBak))
        addWaveAnalyzeInfo(a);

    qDebug("onDeleteCurWaveGroup: 删除后 ... %d", m_infos.size());
    m_focus = (index + 1 < m_infos.size()) ? index : 0;
    return true;
}

int MeasurementModel::maxSamplePoints() const
{
    int n = 0;
    for (const auto &g : m_groups)
        n = qMax(n, g->head.nSamplePoints);
    return n;
}
