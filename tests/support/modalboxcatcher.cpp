#include "modalboxcatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

QVector<CaughtBox> clickAndCatchBoxes(QAbstractButton *button)
{
    QVector<CaughtBox> boxes;
    // The box's own event loop runs this timer while the click is blocked.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&boxes] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        CaughtBox caught;
        caught.title = modal->windowTitle();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            caught.text = box->text();
            caught.icon = box->icon();
            caught.buttons = box->standardButtons();
        } else {
            caught.text = QString::fromLatin1(modal->metaObject()->className());
        }
        boxes.append(caught);
        modal->close();
    });
    poll.start();
    QTest::mouseClick(button, Qt::LeftButton);
    return boxes;
}
