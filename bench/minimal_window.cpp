// The start-up reference: the least a Qt Widgets program does to show a
// window of the main window's outer size.

#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(390, 280);
    window.show();
    return QApplication::exec();
}
