// The least Qt Widgets window: the yardstick for Dravix's start-up.
#include <QApplication>
#include <QLineEdit>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    QLineEdit edit(&window);
    window.show();
    return QApplication::exec();
}
