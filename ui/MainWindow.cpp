#include "ui/MainWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QThread>
#include <algorithm>
#include <array>

#include "core/ServerList.h"
#include "launch/SessionLauncher.h"
#include "probe/ProbeView.h"
#include "ui/ControlTable.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/PasswordSetupWindow.h"
#include "ui/Pictures.h"
#include "ui/ServerEditorWindow.h"
#include "ui/ServerRowsModel.h"
#include "ui/TypedText.h"

namespace kestrune {

namespace {

const QSize kOuterSize(486, 443);

// clang-format off
constexpr std::array<ControlRow, 17> kControls = {{
//   control             kind                      parent      x    y    w    h   caption            settings
    {"图片框1",          ControlKind::PictureBox,  nullptr,    5,   4, 469,  62, "",               kSunkenEdge},
    {"分组框2",          ControlKind::GroupBox,    nullptr,    4,  68, 465, 180, "服务器控制",     kPlain},
    {"超级列表框1",      ControlKind::ListView,    "分组框2",  8,  12, 344, 160, "",               kSongTi12 | kSunkenEdge},
    {"按钮_连接服务器",  ControlKind::PushButton,  "分组框2", 360, 12, 100,  30, "连接(LinkSer)",  kDisabled | kDefaultButton | kSongTi12 | kBold},
    {"按钮_添加服务器",  ControlKind::PushButton,  "分组框2", 360, 44, 100,  30, "添加(Add)",      kPlain},
    {"按钮_删除服务器",  ControlKind::PushButton,  "分组框2", 360, 76, 100,  30, "删除(Delete)",   kDisabled},
    {"按钮_设置服务器",  ControlKind::PushButton,  "分组框2", 360,108, 100,  30, "修改(Edit)",     kPlain},
    {"按钮_启动密码",    ControlKind::PushButton,  "分组框2", 360,141, 100,  30, "启动密码(Pass)", kPlain},
    {"分组框4",          ControlKind::GroupBox,    nullptr,    5, 253, 344, 115, "备注",           kPlain},
    {"编辑框_备注",      ControlKind::TextEdit,    "分组框4",  7,  14, 328,  93, "",               kReadOnly | kSunkenEdge},
    {"分组框1",          ControlKind::GroupBox,    nullptr,  358, 256, 115,  56, "启动方式",       kPlain},
    {"选择框_onsole",    ControlKind::CheckBox,    "分组框1",  8,  16,  72,  16, "console",        kPlain},
    {"选择框_admin",     ControlKind::CheckBox,    "分组框1",  8,  35,  72,  16, "admin",          kPlain},
    {"分组框3",          ControlKind::GroupBox,    nullptr,  358, 312, 115,  56, "分辨率",         kPlain},
    {"单选框800600",     ControlKind::RadioButton, "分组框3",  8,  16,  88,  16, " 800*600",       kPlain},
    {"单选框1024768",    ControlKind::RadioButton, "分组框3",  8,  32,  80,  16, "1024*768",       kPlain},
    {"超级链接框1",      ControlKind::Hyperlink,   nullptr,   24, 368, 232,  40, "Brelquin",       kPlain},
}};

constexpr std::array<int, 4> kColumnWidths = {130, 50, 100, 60};
// clang-format on

QString StatusText(ServerStatus status) {
    switch (status) {
        case ServerStatus::Online:
            return QStringLiteral("在线");
        case ServerStatus::Offline:
            return QStringLiteral("离线");
        case ServerStatus::Unknown:
            break;
    }
    return QStringLiteral("...");
}

// What the probe workers hold. It keeps a context object of its own on the GUI thread, so that
// an update handed over after the window is gone still has a receiver, and there finds the
// window gone and is dropped.
class GuiProbeView final : public ProbeView {
public:
    explicit GuiProbeView(MainWindow* window) : window_(window), context_(new QObject) {}
    ~GuiProbeView() override {
        // The last holder may be a worker: the context is ended on its own thread.
        context_->deleteLater();
    }
    GuiProbeView(const GuiProbeView&) = delete;
    GuiProbeView& operator=(const GuiProbeView&) = delete;

    int RowCount() const override { return window_ ? window_->RowCount() : 0; }

