#include "ui/AuthenticationWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <array>
#include <optional>
#include <string>

#include "core/ProgramEnd.h"
#include "platform/CodePage.h"
#include "ui/ByteLimitValidator.h"
#include "ui/ControlTable.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/Padlock.h"

namespace kestrune {

namespace {

constexpr int kPasswordBytes = 16;

constexpr std::array<ControlRow, 5> kControls = {{
    {"图片框1", ControlKind::PictureBox, nullptr, 12, 20, 38, 38, "", kPlain},
    {"标签1", ControlKind::Label, nullptr, 57, 7, 175, 16, "请输入密码(Input Password):", kPlain},
    {"编辑框1", ControlKind::LineEdit, nullptr, 64, 26, 152, 24, "", kPlain},
    {"按钮1", ControlKind::PushButton, nullptr, 64, 59, 72, 24, "确定(OK)", kDefaultButton},
    {"按钮2", ControlKind::PushButton, nullptr, 144, 59, 72, 24, "取消(NO)", kPlain},
}};

// The styles draw their own dot for a masked character; this box shows "*".
class AsteriskMaskStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

AuthenticationWindow::AuthenticationWindow(AppState& state) : QDialog(nullptr), state_(state) {
    PrepareFixedWindow(*this, QStringLiteral("身份验证 (Authentication)"), QSize(250, 123));
    setWindowModality(Qt::ApplicationModal);
    BuildControls(*this, kControls);

    ShowPadlock(*Control<QLabel>(*this, "图片框1"));

    auto* label = Control<QLabel>(*this, "标签1");
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);

    auto* entry = Control<QLineEdit>(*this, "编辑框1");
    entry->setEchoMode(QLineEdit::Password);
    auto* mask = new AsteriskMaskStyle;
    mask->setParent(entry);
    entry->setStyle(mask);
    entry->setFont(SongTiFont(16, true));
    entry->setValidator(new ByteLimitValidator(kPasswordBytes, entry));
    entry->setFocus();

    connect(Control<QPushButton>(*this, "按钮1"), &QPushButton::clicked, this,
            &AuthenticationWindow::CheckPassword);
    // Nothing is saved: the program ends here, the exit clean-up still running.
    connect(Control<QPushButton>(*this, "按钮2"), &QPushButton::clicked, this,
            [] { EndProgram(0); });
}

void AuthenticationWindow::CheckPassword() {
    auto* entry = Control<QLineEdit>(*this, "编辑框1");
    const std::optional<std::string> typed = Utf16ToCp936(entry->text().toStdU16String());
    // Byte for byte; an empty entry never opens the list, whatever is stored.
    if (typed && !typed->empty() && *typed == state_.startupPassword) {
        state_.accessGranted = 1;
        accept();
        return;
    }
    ShowMessageBox({QStringLiteral("密码错误"), QStringLiteral("错误"), MessageIcon::Error,
                    MessageButtons::Ok});
    entry->clear();
}

}  // namespace kestrune
