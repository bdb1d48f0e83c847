// Renders the README's pictures from the real window: fills both tabs with
// one worked example each, clicks "Calulate" and saves the window as PNG.
// Run through tools/screenshots.sh, on the offscreen platform.

#include "formhelpers.h"
#include "mainwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace {

void type(const QWidget &window, const char *objectName, const char *text)
{
    retype(formWidget<QLineEdit>(&window, objectName), QString::fromLatin1(text));
}

bool save(QWidget &window, const QDir &folder, const char *fileName)
{
    const QString path = folder.filePath(QString::fromLatin1(fileName));
    if (!window.grab().save(path)) {
        qCritical("could not write %s", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc != 2) {
        qCritical("usage: %s OUTPUT-FOLDER", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));

    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    auto *presets = formWidget<QComboBox>(&window, "resolutionComboBox");
    presets->setCurrentIndex(presets->findText(QStringLiteral("1920*1080")));
    type(window, "focalLineText", "4");
    type(window, "pixelSizeLineEdit", "2.9");
    QTest::mouseClick(formWidget<QPushButton>(&window, "caluPushButton"), Qt::LeftButton);
    if (!save(window, folder, "fov-tab.png"))
        return 1;

    formWidget<QTabWidget>(&window, "tabWidget")->setCurrentIndex(1);
    type(window, "hFOVLineText", "60");
    type(window, "hResLineText", "1920");
    QTest::mouseClick(formWidget<QPushButton>(&window, "caluPushButton1"), Qt::LeftButton);
    return save(window, folder, "distance-tab.png") ? 0 : 1;
}
