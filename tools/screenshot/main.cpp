// The README's picture of the window: a run of a 24-board file in a club's folder, drawn
// without a display. screenshot SOURCE.pbn OUT.png (tools/screenshot makes both).

#include "quillotan.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) return 2;
    Quillotan window([] { return conversion::Timestamp{"5 Dec 2026", "09:07"}; });
    window.show();
    window.convertFile(args[1]);
    return window.grab(QRect(0, 0, 640, 400)).save(args[2]) ? 0 : 1;
}
