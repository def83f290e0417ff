#include "ui/ServerEditorWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/ServerList.h"
#include "ui/ControlTable.h"

namespace kestrune {

namespace {

const QSize kOuterSize(262, 331);

// clang-format off
constexpr std::array<ControlRow, 13> kControls = {{
//   control        kind                     parent      x    y    w    h   caption                    settings
    {"分组框1",     ControlKind::GroupBox,   nullptr,    4,   2, 248, 294, "服务器信息",             kPlain},
    {"标签1",       ControlKind::Label,      "分组框1", 19,  24,  56,  24, "IP/域名：",              kPlain},
    {"编辑框_域名", ControlKind::LineEdit,   "分组框1", 75,  24, 150,  24, "127.0.0.1",              kPlain},
    {"标签2",       ControlKind::Label,      "分组框1", 19,  56,  56,  24, "端口：",                 kPlain},
    {"编辑框_端口", ControlKind::LineEdit,   "分组框1", 75,  56,  64,  24, "3389",                   kPlain},
    {"标签3",       ControlKind::Label,      "分组框1",  8,  88,  67,  24, "登陆账号：",             kPlain},
    {"编辑框_账号", ControlKind::LineEdit,   "分组框1", 75,  88, 150,  24, "Administrator",          kPlain},
    {"标签4",       ControlKind::Label,      "分组框1",  8, 120,  67,  24, "登陆密码：",             kPlain},
    {"编辑框_密码", ControlKind::LineEdit,   "分组框1", 75, 120, 150,  24, "",                       kPlain},
    {"标签5",       ControlKind::Label,      "分组框1",  8, 152,  67,  24, "备注：",                 kPlain},
    {"编辑框_备注", ControlKind::TextEdit,   "分组框1", 75, 152, 150,  88, "",                       kPlain},
    {"按钮1",       ControlKind::PushButton, "分组框1", 16, 255, 100,  30, "添 加 列 表(ADDLIST)",   kDefaultButton},
    {"按钮2",       ControlKind::PushButton, "分组框1",136, 255, 100,  30, "取 消\r\n(Close)",       kPlain},
}};

// The boxes in ServerEntry field order, with the field's name for messages.
struct Field {
    const char* box;
    const char* name;
};
constexpr std::array<Field, 5> kFields = {{
    {"编辑框_域名", "IP/域名"},
    {"编辑框_端口", "端口"},
    {"编辑框_账号", "登陆账号"},
    {"编辑框_密码", "登陆密码"},
    {"编辑框_备注", "备注"},
}};
// clang-format on

constexpr std::size_t kRemark = 4;

}  // namespace

ServerEditorWindow::ServerEditorWindow(AppState& state, std::function<void()> refreshRows)
    : QDialog(nullptr),
      state_(state),
      refreshRows_(std::move(refreshRows)),
      editTarget_(state.editTarget) {
    PrepareFixedWindow(*this, QStringLiteral("添加服务器列表"), kOuterSize);
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    BuildControls(*this, kControls);

    for (std::size_t i = 0; i < kFields.size(); ++i) {
        boxes_[i] = Control<QWidget>(*this, kFields[i].box);
    }

    // The created handler: in edit mode the boxes show the entry's texts.
    if (editTarget_ > 0) {
        const ServerEntry e = state_.serverList->EntryAt(editTarget_);
        const std::array<const std::string*, kFieldCount> texts = {&e.address, &e.port, &e.account,
                                                                   &e.password, &e.remark};
        for (std::size_t i = 0; i < kFieldCount; ++i) {
            const QString display = ToDisplayText(*texts[i]);
            if (i == kRemark) {
                static_cast<QPlainTextEdit*>(boxes_[i])->setPlainText(display);
            } else {
                static_cast<QLineEdit*>(boxes_[i])->setText(display);
            }
        }
        Control<QPushButton>(*this, "按钮1")->setText(QStringLiteral("修 改 列 表(EDIT LIST)"));
        setWindowTitle(QStringLiteral("修改服务器列表"));
        for (std::size_t i = 0; i < kFieldCount; ++i) {
            shown_[i] = ShownText(*texts[i], BoxText(i));
        }
    }

    connect(Control<QPushButton>(*this, "按钮1"), &QPushButton::clicked, this,
            &ServerEditorWindow::OnOk);
    connect(Control<QPushButton>(*this, "按钮2"), &QPushButton::clicked, this, &QDialog::reject);
    // Deleted once closed, by whichever way.
    connect(this, &QDialog::finished, this, &QObject::deleteLater);
}

QString ServerEditorWindow::BoxText(std::size_t field) const {
    if (field == kRemark) {
        return static_cast<const QPlainTextEdit*>(boxes_[field])->toPlainText();
    }
    return static_cast<const QLineEdit*>(boxes_[field])->text();
}

void ServerEditorWindow::OnOk() {
    if (done_) {
        return;
    }
    std::array<std::string, kFieldCount> texts;
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        QString typed = BoxText(i);
        if (shown_[i].IsUnchanged(typed)) {
            texts[i] = shown_[i].Original();
            continue;
        }
        const bool remark = i == kRemark;
        if (remark) {
            // A line typed into the remark ends in CR LF, as the system's multi-line boxes give.
            typed.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        }
        TypedText converted = ConvertTypedText(
            typed, remark ? SettingsTextKind::Remark : SettingsTextKind::ServerText);
        if (converted.fault) {
            ShowTextFaultMessage(QString::fromUtf8(kFields[i].name), *converted.fault);
            boxes_[i]->setFocus();
            return;
        }
        texts[i] = std::move(converted.bytes);
    }

    if (editTarget_ < 1) {
        ServerEntry e;
        e.address = texts[0];
        e.port = texts[1];
        e.account = texts[2];
        e.password = texts[3];
        e.remark = texts[4];
        e.status = ServerStatus::Unknown;
        state_.serverList->Append(e);
    } else {
        state_.serverList->ReplaceFields(editTarget_, texts[0], texts[1], texts[2], texts[3],
                                         texts[4]);
    }
    if (refreshRows_) {
        refreshRows_();
    }
    done_ = true;
    // Closed once this handler has returned.
    QMetaObject::invokeMethod(this, &QDialog::accept, Qt::QueuedConnection);
}

}  // namespace kestrune
