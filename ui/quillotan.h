#pragma once

#include "quillotan/conversion_run.h"

#include <QWidget>

#include <filesystem>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSpinBox;

// The program's one window: "Get Deal File" picks a PBN source and converts it into LIN
// files, in the shape of set the row of three numbers gives (24 boards in four files of six,
// at first); the boxes show the source and the output paths, one box for each file; "Exit"
// ends the program. The shape is kept between starts. Below the files, the hand record: whether
// each run writes it too, its paper, boards a page and club, all kept; "View Record" opens the
// last one written in the system's PDF viewer, to read, save or print.
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
    // opened: the files opened at once, of which this is the first (the message says so).
    void convertFile(const QString& path, int opened = 1);
    void convertFile(const std::filesystem::path& path, int opened = 1);  // the name's bytes

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void ComDeal_Click();
    void ComExit_Click();
    void ComRecord_Click();

private:
    void Form_Load();
    int px(int twips) const;  // on the screen
    void placeControls();
    QString startFolder() const;
    conversion::SetShape shape() const;
    std::optional<conversion::RecordSettings> record() const;  // none when not asked for
    void recordChanged();  // the record's settings are kept; its choices follow the box
    void shapeChanged();   // captions, bounds and boxes follow the shape, which is kept
    void offerToTrash(const QString& warning, const std::vector<std::filesystem::path>& others);

    QPushButton* ComDeal;
    QLineEdit* TxtSource;
    std::vector<QLineEdit*> TxtLin;  // one for each output file, in the scrolled area
    QScrollArea* LinArea;
    QLabel* Label1;
    QSpinBox* SpinBoards;
    QSpinBox* SpinPerFile;
    QSpinBox* SpinFillers;
    QCheckBox* ChkRecord;
    QComboBox* CmbPaper;
    QComboBox* CmbPerPage;
    QLineEdit* TxtClub;
    QPushButton* ComRecord;
    QPushButton* ComExit;
    QFileDialog* CD1;

    conversion::Clock m_clock;
    int m_perFile = 0;  // the boards per file as the director set them, before the boards' bound
    std::filesystem::path m_record;  // the PDF of the record last written
};
