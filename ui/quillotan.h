#pragma once

#include "conversion_run.h"

#include <QWidget>

#include <array>

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

    // Folder the open-file dialog starts in when it exists.
    static constexpr const char* kInitialFolder = "C:\\BBO\\Varnholt";

private slots:
    void ComDeal_Click();
    void ComExit_Click();

private:
    void Form_Load();
    void placeControls();

    QPushButton* ComDeal;
    QLineEdit* TxtSource;
    std::array<QLineEdit*, conversion::kOutputFiles> TxtLin;
    QLabel* Label1;
    QPushButton* ComExit;
    QFileDialog* CD1;

    conversion::Clock m_clock;
    conversion::RunState m_runState;  // what a run leaves behind, kept until the next
};
