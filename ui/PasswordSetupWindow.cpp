#include "ui/PasswordSetupWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <utility>

#include "ui/ByteLimitValidator.h"
#include "ui/ControlTable.h"
#include "ui/MessageBox.h"
#include "ui/Padlock.h"
#include "ui/TypedText.h"

namespace kestrune {

namespace {

constexpr int kPasswordBytes = 16;

constexpr std::array<ControlRow, 7> kControls = {{
    {"图片框1", ControlKind::PictureBox, nullptr, 16, 15, 40, 32, "", kPlain},
    {"标签1", ControlKind::Label, nullptr, 64, 9, 56, 16, "新的密码:", kPlain},
    {"编辑框1", ControlKind::LineEdit, nullptr, 120, 8, 152, 24, "", kPlain},
    {"标签2", ControlKind::Label, nullptr, 64, 36, 56, 16, "重复密码:", kPlain},
    {"编辑框2", ControlKind::LineEdit, nullptr, 120, 33, 152, 24, "", kPlain},
    {"按钮1", ControlKind::PushButton, nullptr, 120, 65, 70, 26, "确定(OK)", kDefaultButton},
    {"按钮2", ControlKind::PushButton, nullptr, 205, 65, 70, 26, "取消(NO)", kPlain},
}};

}  // namespace

PasswordSetupWindow::PasswordSetupWindow(AppState& state) : QDialog(nullptr), state_(state) {
    PrepareFixedWindow(*this, QStringLiteral("启动密码设置(Set LoginPass)"), QSize(290, 130));
    setWindowModality(Qt::ApplicationModal);
    BuildControls(*this, kControls);

    ShowPadlock(*Control<QLabel>(*this, "图片框1"));

    for (const char* name : {"标签1", "标签2"}) {
        Control<QLabel>(*this, name)->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    for (const char* name : {"编辑框1", "编辑框2"}) {
        auto* box = Control<QLineEdit>(*this, name);
        box->setValidator(new ByteLimitValidator(kPasswordBytes, box));
    }
    Control<QLineEdit>(*this, "编辑框1")->setFocus();

    connect(Control<QPushButton>(*this, "按钮1"), &QPushButton::clicked, this,
            &PasswordSetupWindow::ChangePassword);
    connect(Control<QPushButton>(*this, "按钮2"), &QPushButton::clicked, this, &QDialog::reject);
}

void PasswordSetupWindow::ChangePassword() {
    const QString first = Control<QLineEdit>(*this, "编辑框1")->text();
    const QString second = Control<QLineEdit>(*this, "编辑框2")->text();
    if (first != second) {
        ShowMessageBox({QStringLiteral("两次密码必须相同"), QStringLiteral("输入出错"),
                        MessageIcon::Error, MessageButtons::Ok});
        return;
    }
    if (first.isEmpty()) {
        const MessageAnswer answer =
            ShowMessageBox({QStringLiteral("您确定要清空密码吗？"), QStringLiteral("提示"),
                            MessageIcon::Information, MessageButtons::YesNo});
        if (answer == MessageAnswer::Yes) {
            state_.startupPassword.clear();
            accept();
        }
        return;
    }
    // A password that the settings file would give back altered could lock the user out of the
    // list at the next start, or turn an option on: refuse it here.
    TypedText typed = ConvertTypedText(first, SettingsTextKind::StartupPassword);
    if (typed.fault) {
        ShowTextFaultMessage(QStringLiteral("新的密码"), *typed.fault);
        return;
    }
    state_.startupPassword = std::move(typed.bytes);
    accept();
}

}  // namespace kestrune
