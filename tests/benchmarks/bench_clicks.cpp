#include "windowfixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// One full click on each page's button, as a person makes it: the slot reads
// the fields, parses, computes, formats and sets the labels. Each round also
// edits one input, and that edit counts in the figure. The debug lines are
// composed and collected, not written out, so the terminal's speed stays out
// of it; painting happens later, in the event loop, and does not count either.
class ClicksBenchmark : public WindowFixture
{
    Q_OBJECT

private slots:
    void fovClick();
    void distanceClick();

private:
    void clickRepeatedly(const char *button, const char *input, const QString &other,
                         const QString &kept);
};

// A label keeps its text cheaply when it does not change, so each round
// first switches `input` between two texts; the last click leaves `kept`.
void ClicksBenchmark::clickRepeatedly(const char *button, const char *input, const QString &other,
                                      const QString &kept)
{
    auto *pushButton = field<QPushButton>(button);
    auto *edit = field<QLineEdit>(input);
    const QString texts[] = {other, kept};
    int round = 0;
    QBENCHMARK {
        edit->setText(texts[++round % 2]);
        pushButton->click();
        takeDebugLines();
    }
    edit->setText(kept);
    pushButton->click();
}

void ClicksBenchmark::fovClick()
{
    choosePreset(QStringLiteral("1920*1080"));
    field<QLineEdit>("pixelSizeLineEdit")->setText(QStringLiteral("2.9"));
    clickRepeatedly("caluPushButton", "focalLineText", QStringLiteral("6"), QStringLiteral("4"));
    QCOMPARE(field<QLabel>("resultH")->text(), QStringLiteral("69.6758\u00B0"));
}

void ClicksBenchmark::distanceClick()
{
    // The target sizes keep the page's defaults.
    field<QLineEdit>("hResLineText")->setText(QStringLiteral("1920"));
    clickRepeatedly("caluPushButton1", "hFOVLineText", QStringLiteral("90"), QStringLiteral("60"));
    QCOMPARE(field<QLabel>("boatResult4")->text(), QStringLiteral("332.55m"));
}

QTEST_MAIN(ClicksBenchmark)
#include "bench_clicks.moc"
