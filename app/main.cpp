#include "interrupt_cleanup.h"
#include "path_text.h"
#include "quillotan.h"
#include "version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTimer>

// quillotan [FILE.pbn]: the window; a file named on the command line is converted at once,
// as if it had been picked in the dialog.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillotan"));
    QApplication::setApplicationName(QStringLiteral("quillotan"));
    QApplication::setApplicationVersion(QString::fromLatin1(conversion::kVersion));
    QApplication::setDesktopFileName(QStringLiteral("quillotan"));

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Splits a 24-board PBN hand record into four LIN files of six boards."));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(QStringLiteral("file"),
                                  QStringLiteral("A PBN file to convert at once."),
                                  QStringLiteral("[FILE.pbn]"));
    options.process(app);

    Quillotan window;
    window.show();
    conversion::cleanUpOnInterrupt();
    if (!options.positionalArguments().isEmpty()) {
        std::filesystem::path file = toPath(options.positionalArguments().first());
#ifndef Q_OS_WIN
        // The name's own bytes, which need not be valid in the locale's encoding.
        for (int i = argc - 1; i > 0; --i) {
            if (QFile::decodeName(argv[i]) == options.positionalArguments().first()) {
                file = argv[i];
                break;
            }
        }
#endif
        QTimer::singleShot(0, &window, [&window, file] { window.convertFile(file); });
    }
    return QApplication::exec();
}
