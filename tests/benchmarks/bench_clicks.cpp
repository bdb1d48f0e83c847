#include "formhelpers.h"
#include "mainwindow.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <memory>

// One full click on each page's button, as a person makes it: the slot reads
// the fields, parses, computes, formats and sets the labels. The debug lines
// are still composed but not written out, so the terminal's speed stays out
// of the figure.
class ClicksBenchmark : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fovClick();
    void distanceClick();

private:
    template <typename T>
    T *field(const char *name) const
    {
        return formWidget<T>(m_window.get(), name);
    }

    std::unique_ptr<MainWindow> m_window;
};

namespace {

void dropDebugLines(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
}

} // namespace

void ClicksBenchmark::initTestCase()
{
    qInstallMessageHandler(dropDebugLines);
}

void ClicksBenchmark::init()
{
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void ClicksBenchmark::cleanup()
{
    m_window.reset();
}

void ClicksBenchmark::fovClick()
{
    auto *presets = field<QComboBox>("resolutionComboBox");
    presets->setCurrentIndex(presets->findText(QStringLiteral("1920*1080")));
    auto *focalLength = field<QLineEdit>("focalLineText");
    field<QLineEdit>("pixelSizeLineEdit")->setText(QStringLiteral("2.9"));
    auto *button = field<QPushButton>("caluPushButton");
    const QString focalLengths[] = {QStringLiteral("6"), QStringLiteral("4")};
    int round = 0;
    QBENCHMARK {
        focalLength->setText(focalLengths[++round % 2]);
        button->click();
    }
    focalLength->setText(QStringLiteral("4"));
    button->click();
    QCOMPARE(field<QLabel>("resultH")->text(), QStringLiteral("69.6758\u00B0"));
}

void ClicksBenchmark::distanceClick()
{
    // The target sizes keep the page's defaults.
    auto *fieldOfView = field<QLineEdit>("hFOVLineText");
    field<QLineEdit>("hResLineText")->setText(QStringLiteral("1920"));
    auto *button = field<QPushButton>("caluPushButton1");
    const QString fieldsOfView[] = {QStringLiteral("90"), QStringLiteral("60")};
    int round = 0;
    QBENCHMARK {
        fieldOfView->setText(fieldsOfView[++round % 2]);
        button->click();
    }
    fieldOfView->setText(QStringLiteral("60"));
    button->click();
    QCOMPARE(field<QLabel>("boatResult4")->text(), QStringLiteral("332.55m"));
}

QTEST_MAIN(ClicksBenchmark)

#include "bench_clicks.moc"
