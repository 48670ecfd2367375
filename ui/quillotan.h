#pragma once

#include "conversion_run.h"

#include <QWidget>

#include <array>
#include <filesystem>

class QDragEnterEvent;
class QDropEvent;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;

// The program's one window: "Get Deal File" picks a PBN source and converts it into four
// LIN files; the boxes show the source and the four output paths; "Exit" ends the program.
class Quillotan : public QWidget {
    Q_OBJECT

public:
    // clock: where a run takes its timestamp from (tests fix it).
    explicit Quillotan(conversion::Clock clock = conversion::localTimestamp,
                       QWidget* parent = nullptr);
    ~Quillotan() override;

    // Folder the open-file dialog starts in when it exists; else in the folder of the file
    // last converted, else in the home folder.
    static constexpr const char* kInitialFolder = "C:\\BBO\\Varnholt";

    // Converts the file as if it had been picked in the dialog: a file named on the command
    // line, or dropped on the window. A relative path is taken from the current folder.
    void convertFile(const QString& path);
    void convertFile(const std::filesystem::path& path);  // the name's bytes as they are

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void ComDeal_Click();
    void ComExit_Click();

private:
    void Form_Load();
    void placeControls();
    QString startFolder() const;

    QPushButton* ComDeal;
    QLineEdit* TxtSource;
    std::array<QLineEdit*, conversion::kOutputFiles> TxtLin;
    QLabel* Label1;
    QPushButton* ComExit;
    QFileDialog* CD1;

    conversion::Clock m_clock;
};