    void ApplyOnGuiThread(const std::function<void()>& update) override {
        const auto run = [this, &update] {
            if (window_) {
                update();
            }
        };
        if (QThread::currentThread() == context_->thread()) {
            run();
            return;
        }
        QMetaObject::invokeMethod(context_, run, Qt::BlockingQueuedConnection);
    }

    void SetRowStateImage(int row, int image) override {
        if (window_) {
            window_->SetRowStateImage(row, image);
        }
    }

    void SetRowText(int row, int column, const std::string& text) override {
        if (window_) {
            window_->SetRowText(row, column, text);
        }
    }

private:
    QPointer<MainWindow> window_;
    QObject* context_;
};

void SetUpListView(QTableView& list, ServerRowsModel& rows) {
    list.setModel(&rows);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.setEditTriggers(QAbstractItemView::NoEditTriggers);
    list.setSortingEnabled(false);
    list.setShowGrid(true);
    list.setWordWrap(false);
    list.setTabKeyNavigation(false);
    list.setCornerButtonEnabled(false);
    list.setContextMenuPolicy(Qt::NoContextMenu);
    list.setIconSize(QSize(12, 13));

    QHeaderView* rowHeader = list.verticalHeader();
    rowHeader->hide();
    rowHeader->setSectionResizeMode(QHeaderView::Fixed);
    rowHeader->setMinimumSectionSize(1);
    rowHeader->setDefaultSectionSize(std::max(list.fontMetrics().height() + 3, 15));

    QHeaderView* header = list.horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(1);
    for (std::size_t c = 0; c < kColumnWidths.size(); ++c) {
        header->resizeSection(static_cast<int>(c), kColumnWidths[c]);
    }

    // Button-face background, black text, and a selection that stays visible without focus.
    QPalette p = list.palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Base, p.color(group, QPalette::Button));
        p.setColor(group, QPalette::Text, Qt::black);
        p.setColor(group, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
        p.setColor(group, QPalette::HighlightedText,
                   p.color(QPalette::Active, QPalette::HighlightedText));
    }
    p.setColor(QPalette::Disabled, QPalette::Base, p.color(QPalette::Disabled, QPalette::Button));
    list.setPalette(p);
}

}  // namespace

MainWindow::MainWindow(AppState& state)
    : QDialog(nullptr), state_(state), probeView_(std::make_shared<GuiProbeView>(this)) {
    PrepareFixedWindow(*this, QStringLiteral("Kestrune v1.2"), kOuterSize);
    BuildControls(*this, kControls);

    Control<QLabel>(*this, "图片框1")->setPixmap(BannerPicture());

    list_ = Control<QTableView>(*this, "超级列表框1");
    rows_ = new ServerRowsModel(list_);
    SetUpListView(*list_, *rows_);

    remark_ = Control<QPlainTextEdit>(*this, "编辑框_备注");
    connect_ = Control<QPushButton>(*this, "按钮_连接服务器");
    delete_ = Control<QPushButton>(*this, "按钮_删除服务器");
    console_ = Control<QCheckBox>(*this, "选择框_onsole");
    admin_ = Control<QCheckBox>(*this, "选择框_admin");
    r800x600_ = Control<QRadioButton>(*this, "单选框800600");
    r1024x768_ = Control<QRadioButton>(*this, "单选框1024768");

    // The list view reports a new current row before a mouse press has moved the selection to
    // it; the handler runs once the press is over, so that it reads the selection of the pick.
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    QMetaObject::invokeMethod(this, &MainWindow::OnFocusedRowChanged,
                                              Qt::QueuedConnection);
                }
            });
    connect(connect_, &QPushButton::clicked, this, &MainWindow::OnConnectClicked);
    connect(Control<QPushButton>(*this, "按钮_添加服务器"), &QPushButton::clicked, this,
            &MainWindow::OnAddClicked);
    connect(delete_, &QPushButton::clicked, this, &MainWindow::OnDeleteClicked);
    connect(Control<QPushButton>(*this, "按钮_设置服务器"), &QPushButton::clicked, this,
            &MainWindow::OnEditClicked);
    connect(Control<QPushButton>(*this, "按钮_启动密码"), &QPushButton::clicked, this,
            &MainWindow::OnPasswordClicked);
}

