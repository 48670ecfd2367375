#include "path_text.h"
#include "quillotan.h"
#include "quillotan/interrupt_cleanup.h"
#include "quillotan/version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void describe(QCoreApplication& app, QCommandLineParser& options) {
    QCoreApplication::setOrganizationName(QStringLiteral("Quillotan"));
    QCoreApplication::setApplicationName(QStringLiteral("quillotan"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(conversion::kVersion));
    options.setApplicationDescription(
        QStringLiteral("Splits a PBN hand record into LIN files: by default 24 boards into four "
                       "files of six. The window sets the shape of the set. Without a display, "
                       "quillotan-convert does the same."));
    options.addHelpOption();
    options.addVersionOption();
    options.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A PBN file to convert at once (of several, the first)."),
        QStringLiteral("[FILE.pbn]"));
    options.process(app);
}

}  // namespace

// quillotan [FILE.pbn]: the window; a file named on the command line is converted at once,
// as if it had been picked in the dialog.
int main(int argc, char* argv[]) {
    // --help and --version are answered without a display.
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "-v", "--version", "-?", "--help-all"}) {
            if (std::strcmp(argv[i], option) != 0) continue;
            QCoreApplication app(argc, argv);
            QCommandLineParser options;
            describe(app, options);
        }
    }
    // Without a display Qt ends the program from inside the constructor: say what to use instead.
    static bool starting = true;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtFatalMsg || !starting) std::fprintf(stderr, "%s\n", qPrintable(message));
        if (type == QtFatalMsg && starting) {
            std::fputs(
                "quillotan: the window needs a display; quillotan-convert converts "
                "without one.\n",
                stderr);
            std::_Exit(2);
        }
    });
    QApplication app(argc, argv);
    starting = false;
    qInstallMessageHandler(nullptr);
    QCommandLineParser options;
    describe(app, options);
    QApplication::setDesktopFileName(QStringLiteral("quillotan"));

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
        const auto opened = static_cast<int>(options.positionalArguments().size());
        QTimer::singleShot(0, &window,
                           [&window, file, opened] { window.convertFile(file, opened); });
    }
    return QApplication::exec();
}
