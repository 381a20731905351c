#include "app/main_window.h"

#include "app/hint_timing.h"
#include "app/main_window_links.h"
#include "app/mode_word.h"
#include "app/program_state.h"
#include "app/screen_cursors.h"
#include "app/settings_file.h"
#include "app/window_set.h"
#include "catalogue/catalogue_load.h"
#include "catalogue/list_selection.h"
#include "catalogue/move_engine.h"
#include "catalogue/selection_input.h"
#include "catalogue/thumbnail_delegate.h"
#include "chooser/folder_chooser.h"
#include "chooser/folder_probe.h"
#include "platform/file_exists.h"
#include "platform/fonts.h"
#include "platform/name_codec.h"
#include "platform/paths.h"
#include "platform/window_frame.h"
#include "platform/working_folder.h"
#include "rename/batch_rename_dialog.h"
#include "rename/single_rename_dialog.h"
#include "viewer/notice_box.h"
#include "viewer/size_dialog.h"
#include "viewer/viewer_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>

#include <algorithm>

namespace volmarin {

namespace {
inline constexpr int ModePanelWidth = 80;
inline constexpr int StatusBarHeight = 22;
inline constexpr int ListTop = 2;
inline constexpr int InitialWidth = 800;
inline constexpr int InitialHeight = 599;

const QString VersionLine = QStringLiteral("VOLMARIN Version 1.6");
const QString VersionSecondLine = QStringLiteral("写真を並べて連番でリネーム");
} // namespace

TForm1::TForm1() {
    ui.setupUi(this);
    setFont(programFont(12));
    // Drop-down menus are windows of their own, which take no font from the window they
    // drop from; they are written in the program's font like the rest of its text.
    QApplication::setFont(programFont(12), "QMenu");
    ListView1 = ui.ListView1;
    Button1 = ui.Button1;
    StatusBar1 = ui.StatusBar1;

    // The list lies over the focus sink, which is never seen.
    Button1->lower();
    catalogue = new CatalogueModel(ImageList1, this);
    ListView1->setModel(catalogue);
    // A grid of icons in index order. List mode with wrapping lays it out like an icon view
    // but keeps no per-item geometry, so a change over thousands of items stays cheap.
    ListView1->setViewMode(QListView::ListMode);
    ListView1->setFlow(QListView::LeftToRight);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setResizeMode(QListView::Adjust);
    ListView1->setMovement(QListView::Static);
    ListView1->setWrapping(true);
    ListView1->setUniformItemSizes(true);
    auto* delegate = new ThumbnailDelegate(ImageList1, ListView1);
    delegate->isRowSelected = [this](int row) { return ListView1->isRowSelected(row); };
    ListView1->setItemDelegate(delegate);
    ListView1->setSpacing(2);

    StatusBar1->setFixedHeight(StatusBarHeight);
    statusPanel0_ = new QLabel(StatusBar1);
    statusPanel0_->setObjectName(QStringLiteral("StatusPanel0"));
    statusPanel0_->setFixedWidth(ModePanelWidth);
    statusPanel0_->setAlignment(Qt::AlignCenter);
    statusPanel0_->setFrameShape(QFrame::Panel);
    statusPanel0_->setFrameShadow(QFrame::Sunken);
    statusPanel1_ = new QLabel(StatusBar1);
    statusPanel1_->setObjectName(QStringLiteral("StatusPanel1"));
    statusPanel1_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    statusPanel1_->setFrameShape(QFrame::Panel);
    statusPanel1_->setFrameShadow(QFrame::Sunken);
    // The panel takes the width the window has and cuts a longer line at its edge: a long
    // file name must never widen the window, only the user does that.
    statusPanel1_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // File names are shown exactly as stored, never read as markup.
    statusPanel0_->setTextFormat(Qt::PlainText);
    statusPanel1_->setTextFormat(Qt::PlainText);
    StatusBar1->addWidget(statusPanel0_);
    StatusBar1->addWidget(statusPanel1_, 1);

    // Access keys are exactly those written in the captions.
    for (QAction* action : {ui.Folder1, ui.SyuuRyou, ui.Kobetu, ui.Ikkatu, ui.Settei, ui.VERSION}) {
        action->setShortcutContext(Qt::WindowShortcut);
    }
    connect(ui.Folder1, &QAction::triggered, this, &TForm1::Folder1Click);
    connect(ui.SyuuRyou, &QAction::triggered, this, &TForm1::SyuuRyouClick);
    connect(ui.Kobetu, &QAction::triggered, this, &TForm1::KobetuClick);
    connect(ui.Ikkatu, &QAction::triggered, this, &TForm1::IkkatuClick);
    connect(ui.Settei, &QAction::triggered, this, &TForm1::SetteiClick);
    connect(ui.VERSION, &QAction::triggered, this, &TForm1::VERSIONClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(80);
    connect(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);

    // The catalogue's steps, reaching the list, the status bar, the notice box and the
    // chooser through the links, and the program-wide variables by reference.
    links_ = std::make_unique<MainWindowLinks>(*this, statusPanel0_, statusPanel1_);
    const CatalogueVariables variables{SourceIndex, TargetIndex, MoveCount, LoadPosition,
                                       LoadedFolder};
    selection_ = std::make_unique<ListSelection>(links_->list, *catalogue, SourceIndex);
    load_ = std::make_unique<CatalogueLoad>(variables, ImageList1, *catalogue, *selection_,
                                            links_->list, links_->panels, links_->notice,
                                            links_->files, *Timer1);
    moves_ = std::make_unique<MoveEngine>(variables, links_->carrier, ImageList1, *selection_,
                                          links_->list, links_->panels, links_->notice, *Timer2,
                                          *Timer3);
    input_ = std::make_unique<SelectionInput>(variables, *selection_, links_->list, links_->panels,
                                              links_->notice, *load_, *moves_);

    connect(ListView1, &CatalogueView::pressed, this, &TForm1::ListView1MouseDown);
    connect(ListView1, &CatalogueView::released, this, &TForm1::ListView1MouseUp);
    connect(ListView1, &CatalogueView::keyReleased, this, &TForm1::ListView1KeyUp);
    connect(ListView1, &QAbstractItemView::doubleClicked, this, [this] { ListView1DblClick(); });
    connect(catalogue, &CatalogueModel::captionEditing, this, &TForm1::ListView1Changing);
    ListView1->dragOver = [this](QPoint at) { return ListView1DragOver(at); };
    ListView1->dragDrop = [this](QPoint at) { ListView1DragDrop(at); };
    ListView1->dragEnded = [this] { moves_->dragEnded(); };

    // Its first place and outer size, kept like a stored frame until the window manager's
    // frame is known, so that a first start without a settings file gives 800 x 599 outside.
    frameCheck_.setSingleShot(true);
    frameCheck_.setInterval(300);
    connect(&frameCheck_, &QTimer::timeout, this, &TForm1::checkStoredFrame);
    watchFrameExtents(this, [this] { keepStoredFrame(); });
    storedFrame_ = StoredFrame{0, 0, InitialWidth, InitialHeight};
    applyStoredFrame();
    FormCreate();
}

TForm1::~TForm1() {
    // Children outlive this part of the window: an edit committed while the list is torn
    // down, or a late drag event, must not reach the handlers.
    disconnect(catalogue, nullptr, this, nullptr);
    disconnect(ListView1, nullptr, this, nullptr);
    ListView1->dragOver = nullptr;
    ListView1->dragDrop = nullptr;
    ListView1->dragEnded = nullptr;
}

void TForm1::FormCreate() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        installHintTiming(*app);
    }
    SourceIndex = -1;
    TargetIndex = -1;
    ExitByMenu = 0;
    registerDragCursors();
    Timer2->start();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    keepStoredFrame();
    layoutCatalogue();
}

