#include "ui/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace kestrune {

namespace {

ScriptedMessageBoxes* scripted = nullptr;

MessageAnswer ClosingAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel:
            return MessageAnswer::Cancel;
        case MessageButtons::YesNo:
            return MessageAnswer::No;
        case MessageButtons::Ok:
            break;
    }
    return MessageAnswer::Ok;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

ScriptedMessageBoxes::ScriptedMessageBoxes() {
    Q_ASSERT(scripted == nullptr);
    scripted = this;
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    scripted = nullptr;
}

MessageAnswer ScriptedMessageBoxes::Answer(const MessageRequest& request) {
    asked_.push_back(request);
    if (answers_.empty()) {
        return ClosingAnswer(request.buttons);
    }
    const MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

MessageAnswer ShowMessageBox(const MessageRequest& request) {
    if (scripted != nullptr) {
        return scripted->Answer(request);
    }
    QMessageBox box(BoxIcon(request.icon), request.caption, request.text, QMessageBox::NoButton,
                    nullptr);
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextFormat(Qt::PlainText);
    switch (request.buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Ok);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            break;
    }
    return ClosingAnswer(request.buttons);
}

}  // namespace kestrune
