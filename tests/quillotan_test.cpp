// What only the window does: its start state, the real open-file dialog, the message boxes,
// and a file dropped or named on the command line (tab order and Exit: the keyboard test).
// Sources come from the case folders.

#include "quillotan.h"

#include "path_text.h"
#include "test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <functional>
#include <iterator>

class QuillotanTest : public QObject {
    Q_OBJECT

    testing_support::TempDir dir;  // removed whatever bytes its names hold
    const QString top = toQString(dir.path), folder = top + "/Übungen";  // a path outside ASCII
    const QString source = folder + "/Woche 12.pbn";

    static QStringList boxes(Quillotan& window) {  // TxtSource, then TxtLin 0, 1, ...
        QStringList texts{window.findChild<QLineEdit*>(QStringLiteral("TxtSource"))->text()};
        while (auto* box =
                   window.findChild<QLineEdit*>(QStringLiteral("TxtLin%1").arg(texts.size() - 1))) {
            texts << box->text();
        }
        return texts;
    }

    // The case's source copied into folder as file; the paths a run of it shows.
    QStringList copyCase(const char* name, const QString& file = QStringLiteral("Woche 12.pbn")) {
        const QString copy = folder + "/" + file, base = copy.chopped(4);
        QDir().mkpath(folder);
        QFile::remove(copy);
        QFile::copy(QStringLiteral(CASES_DIR "/%1/deals.pbn").arg(name), copy);
        return {copy, base + "_1-6.lin", base + "_7-12.lin", base + "_13-18.lin",
                base + "_19-24.lin"};
    }

    QUrl opened;  // what the window last asked the desktop to open

    static QString fromCase(const char* name) {
        return QString::fromStdString(testing_support::readFile(std::string(CASES_DIR "/") + name));
    }

    // Clicks Get Deal File and picks pick in the open-file dialog (an empty pick dismisses
    // it); closes the message box that follows and returns its icon, title and text.
    static inline QString dialogFolder;  // where the last dialog opened

    static QString clickGetDealFile(Quillotan& window, const QString& pick) {
        return answer(pick, [&window] {
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("ComDeal")),
                              Qt::LeftButton);
        });
    }

    // Does act, picking pick in the dialog it opens and closing the message box that follows:
    // its icon, title and text.
    static QString answer(const QString& pick, const std::function<void()>& act) {
        QString box;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                dialogFolder = dialog->directory().absolutePath();
            }
            if (auto* dialog = qobject_cast<QFileDialog*>(modal); dialog && pick.isEmpty()) {
                dialog->reject();
            } else if (dialog) {  // as a user does: the path into the file-name field, then Open
                dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(pick);
                static_cast<QDialog*>(dialog)->accept();  // QFileDialog checks the choice
            } else if (auto* message = qobject_cast<QMessageBox*>(modal)) {
                // Never markup, never taller than the screen.
                const bool markup = message->textFormat() != Qt::PlainText;
                const bool tall =
                    message->height() > message->screen()->availableGeometry().height();
                box = QString::number(message->icon()) + " " + message->windowTitle() +
                      (markup ? " as markup" : "") + (tall ? " too tall" : "") + "\n" +
                      message->text();
                message->close();
            }
        });
        timer.start(10);
        act();
        return box;
    }