void TForm1::layoutCatalogue() {
    // The list follows the window on all four sides, two pixels below the menu.
    const QSize area = ui.centralwidget->size();
    ListView1->setGeometry(0, ListTop, area.width(), std::max(0, area.height() - ListTop));
}

void TForm1::Timer2Timer() {
    Timer2->stop();
    if (modeWord() != mode::Moving) {
        startupStep();
    } else {
        moves_->tick();
    }
}

void TForm1::startupStep() {
    StartFolder = Form2->currentFolder();
    // The working directory's own bytes: a start folder named in Shift-JIS, say, reads its
    // own settings file and no other.
    const QString path = joinPath(workingFolder(), SettingsFileName);
    if (!fileExists(path)) {
        return;
    }
    const std::optional<QByteArray> content = readSettingsFile(path);
    if (!content) {
        return;
    }
    applySettingsFile(*content);
}

void TForm1::applySettingsFile(const QByteArray& content) {
    SettingsReader reader(content);
    // The values read before a bad line are in force when its error reaches the general
    // error report. Places are those of the windows' outer frames. A file that stops early
    // leaves the initial frame's values in force.
    if (!storedFrame_) {
        storedFrame_.emplace();
    }
    {
        // The four lines take effect together, also when the reading stops at one of them
        // (nothing else runs in between, so the window cannot tell the difference): one
        // request leaves the window manager no half-done place to act on.
        const auto applyWhenRead = qScopeGuard([this] { applyStoredFrame(); });
        storedFrame_->top = reader.readNumber();
        storedFrame_->left = reader.readNumber();
        storedFrame_->width = reader.readNumber();
        storedFrame_->height = reader.readNumber();
    }
    for (QWidget* window :
         std::initializer_list<QWidget*>{Form2, Form3, Form4, Form5, Form6, Form7}) {
        window->move(window->pos().x(), reader.readNumber());
        window->move(reader.readNumber(), window->pos().y());
    }
    Form5->ui.Edit1->setText(reader.readText());
    const QString folder = reader.readFolder();
    const FolderAnswer answer =
        folder.isEmpty() ? FolderAnswer::NotFolder : probeFolder(folder, FolderAnswerLimit);
    if (answer == FolderAnswer::Folder) {
        Form2->setFolder(folder);
    }
    // A default folder on a volume that does not answer now (a share whose server is down)
    // is kept for the next start; the chooser stays in the start folder meanwhile.
    if (answer != FolderAnswer::NotFolder) {
        DefaultFolder = folder;
    }
}

