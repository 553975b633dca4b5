// Print control record: page header/footer, page number, report fonts and
// page margins. Lives in memory only and starts from fixed defaults.
#pragma once

#include <QFont>
#include <QString>

struct PrintCtrlParams {
    bool blPageHeader = false;
    bool blPageFooter = false;
    bool blPageNum = false;
    QString strPageHeader;
    QString strPageFooter;
    QString strPrinterName;
    QFont fontPageHeader;
    QFont fontPageFooter;
    QFont fontCoordinate;
    QFont fontParam;
    QFont fontResult;
    int nPageHeaderPos = 0; // 0 left, 1 centre, 2 right
    int nPageFooterPos = 0;
    int nPageNumStyle = 0; // 0 ".1.", 1 "-1-", 2 " 1 ", 3 "第1页", 4 "第1页 共1页"
    int nPageNumPos = 0;   // 0..2 header left/centre/right, 3..5 footer left/centre/right
    int nResolution = 300; // DPI of PDF output

    // Report title line above the information table (setup dialog "标题").
    bool blTitle = true;
    QFont fontTitle;
    // Page margins in millimetres from the setup dialog; -1 keeps the
    // built-in layout margins.
    int nMarginLeft = -1;
    int nMarginRight = -1;
    int nMarginTop = -1;
    int nMarginBottom = -1;
    // "简要页": the short information table of the header fields and the
    // result box as typed, for reports filled in by hand.
    bool blBriefPage = false;

    PrintCtrlParams();
};

extern PrintCtrlParams sPrintCtrlParams;

// The page number text for page `page` of `count` in style `style`.
QString pageNumberText(int style, int page, int count);
