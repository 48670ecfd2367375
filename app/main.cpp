#include "quillotan.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillotan"));
    QApplication::setDesktopFileName(QStringLiteral("quillotan"));
    Quillotan window;
    window.show();
    return QApplication::exec();
}