QMargins TForm1::currentFrameMargins() const {
    // The frame the window manager declares to the X server; the toolkit's own copy can lag
    // behind a frame that came without moving the window.
    return declaredFrameOf(this).value_or(frameMarginsOf(this));
}

void TForm1::applyStoredFrame() {
    applyStoredFrame(currentFrameMargins());
}

void TForm1::applyStoredFrame(const QMargins& margins) {
    // The stored size is the outer one, frame included. It is kept within what the screen
    // can show, so that no settings file can make a window too large to use or to hold.
    const StoredFrame& frame = *storedFrame_;
    marginsWhenPlaced_ = margins;
    QSize inner = size();
    if (frame.width || frame.height) {
        const QScreen* screen = this->screen();
        const QSize largest = screen ? screen->availableVirtualSize() : QSize(4096, 4096);
        const QSize smallest = minimumSizeHint();
        const auto within = [](int value, int low, int high) {
            return std::clamp(value, low, std::max(low, high));
        };
        const int frameWidth = margins.left() + margins.right();
        const int frameHeight = margins.top() + margins.bottom();
        if (frame.width)
            inner.setWidth(
                within(*frame.width - frameWidth, smallest.width(), largest.width() - frameWidth));
        if (frame.height)
            inner.setHeight(within(*frame.height - frameHeight, smallest.height(),
                                   largest.height() - frameHeight));
    }
    // The outer frame goes to the stored place: the window's own area is asked for inside
    // the frame known now, always in the window's own terms and in one request. (Asked for
    // by the frame, the place would reach the window manager in other terms than a size
    // change, which toolkit and window manager can read differently under load.) A frame
    // that comes later shifts the frame, and checkStoredFrame asks again.
    placeAsked_ = QPoint(frame.left.value_or(pos().x()), frame.top.value_or(pos().y()));
    sizeAsked_ = inner;
    setGeometry(QRect(placeAsked_ + QPoint(margins.left(), margins.top()), inner));
    frameCheck_.start();
}

void TForm1::keepStoredFrame() {
    // A window manager that frames the window only after the settings were applied would
    // shift it by its frame and add the frame to its size; the stored frame is applied
    // again when the frame becomes known.
    if (storedFrame_ && currentFrameMargins() != marginsWhenPlaced_)
        applyStoredFrame();
}

