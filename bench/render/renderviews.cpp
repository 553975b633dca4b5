#include "renderviews.h"

#include "app/systemconfig.h"
#include "views/kvrmultiwaveassistantwidget.h"
#include "views/kvrsinglewaveassistantwidget.h"

#include <QDir>
#include <QImage>

namespace {
bool savePicture(QWidget &w, const QString &path)
{
    QImage img(w.size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(w.palette().color(QPalette::Window));
    w.render(&img);
    return img.save(path, "PNG");
}
} // namespace

QStringList renderViewShots(const QString &outDir, const FileHeadPtr &head, const WaveGroupList &groups,
                            const WaveGroupList &filtered, const WaveAnalyzeInfoList &infos, const FftInfoList &ffts,
                            int focusIndex, int flawPos)
{
    QStringList written;
    if (infos.isEmpty() || focusIndex < 0 || focusIndex >= infos.size() || !QDir().mkpath(outDir))
        return written;
    WaveAnalyzeInfoList shown = infos;
    if (shown.at(focusIndex)->nFlawPos == kNoValue || shown.at(focusIndex)->nFlawPos < 0) {
        shown[focusIndex] = deepCopy(*shown.at(focusIndex));
        shown[focusIndex]->nFlawPos = flawPos;
    }

    SystemConfig &cfg = SystemConfig::instance();
    const bool wasBlack = cfg.isBgColorBlack();
    const bool wasFill = cfg.isWaveStyleFill();
    const QDir dir(outDir);
    auto save = [&](QWidget &w, const QString &name) {
        const QString path = dir.filePath(name);
        if (savePicture(w, path))
            written << path;
    };

    KvrMultiWaveAssistantWidget list;
    list.resize(1200, 700);
    list.setFileHead(head);
    list.setWaveData(groups, filtered, shown, ffts, focusIndex);
    KvrSingleWaveAssistantWidget focused;
    focused.resize(1200, 420);
    focused.setFileHead(head);
    focused.setWaveData(groups, filtered, shown, ffts, focusIndex);
    focused.setShowWaveIdx(2);

    cfg.setWaveStyleFill(true);
    for (bool black : {false, true}) {
        cfg.setBgColorBlack(black);
        const QString bg = black ? QStringLiteral("black") : QStringLiteral("white");
        list.setCursorPos(QPoint(400, 300));
        save(list, QStringLiteral("wavelist-%1-fill.png").arg(bg));
        focused.setCursorPos(QPoint(-1, -1));
        save(focused, QStringLiteral("focused-curve-%1.png").arg(bg));
    }
    cfg.setBgColorBlack(false);
    focused.onDispTypeChanged();
    focused.setCursorPos(QPoint(300, 120));
    save(focused, QStringLiteral("focused-spectrum-white.png"));

    cfg.setBgColorBlack(wasBlack);
    cfg.setWaveStyleFill(wasFill);
    return written;
}
