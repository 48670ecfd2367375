#include "quillotan.h"

#include "path_text.h"
#include "test_support.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
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

    // A 24-board source in a folder whose name is not ASCII.
    QString writeSource(const QTemporaryDir& dir, const std::string& text) {
        const QString folder = dir.filePath(QStringLiteral("Übungen"));
        QDir().mkpath(folder);
        const QString source = folder + QStringLiteral("/Woche 12.pbn");
        testing_support::writeFile(toPath(source), text);
        return source;
    }

    QStringList expectedBoxes(const QString& source) {
        const QString base = source.chopped(4);
        return {source, base + "_1-6.lin", base + "_7-12.lin", base + "_13-18.lin",
                base + "_19-24.lin"};
    }

private slots:
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
            if (widget->focusPolicy() & Qt::TabFocus) order << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != window.focusWidget());
        QCOMPARE(order, QStringList({"ComDeal", "TxtSource", "TxtLin0", "TxtLin1", "TxtLin2",
                                     "TxtLin3", "ComExit"}));
        for (auto* control : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<QPushButton*>(control) || qobject_cast<QLineEdit*>(control) ||
                qobject_cast<QLabel*>(control)) {
                QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
            }
        }
    }

    void convertsTheChosenFileWhateverTheBoxesHold() {
        QTemporaryDir dir;
        const QString source = writeSource(dir, testing_support::boards(1, 24));
        Quillotan window(fixedClock);
        window.show();
        QTest::keyClicks(child<QLineEdit>(window, "TxtSource"), "/elsewhere/other.pbn");
        QTest::keyClicks(child<QLineEdit>(window, "TxtLin2"), "typed");

        answerDialog(source);
        QTest::mouseClick(child<QPushButton>(window, "ComDeal"), Qt::LeftButton);

        QCOMPARE(boxes(window), expectedBoxes(source));
        for (const QString& output : expectedBoxes(source).mid(1)) {
            QFile file(output);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(output));
            const QByteArray first = file.readLine();
            QCOMPARE(first, QByteArray("% Lin file created by Quillotan 5 Dec 2026 at 09:07\r\n"));
            QCOMPARE(file.readLine(), "% Source file " + QFile::encodeName(source) + "\r\n");
        }

        const QByteArray screenshot = qgetenv("QUILLOTAN_SCREENSHOT");
        if (!screenshot.isEmpty()) {
            QVERIFY(window.grab(QRect(0, 0, 640, 400)).save(QString::fromLocal8Bit(screenshot)));
        }
    }

    void dismissedDialogChangesNothing() {
        QTemporaryDir dir;
        const QString source = writeSource(dir, testing_support::boards(1, 24));
        Quillotan window(fixedClock);
        window.show();
        answerDialog(source);
        QTest::mouseClick(child<QPushButton>(window, "ComDeal"), Qt::LeftButton);
        QFile::remove(expectedBoxes(source)[1]);

        answerDialog(QString());
        QTest::mouseClick(child<QPushButton>(window, "ComDeal"), Qt::LeftButton);
        QCOMPARE(boxes(window), expectedBoxes(source));
        QVERIFY(!QFile::exists(expectedBoxes(source)[1]));
    }

    void failedRunShowsTheErrorAndTheWindowCarriesOn() {
        QTemporaryDir dir;
        const QString source = writeSource(dir, testing_support::boards(1, 10));
        Quillotan window(fixedClock);
        window.show();

        QString shown;
        answerDialog(source);
        whenModal<QMessageBox>([&shown](QMessageBox* box) {
            shown = box->text();
            box->close();
        });
        QTest::mouseClick(child<QPushButton>(window, "ComDeal"), Qt::LeftButton);
        QTRY_VERIFY(!shown.isEmpty());
        QVERIFY2(shown.contains("The source ends after board 10; a hand-record file must hold 24 "
                                "boards."),
                 qPrintable(shown));
        QVERIFY2(shown.contains("Written before the stop: " + expectedBoxes(source)[1] + "."),
                 qPrintable(shown));
        QVERIFY(!QFile::exists(expectedBoxes(source)[2]));

        testing_support::writeFile(toPath(source), testing_support::boards(1, 24));
        answerDialog(source);
        QTest::mouseClick(child<QPushButton>(window, "ComDeal"), Qt::LeftButton);
        QCOMPARE(boxes(window), expectedBoxes(source));
        QVERIFY(QFile::exists(expectedBoxes(source)[4]));
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
