#include "quillotan.h"

#include "path_text.h"
#include "quillotan/display_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QUrl>

namespace {

constexpr double kTwipsPerInch = 1440.0;

// Position and size in twips.
struct Place {
    int left, top, width, height;
};

constexpr int kClientWidth = 11430;
constexpr int kClientHeight = 8865;
constexpr Place kComDeal = {600, 720, 1215, 495};
constexpr Place kTxtSource = {2280, 840, 3975, 285};
constexpr Place kLabel1 = {1440, 1920, 1215, 255};
constexpr Place kComExit = {600, 5040, 1215, 495};
constexpr int kTxtLinLeft = 2880, kTxtLinTop = 1920, kTxtLinStep = 600;
constexpr int kTxtLinWidth = 5535, kTxtLinHeight = 285;
// Four boxes show at once; more scroll within that room.
constexpr Place kLinArea = {kTxtLinLeft, kTxtLinTop, kTxtLinWidth + 360, 4 * kTxtLinStep};
// The hand record's rows, below the boxes: whether it is written, its paper and boards a
// page, then the club's name; View Record beside them.
constexpr Place kChkRecord = {2880, 4500, 2460, 285};
constexpr Place kCmbPaper = {5400, 4470, 900, 345};
constexpr Place kCmbPerPage = {6360, 4470, 1200, 345};
constexpr Place kTxtClub = {2880, 4920, 4320, 285};
constexpr Place kComRecord = {600, 4440, 1215, 495};
// The shape's row, between Get Deal File and the boxes: a label, then its spin box.
constexpr int kShapeTop = 1380, kShapeLabelWidth = 855, kShapeSpinWidth = 705, kShapeGap = 120;

const conversion::ShapeDescription kDefault = conversion::describeShape(conversion::SetShape{});

QLineEdit* makeBox(QWidget* parent, const QString& name, const QString& accessibleName) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    return box;
}

constexpr const char* kLastFolderKey = "lastFolder";

// A spin box for one number of the shape, with its label (a mnemonic in it) before it, kept
// in the settings under key. Its value changes when typing ends, not at every key.
QSpinBox* makeSpin(QWidget* parent, const QString& name, const QString& label,
                   const QString& accessibleName, const char* key,
                   const conversion::ShapeRange& range, int initial) {
    auto* spin = new QSpinBox(parent);
    auto* caption = new QLabel(label, parent);
    caption->setObjectName(name + QStringLiteral("Label"));
    caption->setBuddy(spin);
    spin->setObjectName(name);
    spin->setAccessibleName(accessibleName);
    spin->setKeyboardTracking(false);
    spin->setRange(range.low, range.high);
    spin->setValue(QSettings().value(QLatin1String(key), initial).toInt());
    spin->setProperty("key", QLatin1String(key));
    return spin;
}

// The one local .pbn file that a drag carries, or an empty text.
QString droppedSource(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return {};
    const QString path = urls.first().toLocalFile();
    return path.endsWith(QStringLiteral(".pbn"), Qt::CaseInsensitive) ? path : QString();
}

// A message box whose text, which may hold a file's name or lines, is never taken for markup.
void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, parent->windowTitle(), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(text);
    button->setAutoDefault(true);  // Enter presses the focused button, as Space does
    return button;
}

// A choice among fixed values, kept in the settings under key; its first value where none is
// kept.
QComboBox* makeChoice(QWidget* parent, const QString& name, const QString& accessibleName,
                      const QList<std::pair<QString, int>>& items, const char* key, int initial) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    for (const auto& [text, value] : items) box->addItem(text, value);
    box->setCurrentIndex(
        std::max(0, box->findData(QSettings().value(QLatin1String(key), initial).toInt())));
    box->setProperty("key", QLatin1String(key));
    return box;
}

// "4 a page", "2 a page", "1 a page".
QList<std::pair<QString, int>> perPageChoices() {
    QList<std::pair<QString, int>> choices;
    for (const int n : conversion::kBoardsPerPage) {
        choices.append({QStringLiteral("%1 a page").arg(n), n});
    }
    return choices;
}

}  // namespace

