#include "ui/TypedText.h"

#include "platform/CodePage.h"
#include "ui/MessageBox.h"

namespace kestrune {

QString ToDisplayText(const std::string& bytes) {
    return QString::fromStdU16String(Cp936ToUtf16(bytes));
}

TypedText ConvertTypedText(const QString& typed, SettingsTextKind kind) {
    std::optional<std::string> bytes = Utf16ToCp936(typed.toStdU16String());
    if (!bytes) {
        return {{}, TextFault::NotInCodePage};
    }
    TypedText result{std::move(*bytes), std::nullopt};
    result.fault = CheckSettingsText(result.bytes, kind);
    return result;
}

QString TextFaultMessage(const QString& fieldName, TextFault fault) {
    QString what;
    switch (fault) {
        case TextFault::Delimiter:
            what = QStringLiteral("字符“|”");
            break;
        case TextFault::ClosingMarker:
            what = QStringLiteral("字符“>”");
            break;
        case TextFault::Marker:
            what = QStringLiteral("“#onsole:”、“#admin:”、“#Start:”或“#LoadinPass:<”");
            break;
        case TextFault::LineBreak:
            what = QStringLiteral("换行");
            break;
        case TextFault::ZeroChar:
            what = QStringLiteral("空字符");
            break;
        case TextFault::LoneHighByte:
            what = QStringLiteral("单字节的扩展字符（如“€”）");
            break;
        case TextFault::NotInCodePage:
            what = QStringLiteral("简体中文(GBK)编码无法表示的字符");
            break;
    }
    return QStringLiteral("“%1”中含有%2，配置文件无法保存。\n请修改后再试。").arg(fieldName, what);
}

void ShowTextFaultMessage(const QString& fieldName, TextFault fault) {
    ShowMessageBox({TextFaultMessage(fieldName, fault), QStringLiteral("输入错误"),
                    MessageIcon::Error, MessageButtons::Ok});
}

}  // namespace kestrune
