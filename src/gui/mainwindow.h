#pragma once

#include <QMainWindow>

QT_BEGIN_NAMESPACE
namespace Ui {
class MainWindow;
}
QT_END_NAMESPACE

// The calculator's one window. It keeps no state of its own: every input and
// result lives in the form's widgets, and each slot reads them afresh.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void caluPushButtonClicked();
    void resolutionCurrentIndexChanged(int index);
    void caluPushButtonClicked1();

private:
    Ui::MainWindow *ui;
};
