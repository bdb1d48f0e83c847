#include "windowfixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <memory>

// One full click on each page's button, as a person makes it: the slot reads
// the fields, parses, computes, formats and sets the labels. Each round also
// edits one input, and that edit counts in the figure. The debug lines are
// still composed but not written out, so the terminal's speed stays out of
// it; painting happens later, in the event loop, and does not count either.
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
    std::unique_ptr<MainWindow> m_window;
};

namespace {

void dropDebugLines(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
}

// A label keeps its text cheaply when it does not change, so each round
// first switches `input` between two texts; the last click leaves `kept`.
void clickRepeatedly(QPushButton *button, QLineEdit *input, const QString &other,
                     const QString &kept)
{
    const QString texts[] = {other, kept};
    int round = 0;
    QBENCHMARK {
        input->setText(texts[++round % 2]);
        button->click();
    }
    input->setText(kept);
    button->click();
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
    const MainWindow *window = m_window.get();
    auto *presets = formWidget<QComboBox>(window, "resolutionComboBox");
    presets->setCurrentIndex(presets->findText(QStringLiteral("1920*1080")));
    formWidget<QLineEdit>(window, "pixelSizeLineEdit")->setText(QStringLiteral("2.9"));
    clickRepeatedly(formWidget<QPushButton>(window, "caluPushButton"),
                    formWidget<QLineEdit>(window, "focalLineText"), QStringLiteral("6"),
                    QStringLiteral("4"));
    QCOMPARE(formWidget<QLabel>(window, "resultH")->text(), QStringLiteral("69.6758\u00B0"));
}

void ClicksBenchmark::distanceClick()
{
    // The target sizes keep the page's defaults.
    const MainWindow *window = m_window.get();
    formWidget<QLineEdit>(window, "hResLineText")->setText(QStringLiteral("1920"));
    clickRepeatedly(formWidget<QPushButton>(window, "caluPushButton1"),
                    formWidget<QLineEdit>(window, "hFOVLineText"), QStringLiteral("90"),
                    QStringLiteral("60"));
    QCOMPARE(formWidget<QLabel>(window, "boatResult4")->text(), QStringLiteral("332.55m"));
}

QTEST_MAIN(ClicksBenchmark)

#include "bench_clicks.moc"
