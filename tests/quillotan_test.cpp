#include "quillotan.h"

#include "path_text.h"
#include "test_support.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

using testing_support::fixedClock;

// Runs action once the application's modal widget is a T: inside the modal loop that the
// next step of the test opens.
template <typename T>
void whenModal(std::function<void(T*)> action) {
    QTimer::singleShot(10, [action] {
        if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
            action(modal);
        } else {
            whenModal<T>(action);
        }
    });
}

// Picks path in the open-file dialog the next click shows; an empty path dismisses it.
void answerDialog(const QString& path) {
    whenModal<QFileDialog>([path](QFileDialog* dialog) {
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // As a user does: the path into the file-name field, then Open.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(path);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog checks the choice
    });
}

}  // namespace

class QuillotanTest : public QObject {
    Q_OBJECT

private:
    template <typename T>
    T* child(Quillotan& window, const char* name) {
        auto* widget = window.findChild<T*>(QString::fromLatin1(name));
        if (!widget) qFatal("no control %s", name);
        return widget;
    }

    QStringList boxes(Quillotan& window) {
        QStringList texts{child<QLineEdit>(window, "TxtSource")->text()};
        for (const char* name : {"TxtLin0", "TxtLin1", "TxtLin2", "TxtLin3"}) {
            texts << child<QLineEdit>(window, name)->text();
        }
        return texts;
    }

    // A case's source, copied into a folder whose name is not ASCII.
    QString copySource(const QTemporaryDir& dir, const char* caseName) {
        const QString folder = dir.filePath(QStringLiteral("Übungen"));
        QDir().mkpath(folder);
        const QString source = folder + QStringLiteral("/Woche 12.pbn");
        QFile::remove(source);
        QFile::copy(QStringLiteral(CASES_DIR "/%1/deals.pbn").arg(caseName), source);
        return source;
    }

    QStringList expectedBoxes(const QString& source) {
        const QString base = source.chopped(4);
        return {source, base + "_1-6.lin", base + "_7-12.lin", base + "_13-18.lin",
                base + "_19-24.lin"};
    }