Quillotan::Quillotan(conversion::Clock clock, QWidget* parent)
    : QWidget(parent),
      ComDeal(makeButton(this, QStringLiteral("ComDeal"), QStringLiteral("Get Deal File"))),
      TxtSource(makeBox(this, QStringLiteral("TxtSource"), QStringLiteral("Source file"))),
      LinArea(new QScrollArea(this)),
      Label1(new QLabel(QStringLiteral("Lin Files:"), this)),
      SpinBoards(makeSpin(this, QStringLiteral("SpinBoards"), QStringLiteral("&Boards"),
                          QStringLiteral("Boards in the set"), "shape/boards", kDefault.boards,
                          kDefault.shape.boards)),
      SpinPerFile(makeSpin(this, QStringLiteral("SpinPerFile"), QStringLiteral("&per file"),
                           QStringLiteral("Boards per file"), "shape/perFile",
                           {kDefault.perFile.low, conversion::kMaxBoards}, kDefault.shape.perFile)),
      SpinFillers(makeSpin(this, QStringLiteral("SpinFillers"), QStringLiteral("&fillers"),
                           QStringLiteral("Filler boards"), "shape/fillers", kDefault.fillers,
                           kDefault.shape.fillers)),
      ChkRecord(new QCheckBox(QStringLiteral("&Write the hand record"), this)),
      CmbPaper(makeChoice(this, QStringLiteral("CmbPaper"), QStringLiteral("Paper"),
                          {{QStringLiteral("A4"), int(conversion::Paper::A4)},
                           {QStringLiteral("Letter"), int(conversion::Paper::Letter)}},
                          "record/paper",
                          int(conversion::paperFor(QLocale().name().toStdString())))),
      CmbPerPage(makeChoice(this, QStringLiteral("CmbPerPage"), QStringLiteral("Boards a page"),
                            perPageChoices(), "record/perPage", conversion::kBoardsPerPage[0])),
      TxtClub(makeBox(this, QStringLiteral("TxtClub"), QStringLiteral("Club name"))),
      ComRecord(makeButton(this, QStringLiteral("ComRecord"), QStringLiteral("&View Record"))),
      ComExit(makeButton(this, QStringLiteral("ComExit"), QStringLiteral("Exit"))),
      CD1(new QFileDialog(this)),
      m_clock(std::move(clock)) {
    setObjectName(QStringLiteral("Quillotan"));
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAccessibleName(Label1->text());
    LinArea->setObjectName(QStringLiteral("LinArea"));
    LinArea->setFrameShape(QFrame::NoFrame);
    LinArea->setFocusPolicy(Qt::NoFocus);
    LinArea->setWidget(new QWidget);

    CD1->setObjectName(QStringLiteral("CD1"));
    CD1->setNameFilter(QStringLiteral("*.pbn"));
    CD1->setFileMode(QFileDialog::ExistingFile);
    CD1->setAcceptMode(QFileDialog::AcceptOpen);
    CD1->setDirectory(startFolder());
    setAcceptDrops(true);

    m_perFile = SpinPerFile->value();
    connect(SpinBoards, &QSpinBox::valueChanged, this, &Quillotan::shapeChanged);
    connect(SpinPerFile, &QSpinBox::valueChanged, this, [this](int value) {
        m_perFile = value;  // the director's choice, which the boards may bound for a while
        shapeChanged();
    });
    connect(SpinFillers, &QSpinBox::valueChanged, this, &Quillotan::shapeChanged);
    ChkRecord->setObjectName(QStringLiteral("ChkRecord"));
    ChkRecord->setChecked(QSettings().value(QStringLiteral("record/write"), false).toBool());
    TxtClub->setPlaceholderText(QStringLiteral("Club name, at the head of the record's pages"));
    TxtClub->setText(QSettings().value(QStringLiteral("record/club")).toString());
    ComRecord->setEnabled(false);
    connect(ChkRecord, &QCheckBox::toggled, this, &Quillotan::recordChanged);
    connect(CmbPaper, &QComboBox::currentIndexChanged, this, &Quillotan::recordChanged);
    connect(CmbPerPage, &QComboBox::currentIndexChanged, this, &Quillotan::recordChanged);
    connect(TxtClub, &QLineEdit::editingFinished, this, &Quillotan::recordChanged);
    connect(ComRecord, &QPushButton::clicked, this, &Quillotan::ComRecord_Click);
    recordChanged();
    connect(ComDeal, &QPushButton::clicked, this, &Quillotan::ComDeal_Click);
    connect(ComExit, &QPushButton::clicked, this, &Quillotan::ComExit_Click);

    shapeChanged();
    resize(px(kClientWidth), px(kClientHeight));  // once: a later resize would unmaximise it
    ComDeal->setFocus();
    Form_Load();
}

Quillotan::~Quillotan() = default;

void Quillotan::Form_Load() { setWindowState(windowState() | Qt::WindowMaximized); }

