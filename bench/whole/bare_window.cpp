// The reference of the start-up benchmark: the least a Qt widget program
// does to show a window of the engine's size.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("TIDEGLASS");
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