public slots:
    void open(const QUrl& url) { opened = url; }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);  // settings of the tests' own
        QApplication::setOrganizationName(QStringLiteral("Quillotan"));
        QApplication::setApplicationName(QStringLiteral("quillotan-test"));
        QSettings().clear();
    }

    // The start state and the names a screen reader gives the controls; a dismissed dialog
    // writes nothing; a chosen file is converted whatever the boxes hold.
    void convertsTheChosenFile() {
        const QStringList shown = copyCase("bigdeal2_24");
        Quillotan window(testing_support::fixedClock);
        window.show();
        QCOMPARE(boxes(window), QStringList(5, QString()));
        QCOMPARE(clickGetDealFile(window, QString()), QString());
        QVERIFY(!QFile::exists(shown[1]));

        for (auto* box : window.findChildren<QLineEdit*>()) QTest::keyClicks(box, "typed");
        QCOMPARE(clickGetDealFile(window, source), QString());
        QCOMPARE(boxes(window), shown);
        QFile file(shown[4]);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readLine(), "% Lin file created by Quillotan 5 Dec 2026 at 09:07\r\n");
        QCOMPARE(file.readLine(), "% Source file " + QFile::encodeName(source) + "\r\n");
    }

    // A run with doubtful deals shows one warning, a failed run its error; the window goes on,
    // and its boxes show no file for the failed run, never an earlier run's names.
    void showsErrorsAndFindingsInOneBox() {
        Quillotan window(testing_support::fixedClock);
        window.show();
        const QString title = window.windowTitle();
        QStringList shown = copyCase("deal_checks");
        QCOMPARE(clickGetDealFile(window, source) + "\n",
                 QString::number(QMessageBox::Warning) + " " + title +
                     "\nThe four LIN files were written, but some deals look wrong:\n" +
                     fromCase("deal_checks/findings.txt"));
        QCOMPARE(boxes(window), shown);

        // A name that looks like markup is shown as it is.
        const QString name = QStringLiteral("<h1>Fine<br>All 24 boards converted<!--");
        shown = copyCase("bigdeal_14", name + ".pbn");
        QCOMPARE(
            clickGetDealFile(window, shown[0]),
            QString::number(QMessageBox::Critical) + " " + title + "\n" +
                fromCase("bigdeal_14/error.txt").replace("@DIR@", folder).replace("deals", name));
        QCOMPARE(boxes(window), shown.mid(0, 1) << QStringList(4, QString()));

        // 200 lines of findings before board 1: the box fits the screen.
        QFile::remove(source);
        testing_support::writeFile(toPath(source),
                                   QString("{\n[Deal \"x\"]\n}\n").repeated(200).toStdString() +
                                       fromCase("bigdeal2_24/deals.pbn").toStdString());
        QVERIFY(clickGetDealFile(window, source)
                    .startsWith(QString::number(QMessageBox::Warning) + " " + title + "\n"));
    }

    // A file dropped or named on the command line converts as if picked; the next window's
    // dialog starts in its folder.
    void convertsAFileDroppedOrGiven() {
        const QStringList shown = copyCase("bigdeal2_24");
        Quillotan window(testing_support::fixedClock);
        window.show();
        const auto drop = [&window](const QString& path) {
            QMimeData data;
            data.setUrls({path.contains(':') ? QUrl(path) : QUrl::fromLocalFile(path)});
            QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&window, &enter);
            if (enter.isAccepted()) QApplication::sendEvent(&window, &drop);
            return enter.isAccepted();
        };
        QVERIFY(!drop(source.chopped(4) + ".txt"));
        QVERIFY(!drop(QStringLiteral("https://example.org/deals.pbn")));
        QCOMPARE(boxes(window), QStringList(5, QString()));
        QVERIFY(drop(source));
        QCOMPARE(boxes(window), shown);

        // A relative path keeps its .. for the system to resolve after the link before it,
        // and a name's bytes stay as they are, though they are no UTF-8.
        QDir::setCurrent(top);
        Quillotan second(testing_support::fixedClock);
        QCOMPARE(second.findChild<QFileDialog*>()->directory().absolutePath(), folder);
        QDir().mkpath(folder + "/sub");
        QFile::link(folder + "/sub", top + "/link");
        QFile::remove(shown[1]);
        second.convertFile(QStringLiteral("link/../Woche 12.pbn"));
        QCOMPARE(boxes(second).replaceInStrings(top + "/link/..", folder), shown);
        QVERIFY(QFile::exists(shown[1]));
        // The dialog then opens in the folder of the file last converted, not where it was.
        // Of two files given, the first is converted, and the window says so.
        QFile::copy(source, top + "/w.pbn");
        QCOMPARE(answer({}, [&] { second.convertFile(top + "/w.pbn", 2); }),
                 QString::number(QMessageBox::Information) + " " + second.windowTitle() +
                     "\n2 files were opened: only the first is converted.");
        clickGetDealFile(second, QString());
        QCOMPARE(dialogFolder, top);
    }

    // The shape's bounds keep out the shapes that are refused; another shape gives its
    // captions and a box for each file, converts in that shape, and is kept for the next start.
    void followsTheShape() {
        {
            Quillotan window(testing_support::fixedClock);
            window.show();
            const auto spins = window.findChildren<QSpinBox*>();  // boards, per file, fillers
            for (const auto& row : testing_support::tableRows("shape_rows.txt", 4)) {
                std::istringstream numbers(row[0]);
                for (auto* spin : spins) spin->setValue(*std::istream_iterator<int>(numbers));
                QVERIFY(!conversion::describeShape(
                             {spins[0]->value(), spins[1]->value(), spins[2]->value()})
                             .at);
            }
            // Typing into Boards changes no other number, and the window stays maximised;
            // per file, bounded by fewer boards, comes back with more.
            spins[1]->setValue(6);
            for (const char* typed : {"18", "4", "27"}) {
                spins[0]->selectAll();
                QTest::keyClicks(spins[0], typed);
                QTest::keyClick(spins[0], Qt::Key_Enter);
                QCOMPARE(spins[1]->value(), std::min(6, spins[0]->value()));
                if (QByteArray(typed) == "18")
                    QVERIFY(window.windowTitle().endsWith(" an 18-board PBN"));
            }
            QVERIFY(window.isMaximized());
            spins[1]->setValue(3);
            spins[2]->setValue(1);
        }
        Quillotan window(testing_support::fixedClock);
        QCOMPARE(window.windowTitle(), QStringLiteral("Creating 9 Lin Files from a 27-board PBN"));
        QCOMPARE(window.findChildren<QSpinBox*>()[2]->value(), 1);
        QCOMPARE(window.findChild<QFileDialog*>()->windowTitle(),
                 QStringLiteral("Find 27-Board pbn File"));
        copyCase("shape_27_in_threes");
        // The earlier runs' files of six beside it are named, and offered to the trash.
        QVERIFY(
            clickGetDealFile(window, source)
                .contains("\nThe nine LIN files were written.\nThe source holds 73 boards; "
                          "only the first 27 were converted. Set the boards to 73 to convert "
                          "them all.\nWoche 12_1-6.lin and 3 more files beside the source are "
                          "not of this set of 27 boards in threes.\n\nMove them to the trash?"));
        const QStringList shown = boxes(window);
        QCOMPARE(shown.size(), 10);
        QVERIFY(shown[9].endsWith("/Woche 12_25-27.lin") && QFile::exists(shown[9]));
        QSettings().clear();
    }

    // The record's settings are kept; a run with the record asked for writes it with the set,
    // as the settings say, and View Record opens that PDF; a run without it leaves none to view.
    void writesTheHandRecord() {
        {
            Quillotan window(testing_support::fixedClock);
            QVERIFY(!window.findChild<QComboBox*>(QStringLiteral("CmbPaper"))->isEnabled());
            window.findChild<QCheckBox*>(QStringLiteral("ChkRecord"))->setChecked(true);
            auto* paper = window.findChild<QComboBox*>(QStringLiteral("CmbPaper"));
            paper->setCurrentIndex(paper->findText(QStringLiteral("A4")));
            window.findChild<QComboBox*>(QStringLiteral("CmbPerPage"))->setCurrentIndex(0);
            auto* club = window.findChild<QLineEdit*>(QStringLiteral("TxtClub"));
            club->setText(QStringLiteral("Quillotan Bridge Club"));
            emit club->editingFinished();
        }
        const QString record = copyCase("hand_record_24", QStringLiteral("Record.pbn"))[0];
        Quillotan window(testing_support::fixedClock);
        auto* view = window.findChild<QPushButton*>(QStringLiteral("ComRecord"));
        QVERIFY(!view->isEnabled());
        QCOMPARE(clickGetDealFile(window, record), QString());
        const QString pdf = folder + "/Record_hands.pdf";
        QCOMPARE(QFile(pdf).size(), QFileInfo(CASES_DIR "/hand_record_24/deals_hands.pdf").size());
        QVERIFY(QFile::exists(folder + "/Record_hands.pbn"));
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open");
        QTest::mouseClick(view, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(opened, QUrl::fromLocalFile(pdf));
        window.findChild<QCheckBox*>(QStringLiteral("ChkRecord"))->setChecked(false);
        QCOMPARE(clickGetDealFile(window, record), QString());
        QVERIFY(!view->isEnabled());
        QSettings().clear();
    }
};

QTEST_MAIN(QuillotanTest)
#include "quillotan_test.moc"
