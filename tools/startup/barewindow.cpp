#include <QApplication>
#include <QMainWindow>

// The floor the start-up benchmark measures Kavrelo against: a Qt program
// that shows nothing but an empty main window of Kavrelo's size.
int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setFixedSize(1200, 1200);
    window.show();
    return QApplication::exec();
}
