#include "ui/MessageBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace kestrune {
namespace {

const MessageRequest kQuestion{QStringLiteral("确认删除该项？"), QStringLiteral("删除项目"),
                               MessageIcon::None, MessageButtons::OkCancel};

TEST(MessageBox, ScriptedBoxesAnswerFromTheQueueThenAsClosingWould) {
    ScriptedMessageBoxes boxes;
    boxes.QueueAnswer(MessageAnswer::Ok);
    EXPECT_EQ(ShowMessageBox(kQuestion), MessageAnswer::Ok);
    EXPECT_EQ(ShowMessageBox(kQuestion), MessageAnswer::Cancel);
    EXPECT_EQ(ShowMessageBox({"t", "c", MessageIcon::Question, MessageButtons::YesNo}),
              MessageAnswer::No);
    EXPECT_EQ(ShowMessageBox({"t", "c", MessageIcon::Error, MessageButtons::Ok}),
              MessageAnswer::Ok);
    ASSERT_EQ(boxes.Asked().size(), 4U);
    EXPECT_EQ(boxes.Asked()[0].text, kQuestion.text);
    EXPECT_EQ(boxes.Asked()[0].caption, kQuestion.caption);
    EXPECT_EQ(boxes.Asked()[3].icon, MessageIcon::Error);
}

// A real box: no parent, application-modal, the texts and buttons asked for; Esc answers Cancel.
TEST(MessageBox, ARealBoxIsAParentlessApplicationModalBox) {
    struct Seen {
        bool found = false;
        QObject* parent = nullptr;
        Qt::WindowModality modality = Qt::NonModal;
        QString title, text;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };
    for (const auto& [pressOk, expected] :
         {std::pair{true, MessageAnswer::Ok}, std::pair{false, MessageAnswer::Cancel}}) {
        Seen seen;
        QTimer::singleShot(0, [&seen, pressOk = pressOk] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            seen = {true,
                    box->parent(),
                    box->windowModality(),
                    box->windowTitle(),
                    box->text(),
                    box->standardButtons(),
                    box->icon()};
            if (pressOk) {
                box->button(QMessageBox::Ok)->click();
            } else {
                box->reject();
            }
        });
        EXPECT_EQ(ShowMessageBox(kQuestion), expected);
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.parent, nullptr);
        EXPECT_EQ(seen.modality, Qt::ApplicationModal);
        EXPECT_EQ(seen.title, kQuestion.caption);
        EXPECT_EQ(seen.text, kQuestion.text);
        EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    }
}

}  // namespace
}  // namespace kestrune
