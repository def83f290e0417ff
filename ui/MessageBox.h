#pragma once

#include <QString>
#include <deque>
#include <vector>

namespace kestrune {

enum class MessageIcon { None, Error, Warning, Question, Information };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;

    friend bool operator==(const MessageRequest&, const MessageRequest&) = default;
};

// Every message box of the program goes through here. The box has no parent and is
// application-modal: no window of the program takes input until it is answered. Closing it with
// Esc or its close box answers Cancel or No (OK when that is its only button).
MessageAnswer ShowMessageBox(const MessageRequest& request);

// For tests, so that they never wait on a modal box: while an instance exists no box is shown.
// Each request is recorded and answered with the next queued answer, or, when none is queued, as
// closing the box would answer it. Instances do not nest.
class ScriptedMessageBoxes {
public:
    ScriptedMessageBoxes();
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    void QueueAnswer(MessageAnswer answer) { answers_.push_back(answer); }
    const std::vector<MessageRequest>& Asked() const { return asked_; }
    void ClearAsked() { asked_.clear(); }

private:
    friend MessageAnswer ShowMessageBox(const MessageRequest& request);
    MessageAnswer Answer(const MessageRequest& request);

    std::deque<MessageAnswer> answers_;
    std::vector<MessageRequest> asked_;
};

}  // namespace kestrune
