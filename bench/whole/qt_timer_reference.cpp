// The idle benchmark's reference: a bare Qt program whose only work is a
// 1 ms timer, running until it is stopped.

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.start(1);
    return QApplication::exec();
}
