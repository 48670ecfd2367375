#include "quillotan.h"

#include <QApplication>
#include <QTimer>

// quillotan [FILE.pbn]: the window; a file named on the command line is converted at once,
// as if it had been picked in the dialog.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillotan"));
    QApplication::setApplicationName(QStringLiteral("quillotan"));
    QApplication::setDesktopFileName(QStringLiteral("quillotan"));
    Quillotan window;
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        QTimer::singleShot(0, &window,
                           [&window, file = arguments.at(1)] { window.convertFile(file); });
    }
    return QApplication::exec();
}