MainWindow::~MainWindow() = default;

void MainWindow::RefreshServerList() {
    const std::vector<ServerEntry> entries = state_.serverList->Entries();
    std::vector<ServerRow> rows;
    rows.reserve(entries.size());
    int value = 0;
    for (const ServerEntry& e : entries) {
        rows.push_back(ServerRow{{ToDisplayText(e.address), ToDisplayText(e.port),
                                  ToDisplayText(e.account), StatusText(e.status)},
                                 static_cast<int>(e.status) - 1,
                                 ++value});
    }
    rows_->ResetRows(std::move(rows));
}

int MainWindow::SelectedPosition() const {
    const QModelIndexList selected = list_->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return 0;
    }
    return selected.first().data(ServerRowsModel::kItemValueRole).toInt();
}

void MainWindow::SetConnectEnabled(bool enabled) {
    connect_->setEnabled(enabled);
}

void MainWindow::ShowSelectionMessage() {
    ShowMessageBox({QStringLiteral("请选择服务器列表！"), QStringLiteral("操作错误"),
                    MessageIcon::Error, MessageButtons::Ok});
}

void MainWindow::TurnConsoleOn() {
    console_->setChecked(true);
}

void MainWindow::TurnAdminOn() {
    admin_->setChecked(true);
}

void MainWindow::SelectResolution(Resolution resolution) {
    (resolution == Resolution::R1024x768 ? r1024x768_ : r800x600_)->setChecked(true);
}

bool MainWindow::IsConsoleOn() const {
    return console_->isChecked();
}

bool MainWindow::IsAdminOn() const {
    return admin_->isChecked();
}

bool MainWindow::IsResolutionSelected(Resolution resolution) const {
    return (resolution == Resolution::R1024x768 ? r1024x768_ : r800x600_)->isChecked();
}

int MainWindow::RowCount() const {
    return rows_->rowCount();
}

void MainWindow::SetRowStateImage(int row, int image) {
    rows_->SetStateImage(row, image);
}

void MainWindow::SetRowText(int row, int column, const std::string& text) {
    rows_->SetCellText(row, column, ToDisplayText(text));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close request handler runs once; the close is never refused.
    if (!closed_) {
        closed_ = true;
        emit CloseRequested();
    }
    event->accept();
}

void MainWindow::reject() {
    close();
}

void MainWindow::OnFocusedRowChanged() {
    delete_->setEnabled(true);
    connect_->setEnabled(true);
    // The list can make a row current without selecting it (when it gains the keyboard focus):
    // then there is no entry to show and the remark box keeps its text.
    const int p = SelectedPosition();
    if (p > 0) {
        remark_->setPlainText(ToDisplayText(state_.serverList->EntryAt(p).remark));
    }
}

void MainWindow::OnConnectClicked() {
    LaunchSession(*this, *state_.serverList);
}

void MainWindow::OnAddClicked() {
    state_.editTarget = 0;
    OpenServerEditor();
}

void MainWindow::OnEditClicked() {
    const int p = SelectedPosition();
    if (p > 0) {
        state_.editTarget = p;
        OpenServerEditor();
    } else {
        ShowSelectionMessage();
    }
}

void MainWindow::OnDeleteClicked() {
    if (SelectedPosition() <= 0) {
        ShowSelectionMessage();
        return;
    }
    const MessageAnswer answer =
        ShowMessageBox({QStringLiteral("确认删除该项？"), QStringLiteral("删除项目"),
                        MessageIcon::None, MessageButtons::OkCancel});
    if (answer != MessageAnswer::Ok) {
        return;
    }
    state_.serverList->RemoveAt(SelectedPosition());
    RefreshServerList();
}

void MainWindow::OnPasswordClicked() {
    auto* window = new PasswordSetupWindow(state_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void MainWindow::OpenServerEditor() {
    // A fresh editor at every opening; it rebuilds the rows itself after OK.
    auto* editor = new ServerEditorWindow(state_, [window = QPointer<MainWindow>(this)] {
        if (window) {
            window->RefreshServerList();
        }
    });
    editor->show();
}

}  // namespace kestrune
