#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QMenuBar>
#include <QMetaMethod>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

// The window frame and its class, as the rest of the program relies on them.
class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void frame();
    void cannotBeResized();
    void formKeepsAnExistingObjectName_data();
    void formKeepsAnExistingObjectName();
    void metaObjectHasTheThreePrivateSlots();
    void closingTheWindowEndsTheLoopWithZero();
};

void MainWindowTest::frame()
{
    MainWindow window;

    QCOMPARE(window.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Kavrelo"));
    QCOMPARE(window.size(), QSize(1200, 1200));
    QCOMPARE(window.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    QCOMPARE(window.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);

    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 2);
    QCOMPARE(tabs->tabText(0), QStringLiteral("FOV"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Distance"));
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("tab"));

    QVERIFY(window.menuBar());
    QCOMPARE(window.menuBar()->geometry(), QRect(0, 0, 1200, 21));
    QVERIFY(window.menuBar()->actions().isEmpty());
    QVERIFY(window.statusBar());
    QVERIFY(window.statusBar()->currentMessage().isEmpty());
}

void MainWindowTest::cannotBeResized()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    window.resize(800, 600);
    QCOMPARE(window.size(), QSize(1200, 1200));
    window.resize(1600, 1400);
    QCOMPARE(window.size(), QSize(1200, 1200));
    QCOMPARE(window.minimumSize(), QSize(1200, 1200));
    QCOMPARE(window.maximumSize(), QSize(1200, 1200));
}

void MainWindowTest::formKeepsAnExistingObjectName_data()
{
    QTest::addColumn<QString>("givenName");
    QTest::addColumn<QString>("expectedName");

    // clang-format off
    QTest::addRow("unnamed") << QString() << QStringLiteral("MainWindow");
    QTest::addRow("named") << QStringLiteral("calculator") << QStringLiteral("calculator");
    // clang-format on
}

void MainWindowTest::formKeepsAnExistingObjectName()
{
    QFETCH(QString, givenName);

    QMainWindow window;
    window.setObjectName(givenName);
    Ui::MainWindow form;
    form.setupUi(&window);

    QTEST(window.objectName(), "expectedName");
}

void MainWindowTest::metaObjectHasTheThreePrivateSlots()
{
    const QMetaObject &meta = MainWindow::staticMetaObject;

    QCOMPARE(meta.className(), "MainWindow");
    QCOMPARE(meta.superClass(), &QMainWindow::staticMetaObject);
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    QCOMPARE(meta.enumeratorCount(), meta.enumeratorOffset());
    QCOMPARE(meta.classInfoCount(), meta.classInfoOffset());
    QCOMPARE(meta.constructorCount(), 0);

    const QList<QByteArray> expected{"caluPushButtonClicked()",
                                     "resolutionCurrentIndexChanged(int)",
                                     "caluPushButtonClicked1()"};
    QCOMPARE(meta.methodCount() - meta.methodOffset(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        QCOMPARE(method.methodSignature(), expected.at(i));
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Private);
        QCOMPARE(method.returnType(), int(QMetaType::Void));
    }
    const QMetaMethod withIndex = meta.method(meta.methodOffset() + 1);
    QCOMPARE(withIndex.parameterNames(), QList<QByteArray>{"index"});
}

void MainWindowTest::closingTheWindowEndsTheLoopWithZero()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTimer::singleShot(0, &window, &QWidget::close);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
