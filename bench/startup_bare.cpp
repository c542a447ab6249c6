// The reference of bench_startup: a bare Qt Widgets window, nothing else.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.show();
    return app.exec();
}
