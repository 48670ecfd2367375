#include "quillotan.h"

#include "path_text.h"
#include "quillotan/display_text.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
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
// The shape's row, between Get Deal File and the boxes: a label, then its spin box.
constexpr int kShapeTop = 1380, kShapeLabelWidth = 855, kShapeSpinWidth = 705, kShapeGap = 120;

QLineEdit* makeBox(QWidget* parent, const QString& name, const QString& accessibleName) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    return box;
}

constexpr const char* kLastFolderKey = "lastFolder";

// A spin box for one number of the shape, with its label before it, kept in the settings
// under key.
QSpinBox* makeSpin(QWidget* parent, const QString& name, const QString& label,
                   const QString& accessibleName, const char* key, int low, int high, int initial) {
    auto* spin = new QSpinBox(parent);
    auto* caption = new QLabel(label, parent);
    caption->setObjectName(name + QStringLiteral("Label"));
    caption->setBuddy(spin);
    spin->setObjectName(name);
    spin->setAccessibleName(accessibleName);
    spin->setRange(low, high);
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

}  // namespace

Quillotan::Quillotan(conversion::Clock clock, QWidget* parent)
    : QWidget(parent),
      ComDeal(makeButton(this, QStringLiteral("ComDeal"), QStringLiteral("Get Deal File"))),
      TxtSource(makeBox(this, QStringLiteral("TxtSource"), QStringLiteral("Source file"))),
      LinArea(new QScrollArea(this)),
      Label1(new QLabel(QStringLiteral("Lin Files:"), this)),
      SpinBoards(makeSpin(this, QStringLiteral("SpinBoards"), QStringLiteral("Boards"),
                          QStringLiteral("Boards in the set"), "shape/boards", 1,
                          conversion::kMaxBoards, conversion::SetShape{}.boards)),
      SpinPerFile(makeSpin(this, QStringLiteral("SpinPerFile"), QStringLiteral("per file"),
                           QStringLiteral("Boards per file"), "shape/perFile", 1,
                           conversion::kMaxBoards, conversion::SetShape{}.perFile)),
      SpinFillers(makeSpin(this, QStringLiteral("SpinFillers"), QStringLiteral("fillers"),
                           QStringLiteral("Filler boards"), "shape/fillers", 0,
                           conversion::kMaxFillers, conversion::SetShape{}.fillers)),
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

    for (auto* spin : {SpinBoards, SpinPerFile, SpinFillers}) {
        connect(spin, &QSpinBox::valueChanged, this, &Quillotan::shapeChanged);
    }
    connect(ComDeal, &QPushButton::clicked, this, &Quillotan::ComDeal_Click);
    connect(ComExit, &QPushButton::clicked, this, &Quillotan::ComExit_Click);

    shapeChanged();
    ComDeal->setFocus();
    Form_Load();
}

Quillotan::~Quillotan() = default;

void Quillotan::Form_Load() { setWindowState(windowState() | Qt::WindowMaximized); }

// The layout is given in twips; 1440 of them make an inch on the screen.
void Quillotan::placeControls() {
    const double scale = logicalDpiX() / kTwipsPerInch;
    const auto px = [scale](int twips) { return static_cast<int>(twips * scale + 0.5); };
    const auto place = [&](QWidget* widget, const Place& at) {
        widget->setGeometry(px(at.left), px(at.top), px(at.width), px(at.height));
    };
    resize(px(kClientWidth), px(kClientHeight));
    place(ComDeal, kComDeal);
    place(TxtSource, kTxtSource);
    place(Label1, kLabel1);
    place(ComExit, kComExit);
    place(LinArea, kLinArea);
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
    SpinPerFile->setMaximum(SpinBoards->value());  // may lower the boards per file
    for (auto* spin : {SpinBoards, SpinPerFile, SpinFillers}) {
        QSettings().setValue(spin->property("key").toString(), spin->value());
    }
    const conversion::SetShape now = shape();
    setWindowTitle(QString::fromStdString(conversion::shapeTitle(now)));
    CD1->setWindowTitle(QString::fromStdString(conversion::shapeDialogTitle(now)));
    if (static_cast<int>(TxtLin.size()) != now.files()) {
        for (auto* box : TxtLin) delete box;
        TxtLin.clear();
        for (int i = 0; i < now.files(); ++i) {
            TxtLin.push_back(makeBox(LinArea->widget(), QStringLiteral("TxtLin%1").arg(i),
                                     QStringLiteral("Lin file %1").arg(i + 1)));
            TxtLin.back()->show();
        }
        Label1->setBuddy(TxtLin[0]);
        // Tab: the shape, Get Deal File, the source's box, the files' boxes, Exit.
        QList<QWidget*> order = {SpinBoards, SpinPerFile, SpinFillers, ComDeal, TxtSource};
        order.append(QList<QWidget*>(TxtLin.begin(), TxtLin.end()));
        order.append(ComExit);
        for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    }
    placeControls();
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

void Quillotan::convertFile(const QString& path) { convertFile(toPath(path)); }

void Quillotan::convertFile(const std::filesystem::path& path) {
    // Absolute, but with its .. kept: the system resolves them after the links before them.
    std::error_code failed;
    const std::filesystem::path source = std::filesystem::absolute(path, failed);
    std::vector<std::filesystem::path> written;
    QString error, warning;
    try {
        const auto result = conversion::convert(source, m_clock, shape());
        written = result.outputs;
        // The files are written; what looks wrong in the deals is the director's to judge.
        if (!result.findings.empty()) {
            warning =
                QString::fromStdString(conversion::findingsText(result.findings, shape().files()));
        }
        QSettings().setValue(QLatin1String(kLastFolderKey), toQString(source.parent_path()));
    } catch (const conversion::ConversionError& failure) {
        // The run's own error says what was wrong, where, and which files were written.
        error = QString::fromUtf8(failure.what());
        written = failure.written();
    }
    // The boxes show this run's names alone: a file it did not write leaves its box empty.
    const auto shown = [](const std::filesystem::path& name) {
        return QString::fromStdString(conversion::displayPath(name));
    };
    TxtSource->setText(shown(source));
    for (std::size_t i = 0; i < TxtLin.size(); ++i) {
        TxtLin[i]->setText(i < written.size() ? shown(written[i]) : QString());
    }
    if (!error.isEmpty()) {
        showMessage(this, QMessageBox::Critical, error);
    } else if (!warning.isEmpty()) {
        showMessage(this, QMessageBox::Warning, warning);
    }
}

void Quillotan::ComExit_Click() { close(); }

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