    void clickGetDealFile(Quillotan& window, const QString& answer) {
        answerDialog(answer);
        QTest::mouseClick(child<QPushButton>(window, "ComDeal"), Qt::LeftButton);
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);  // settings of the tests' own
        QApplication::setOrganizationName(QStringLiteral("Quillotan"));
        QApplication::setApplicationName(QStringLiteral("quillotan-test"));
        QSettings().clear();
    }

    void startsMaximisedWithFocusOnGetDealFile() {
        Quillotan window(fixedClock);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.isMaximized());
        QCOMPARE(window.windowTitle(), QStringLiteral("Creating 4 Lin Files from a 24-board PBN"));
        QCOMPARE(boxes(window), QStringList(5, QString()));
        QCOMPARE(window.focusWidget(), child<QPushButton>(window, "ComDeal"));

        QStringList order;
        QWidget* widget = window.focusWidget();
        do {
            if (widget->focusPolicy() & Qt::TabFocus) {
                order << widget->objectName() + "=" + widget->accessibleName();
            }
            widget = widget->nextInFocusChain();
        } while (widget != window.focusWidget());
        QCOMPARE(order, QStringList({"ComDeal=Get Deal File", "TxtSource=Source file",
                                     "TxtLin0=Lin file 1", "TxtLin1=Lin file 2",
                                     "TxtLin2=Lin file 3", "TxtLin3=Lin file 4", "ComExit=Exit"}));
        QCOMPARE(child<QLabel>(window, "Label1")->accessibleName(), QStringLiteral("Lin Files:"));

        // Every control is placed inside the window, and none over another.
        const auto controls = window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        QList<QRect> placed;
        for (auto* control : controls) {
            if (control->isWindow()) continue;
            QVERIFY2(window.rect().contains(control->geometry()),
                     qPrintable(control->objectName()));
            for (const QRect& other : placed) {
                QVERIFY2(!other.intersects(control->geometry()), qPrintable(control->objectName()));
            }
            placed << control->geometry();
        }
        QCOMPARE(placed.size(), 8);

        auto* dialog = child<QFileDialog>(window, "CD1");
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Find 24-Board pbn File"));
        QCOMPARE(dialog->nameFilters(), QStringList(QStringLiteral("*.pbn")));
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
    }

    // A dismissed dialog writes nothing; a chosen file is converted whatever the boxes hold.
    void convertsTheChosenFile() {
        QTemporaryDir dir;
        const QString source = copySource(dir, "bigdeal2-24");
        Quillotan window(fixedClock);
        window.show();
        clickGetDealFile(window, QString());
        QCOMPARE(boxes(window), QStringList(5, QString()));
        QVERIFY(!QFile::exists(expectedBoxes(source)[1]));

        QTest::keyClicks(child<QLineEdit>(window, "TxtSource"), "/elsewhere/other.pbn");
        QTest::keyClicks(child<QLineEdit>(window, "TxtLin2"), "typed");
        clickGetDealFile(window, source);
        QCOMPARE(boxes(window), expectedBoxes(source));
        for (const QString& output : expectedBoxes(source).mid(1)) {
            QFile file(output);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(output));
            QCOMPARE(file.readLine(), "% Lin file created by Quillotan 5 Dec 2026 at 09:07\r\n");
            QCOMPARE(file.readLine(), "% Source file " + QFile::encodeName(source) + "\r\n");
        }

        const QByteArray screenshot = qgetenv("QUILLOTAN_SCREENSHOT");
        if (!screenshot.isEmpty()) {
            QVERIFY(window.grab(QRect(0, 0, 640, 400)).save(QString::fromLocal8Bit(screenshot)));
        }
    }

    void failedRunShowsTheErrorAndTheWindowCarriesOn() {
        QTemporaryDir dir;
        const QString source = copySource(dir, "bigdeal-14");
        Quillotan window(fixedClock);
        window.show();

        QString shown;
        whenModal<QMessageBox>([&shown](QMessageBox* box) {
            QCOMPARE(box->icon(), QMessageBox::Critical);
            shown = box->text();
            box->close();
        });
        clickGetDealFile(window, source);
        QTRY_VERIFY(!shown.isEmpty());
        QCOMPARE(shown, "Could not convert " + source +
                            ".\nThe source ends after board 14; a hand-record file must hold 24 "
                            "boards.\nWritten before the stop: " +
                            expectedBoxes(source)[1] + ", " + expectedBoxes(source)[2] +
                            ".\nNot written: " + expectedBoxes(source)[3] + ", " +
                            expectedBoxes(source)[4] + ".");

        copySource(dir, "bigdeal2-24");
        clickGetDealFile(window, source);
        QCOMPARE(boxes(window), expectedBoxes(source));
        QVERIFY(QFile::exists(expectedBoxes(source)[4]));
    }

    void findingsShowInOneWarningBox() {
        QTemporaryDir dir;
        const QString source = copySource(dir, "deal-checks");
        Quillotan window(fixedClock);
        window.show();
        QString shown;
        whenModal<QMessageBox>([&shown](QMessageBox* box) {
            QCOMPARE(box->icon(), QMessageBox::Warning);
            shown = box->windowTitle() + "\n" + box->text() + "\n";
            box->close();
        });
        clickGetDealFile(window, source);
        QTRY_VERIFY(!shown.isEmpty());
        QFile findings(QStringLiteral(CASES_DIR "/deal-checks/findings.txt"));
        QVERIFY(findings.open(QIODevice::ReadOnly));
        QCOMPARE(shown, window.windowTitle() +
                            "\nThe four LIN files were written, but some deals look wrong:\n" +
                            QString::fromUtf8(findings.readAll()));
        QCOMPARE(boxes(window), expectedBoxes(source));
    }

    // A file named on the command line or dropped on the window converts as if picked; the
    // next window's dialog starts in its folder.
    void convertsAFileGivenOrDropped() {
        QTemporaryDir dir;
        const QString source = copySource(dir, "bigdeal2-24");
        Quillotan window(fixedClock);
        window.show();
        const auto drop = [&window](const QString& path) {
            QMimeData data;
            data.setUrls({path.contains(':') ? QUrl(path) : QUrl::fromLocalFile(path)});
            QDragEnterEvent enter({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&window, &enter);
            QDropEvent drop({10, 10}, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            if (enter.isAccepted()) QApplication::sendEvent(&window, &drop);
            return enter.isAccepted();
        };
        QVERIFY(!drop(source.chopped(4) + ".txt"));
        QVERIFY(!drop(QStringLiteral("https://example.org/deals.pbn")));
        QCOMPARE(boxes(window), QStringList(5, QString()));
        QVERIFY(drop(source));
        QCOMPARE(boxes(window), expectedBoxes(source));

        QDir::setCurrent(dir.path());
        Quillotan second(fixedClock);
        QCOMPARE(child<QFileDialog>(second, "CD1")->directory().absolutePath(),
                 QFileInfo(source).absolutePath());
        QFile::remove(expectedBoxes(source)[1]);
        second.convertFile(QStringLiteral("Übungen/../Übungen/Woche 12.pbn"));
        QCOMPARE(boxes(second), expectedBoxes(source));
        QVERIFY(QFile::exists(expectedBoxes(source)[1]));
    }

    void exitAndTheCloseBoxCloseTheWindow() {
        for (const bool byExit : {true, false}) {
            Quillotan window(fixedClock);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            if (byExit) {
                QTest::mouseClick(child<QPushButton>(window, "ComExit"), Qt::LeftButton);
            } else {
                window.close();
            }
            QVERIFY(!window.isVisible());
            QVERIFY(!QApplication::activeModalWidget());  // no question asked
        }
    }
};

QTEST_MAIN(QuillotanTest)
#include "quillotan_test.moc"
