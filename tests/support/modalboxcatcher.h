#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>

class QAbstractButton;

// A modal box that came up during a click, as the user would have read it.
struct CaughtBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Clicks the button and closes every modal box that comes up meanwhile,
// recording each. Expected or not, no box is left open to hang the test.
QVector<CaughtBox> clickAndCatchBoxes(QAbstractButton *button);