// The layout is given in twips; 1440 of them make an inch on the screen.
int Quillotan::px(int twips) const {
    return static_cast<int>(twips * logicalDpiX() / kTwipsPerInch + 0.5);
}

void Quillotan::placeControls() {
    const auto place = [this](QWidget* widget, const Place& at) {
        widget->setGeometry(px(at.left), px(at.top), px(at.width), px(at.height));
    };
    place(ComDeal, kComDeal);
    place(TxtSource, kTxtSource);
    place(Label1, kLabel1);
    place(ComExit, kComExit);
    place(LinArea, kLinArea);
    place(ChkRecord, kChkRecord);
    place(CmbPaper, kCmbPaper);
    place(CmbPerPage, kCmbPerPage);
    place(TxtClub, kTxtClub);
    place(ComRecord, kComRecord);
    int left = kComDeal.left;
    for (auto* spin : {SpinBoards, SpinPerFile, SpinFillers}) {
        auto* label = findChild<QLabel*>(spin->objectName() + QStringLiteral("Label"));
        place(label, {left, kShapeTop, kShapeLabelWidth, kTxtLinHeight});
        place(spin, {left + kShapeLabelWidth, kShapeTop - 30, kShapeSpinWidth, kTxtLinHeight + 60});
        left += kShapeLabelWidth + kShapeSpinWidth + kShapeGap;
    }
    const int count = static_cast<int>(TxtLin.size());
    LinArea->widget()->resize(px(kTxtLinWidth), px((count - 1) * kTxtLinStep + kTxtLinHeight));
    for (int i = 0; i < count; ++i) {
        place(TxtLin[i], {0, i * kTxtLinStep, kTxtLinWidth, kTxtLinHeight});
    }
}

conversion::SetShape Quillotan::shape() const {
    return {SpinBoards->value(), SpinPerFile->value(), SpinFillers->value()};
}

void Quillotan::shapeChanged() {
    {
        // The boards bound the boards per file; the director's choice comes back when they
        // allow it again.
        const QSignalBlocker quiet(SpinPerFile);
        const auto bounds =
            conversion::describeShape({SpinBoards->value(), 1, SpinFillers->value()});
        SpinPerFile->setMaximum(bounds.perFile.high);
        SpinPerFile->setValue(std::min(m_perFile, bounds.perFile.high));
    }
    for (auto* spin : {SpinBoards, SpinFillers}) {
        QSettings().setValue(spin->property("key").toString(), spin->value());
    }
    QSettings().setValue(SpinPerFile->property("key").toString(), m_perFile);
    const auto now = conversion::describeShape(shape());
    setWindowTitle(QString::fromStdString(now.title));
    CD1->setWindowTitle(QString::fromStdString(now.dialogTitle));
    if (static_cast<int>(TxtLin.size()) != now.files) {
        for (auto* box : TxtLin) delete box;
        TxtLin.clear();
        for (int i = 0; i < now.files; ++i) {
            TxtLin.push_back(makeBox(LinArea->widget(), QStringLiteral("TxtLin%1").arg(i),
                                     QStringLiteral("Lin file %1").arg(i + 1)));
            TxtLin.back()->show();
        }
        Label1->setBuddy(TxtLin[0]);
        // Tab: Get Deal File, the source's box, the shape, the files' boxes, the record, Exit.
        QList<QWidget*> order = {ComDeal, TxtSource, SpinBoards, SpinPerFile, SpinFillers};
        order.append(QList<QWidget*>(TxtLin.begin(), TxtLin.end()));
        order.append({ChkRecord, CmbPaper, CmbPerPage, TxtClub, ComRecord, ComExit});
        for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    }
    placeControls();
}

std::optional<conversion::RecordSettings> Quillotan::record() const {
    if (!ChkRecord->isChecked()) return std::nullopt;
    return conversion::RecordSettings{
        static_cast<conversion::Paper>(CmbPaper->currentData().toInt()),
        CmbPerPage->currentData().toInt(), TxtClub->text().toStdString()};
}

void Quillotan::recordChanged() {
    for (auto* choice : {CmbPaper, CmbPerPage}) {
        QSettings().setValue(choice->property("key").toString(), choice->currentData());
        choice->setEnabled(ChkRecord->isChecked());
    }
    TxtClub->setEnabled(ChkRecord->isChecked());
    QSettings().setValue(QStringLiteral("record/write"), ChkRecord->isChecked());
    QSettings().setValue(QStringLiteral("record/club"), TxtClub->text());
}

