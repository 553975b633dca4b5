#include "reportdata.h"

static WaveGroupList copyGroups(const WaveGroupList &src)
{
    WaveGroupList out;
    out.reserve(src.size());
    for (const auto &g : src)
        out.append(g ? deepCopy(*g) : WaveGroupPtr());
    return out;
}

namespace {

void takeSettings(ReportData *d)
{
    d->project = sProjectParams;
    d->print = sPrintCtrlParams;
    const SystemConfig &cfg = SystemConfig::instance();
    d->blNormalized = cfg.isNormalized();
    d->blIsWaveStyleFill = cfg.isWaveStyleFill();
    d->nSamplePoints = cfg.getMaxSamplePoints();
}

} // namespace

ReportData ReportData::capture(const WaveGroupList &groups, const WaveGroupList &filterGroups,
                               const WaveAnalyzeInfoList &infos, const FileHeadPtr &head)
{
    ReportData d;
    d.waveGroups = groups;
    d.filterWaveGroups = copyGroups(filterGroups);
    for (const auto &a : infos)
        if (a)
            d.infos.append(deepCopy(*a));
    d.head = head ? deepCopy(*head) : newFileHead();
    takeSettings(&d);
    return d;
}

ReportData ReportData::borrow(const WaveGroupList &groups, const WaveGroupList &filterGroups,
                              const WaveAnalyzeInfoList &infos, const FileHeadPtr &head)
{
    ReportData d;
    d.waveGroups = groups;
    d.filterWaveGroups = filterGroups;
    for (const auto &a : infos)
        if (a)
            d.infos.append(a);
    d.head = head ? head : newFileHead();
    takeSettings(&d);
    return d;
}
