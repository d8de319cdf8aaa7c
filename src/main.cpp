#include "schmainwindow.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    SchMainWindow window;
    window.show();
    return app.exec();
}
