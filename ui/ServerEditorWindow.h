#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>

#include "core/AppState.h"
#include "ui/TypedText.h"

namespace kestrune {

// The window in which one server's five texts are typed. Opened with editTarget 0 it adds a
// server at the end of the list; with a position it edits that server. OK writes straight into
// the server list and rebuilds the main window's rows through `refreshRows`. No parent,
// application-modal; it deletes itself when closed.
class ServerEditorWindow : public QDialog {
    Q_OBJECT
public:
    ServerEditorWindow(AppState& state, std::function<void()> refreshRows);

private:
    void OnOk();

    // In ServerEntry field order: address, port, account, password, remark.
    static constexpr std::size_t kFieldCount = 5;
    QString BoxText(std::size_t field) const;

    AppState& state_;
    std::function<void()> refreshRows_;
    std::int32_t editTarget_;
    std::array<QWidget*, kFieldCount> boxes_{};
    std::array<ShownText, kFieldCount> shown_{};
    bool done_ = false;
};

}  // namespace kestrune
