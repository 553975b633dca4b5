#include "printctrlparams.h"

PrintCtrlParams sPrintCtrlParams;

static QFont reportFont(int pointSize)
{
    QFont f(QStringLiteral("微软雅黑"));
    f.setPointSize(pointSize);
    return f;
}

PrintCtrlParams::PrintCtrlParams()
    : fontPageHeader(reportFont(13))
    , fontPageFooter(reportFont(13))
    , fontCoordinate(reportFont(8))
    , fontParam(reportFont(10))
    , fontResult(reportFont(10))
    , fontTitle(reportFont(16))
{
    fontTitle.setBold(true);
}

QString pageNumberText(int style, int page, int count)
{
    switch (style) {
    case 1: return QStringLiteral("-%1-").arg(page);
    case 2: return QStringLiteral(" %1 ").arg(page);
    case 3: return QStringLiteral("第%1页").arg(page);
    case 4: return QStringLiteral("第%1页 共%2页").arg(page).arg(count);
    default: return QStringLiteral(".%1.").arg(page);
    }
}