QString Quillotan::startFolder() const {
    const QFileInfo preset(QString::fromLatin1(kInitialFolder));
    if (preset.isAbsolute() && preset.isDir()) return preset.filePath();
    const QFileInfo last(QSettings().value(QLatin1String(kLastFolderKey)).toString());
    return last.isAbsolute() && last.isDir() ? last.filePath() : QDir::homePath();
}

void Quillotan::ComDeal_Click() {
    CD1->setDirectory(startFolder());
    const int answer = CD1->exec();
    // Qt's own dialog can leave its file-name completer's list open when Enter both picks a
    // completion and accepts the dialog; that stray popup would take the window's keys.
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    if (answer != QDialog::Accepted) return;
    const QStringList chosen = CD1->selectedFiles();
    if (!chosen.isEmpty()) convertFile(chosen.first());
}

void Quillotan::convertFile(const QString& path, int opened) { convertFile(toPath(path), opened); }

void Quillotan::convertFile(const std::filesystem::path& path, int opened) {
    // Absolute, but with its .. kept: the system resolves them after the links before them.
    std::error_code failed;
    const std::filesystem::path source = std::filesystem::absolute(path, failed);
    conversion::RunResult result;
    QString error;
    try {
        result = conversion::convert(source, m_clock, shape(), record());
        QSettings().setValue(QLatin1String(kLastFolderKey), toQString(source.parent_path()));
    } catch (const conversion::ConversionError& failure) {
        // The run's own error says what was wrong, where, and that nothing was written.
        error = QString::fromUtf8(failure.what());
    }
    // The boxes show this run's names alone: a run that failed wrote nothing.
    const auto shown = [](const std::filesystem::path& name) {
        return QString::fromStdString(conversion::displayPath(name));
    };
    TxtSource->setText(shown(source));
    m_record = result.record.empty() ? std::filesystem::path() : result.record.front();
    ComRecord->setEnabled(!m_record.empty());
    ComRecord->setToolTip(m_record.empty() ? QString() : shown(m_record));
    for (std::size_t i = 0; i < TxtLin.size(); ++i) {
        TxtLin[i]->setText(i < result.outputs.size() ? shown(result.outputs[i]) : QString());
    }
    // The files are written; what looks wrong in the deals is the director's to judge.
    const auto note = QString::fromStdString(conversion::onlyTheFirst(opened));
    const auto lead = [&note](const QString& text) {
        return note.isEmpty() ? text : text.isEmpty() ? note : note + "\n" + text;
    };
    const auto warning = lead(QString::fromStdString(conversion::warningText(result)));
    if (!error.isEmpty()) {
        showMessage(this, QMessageBox::Critical, lead(error));
    } else if (!result.others.empty()) {
        offerToTrash(warning, result.others);
    } else if (!result.notes.empty() || !result.findings.empty()) {
        showMessage(this, QMessageBox::Warning, warning);
    } else if (!note.isEmpty()) {
        showMessage(this, QMessageBox::Information, note);
    }
}

// Files of another set beside the source: the director may move them to the trash, from which
// they can be taken back.
void Quillotan::offerToTrash(const QString& warning,
                             const std::vector<std::filesystem::path>& others) {
    QMessageBox box(QMessageBox::Warning, windowTitle(),
                    warning + QStringLiteral("\n\nMove them to the trash?"),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes) return;
    QStringList kept;
    for (const auto& other : others) {
        if (!QFile::moveToTrash(toQString(other))) kept.append(toQString(other.filename()));
    }
    if (!kept.isEmpty()) {
        showMessage(this, QMessageBox::Warning,
                    QStringLiteral("These could not be moved to the trash: %1.")
                        .arg(kept.join(QStringLiteral(", "))));
    }
}

void Quillotan::ComExit_Click() { close(); }

// The record in the system's PDF viewer, which reads, saves and prints it.
void Quillotan::ComRecord_Click() {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(toQString(m_record)))) {
        showMessage(this, QMessageBox::Warning,
                    QStringLiteral("No program to show PDF files was found. The hand record is "
                                   "%1.")
                        .arg(toQString(m_record)));
    }
}

// One local .pbn file may be dropped; anything else is refused, and the cursor says so.
void Quillotan::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedSource(event->mimeData()).isEmpty()) {
        event->ignore();
    } else {
        event->acceptProposedAction();
    }
}

void Quillotan::dropEvent(QDropEvent* event) {
    const QString source = droppedSource(event->mimeData());
    if (source.isEmpty()) return event->ignore();
    event->acceptProposedAction();
    convertFile(source);
}