void TForm1::checkStoredFrame() {
    if (!storedFrame_ || !isVisible())
        return;
    const std::optional<ServerFrame> server = serverFrameOf(this);
    // Without a window manager there is no frame to wait for; one that frames the window
    // later still finds the stored frame (keepStoredFrame).
    if (!server || server->extents.isNull())
        return;
    const QSize outerAsked = sizeAsked_.grownBy(marginsWhenPlaced_);
    const bool inPlace =
        server->extents == marginsWhenPlaced_ && server->outer == QRect(placeAsked_, outerAsked);
    if (inPlace || --frameRequestsLeft_ <= 0) {
        storedFrame_.reset();
        return;
    }
    // Put elsewhere by a request of ours that the window manager answered late, or framed
    // without the toolkit being told: the frame is asked for again, with the frame the
    // server has.
    applyStoredFrame(server->extents);
}

void TForm1::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    keepStoredFrame();
}

void TForm1::settingsWrite() {
    ImageList1.clear();
    SettingsValues values;
    auto next = values.numbers.begin();
    *next++ = pos().y();
    *next++ = pos().x();
    *next++ = frameGeometry().width();
    *next++ = frameGeometry().height();
    for (QWidget* window :
         std::initializer_list<QWidget*>{Form2, Form3, Form4, Form5, Form6, Form7}) {
        *next++ = window->pos().y();
        *next++ = window->pos().x();
    }
    values.thumbnailSize = Form5->ui.Edit1->text();
    values.defaultFolder = DefaultFolder;
    // A failed write leaves the previous file as it was and is not reported: the program
    // ends either way.
    writeFileAtomically(joinPath(StartFolder, SettingsFileName), formatSettings(values));
}

void TForm1::SyuuRyouClick() {
    if (mode::isBusy(modeWord())) {
        return;
    }
    settingsWrite();
    ExitByMenu = 1;
    for (QWidget* window :
         std::initializer_list<QWidget*>{Form7, Form6, Form5, Form4, Form3, Form2, Form1}) {
        window->close();
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    event->accept();
    // A second close request (the window manager may repeat one) changes nothing.
    if (ending_) {
        return;
    }
    ending_ = true;
    if (ExitByMenu != 1) {
        settingsWrite();
        for (QWidget* window :
             std::initializer_list<QWidget*>{Form7, Form6, Form5, Form4, Form3, Form2}) {
            window->close();
        }
    }
    // exit(), not quit(): quit() first asks every window to close and gives up when one
    // refuses, as the size dialog and the notice box do, which would leave a process
    // without a window.
    QCoreApplication::exit(0);
}

void TForm1::openDialog(QWidget* dialog, QWidget* focus) {
    // Dialogs are not modal: the disabled main window is what keeps the user in them.
    setWindowEnabled(MainWindow, false);
    dialog->show();
    dialog->activateWindow();
    focus->setFocus();
}

void TForm1::Folder1Click() {
    if (mode::isBusy(modeWord())) {
        return;
    }
    openDialog(Form2, Form2->ui.DirectoryListBox1);
    Form2->refresh();
}

void TForm1::KobetuClick() {
    if (SourceIndex < 0 || SourceIndex >= catalogue->count()) {
        return;
    }
    if (mode::isBusy(modeWord())) {
        return;
    }
    // The name in its shown form, which the dialog reads back with every byte of the name.
    Form4->ui.Memo1->setText(nameForDisplay(catalogue->caption(SourceIndex)));
    openDialog(Form4, Form4->ui.Memo1);
}

void TForm1::IkkatuClick() {
    if (LoadedFolder.isEmpty()) {
        return;
    }
    if (mode::isBusy(modeWord())) {
        return;
    }
    openDialog(Form3, Form3->ui.Button2);
}

void TForm1::SetteiClick() {
    if (mode::isBusy(modeWord())) {
        return;
    }
    PreviousSize = Form5->ui.Edit1->text();
    openDialog(Form5, Form5->ui.Button1);
}

void TForm1::VERSIONClick() {
    if (mode::isBusy(modeWord())) {
        return;
    }
    Form6->showNotice(MainWindow, VersionLine, VersionSecondLine);
}

} // namespace volmarin
