// The start-up references: the least a Qt Widgets program does to show a
// window of the main window's outer size, and (with --text) the same window
// showing one line of Chinese text, which is what any window with text pays
// for on top (the font database, font files, glyphs).

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(390, 280);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
        auto *label = new QLabel(QStringLiteral("背景图片设置"), &window);
        label->move(20, 20);
    }
    window.show();
    return QApplication::exec();
}
