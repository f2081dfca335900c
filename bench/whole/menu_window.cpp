// A second reference of the start-up benchmark: the engine's main window
// without the engine. The face of its forms, the four menus of its bar with
// their Japanese titles, a hidden command line and a 640 x 480 client:
// what any Qt program showing that window pays before it maps (the font
// database, the menu bar's text, the accessibility bridge that the first
// child widget to show brings up).

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("TIDEGLASS");
    QFont face("IPAPGothic");
    face.setPixelSize(12);
    window.setFont(face);
    auto* client = new QWidget(&window);
    window.setCentralWidget(client);
    auto* commandLine = new QLineEdit(client);
    commandLine->hide();
    for (const char* title : {"ファイル(&F)", "編集(&E)", "表示(&V)", "ヘルプ(&H)"})
        window.menuBar()->addMenu(QString::fromUtf8(title))->addAction("-");
    client->setFixedSize(640, 480);
    window.show();
    return QApplication::exec();
}
