#include "widgets/minisplitter.h"
#include "widgets/progressdialog.h"
#include "widgets/showaboutdialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

class TestSmallWidgets : public QObject
{
    Q_OBJECT
private slots:
    void progressDialog();
    void progressDialogExitRejects();
    void aboutDialog();
    void miniSplitter_data();
    void miniSplitter();
};

void TestSmallWidgets::progressDialog()
{
    ProgressDialog dlg;
    QCOMPARE(dlg.objectName(), QStringLiteral("ProgressDialog"));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("进度"));
    QVERIFY(dlg.windowFlags() & Qt::WindowStaysOnTopHint);
    auto *label = dlg.findChild<QLabel *>(QStringLiteral("labelProgress"));
    auto *bar = dlg.findChild<QProgressBar *>();
    QVERIFY(label && bar);

    dlg.setProgress(45);
    dlg.setPrompt(QStringLiteral("正在生成报告"));
    QCOMPARE(label->text(), QStringLiteral("45%"));
    QCOMPARE(bar->value(), 45);
    QCOMPARE(dlg.progress(), 45);
    QCOMPARE(dlg.prompt(), QStringLiteral("正在生成报告"));

    dlg.reset();
    QCOMPARE(label->text(), QString());
    QCOMPARE(dlg.prompt(), QString());
    QCOMPARE(bar->value(), 0);
}

void TestSmallWidgets::progressDialogExitRejects()
{
    ProgressDialog dlg;
    QVERIFY(dlg.exitButton()->isHidden());
    dlg.show();
    dlg.exitButton()->show();
    QSignalSpy rejected(&dlg, &QDialog::rejected);
    QTest::mouseClick(dlg.exitButton(), Qt::LeftButton);
    QCOMPARE(rejected.count(), 1);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(!dlg.isVisible());
}

void TestSmallWidgets::aboutDialog()
{
    ShowAboutDialog dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("关于软件"));
    auto *version = dlg.findChild<QLabel *>(QStringLiteral("labelSoftwareVersion"));
    auto *name = dlg.findChild<QLabel *>(QStringLiteral("labelSoftwareName"));
    QVERIFY(version && name);
    QCOMPARE(version->text(), QStringLiteral("ORG V1.1.6472"));
    QVERIFY(!name->text().isEmpty());
    QVERIFY(!(dlg.windowFlags() & Qt::WindowContextHelpButtonHint));

    dlg.setWindowTitle(QStringLiteral("x"));
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&dlg, &change);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("关于软件"));
}

void TestSmallWidgets::miniSplitter_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<QRect>("margins"); // left, top, right, bottom
    QTest::newRow("horizontal") << int(Qt::Horizontal) << QRect(2, 0, 2, 0);
    QTest::newRow("vertical") << int(Qt::Vertical) << QRect(0, 2, 0, 2);
}

void TestSmallWidgets::miniSplitter()
{
    QFETCH(int, orientation);
    QFETCH(QRect, margins);
    MiniSplitter splitter {Qt::Orientation(orientation)};
    splitter.addWidget(new QWidget);
    splitter.addWidget(new QWidget);
    splitter.resize(300, 300);
    splitter.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splitter));

    QCOMPARE(splitter.handleWidth(), 1);
    QVERIFY(!splitter.childrenCollapsible());
    auto *handle = qobject_cast<MiniSplitterHandle *>(splitter.handle(1));
    QVERIFY(handle);
    QCOMPARE(handle->orientation(), Qt::Orientation(orientation));
    QVERIFY(handle->testAttribute(Qt::WA_MouseNoMask));
    const QMargins m = handle->contentsMargins();
    QCOMPARE(QRect(m.left(), m.top(), m.right(), m.bottom()), margins);
    QCOMPARE(handle->mask(), QRegion(handle->contentsRect()));
}

QTEST_MAIN(TestSmallWidgets)
#include "test_smallwidgets.moc"
