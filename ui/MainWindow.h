#pragma once

#include <QDialog>
#include <memory>
#include <string>

#include "core/AppState.h"
#include "core/LaunchOptions.h"
#include "launch/LauncherView.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;

namespace kestrune {

class ProbeView;
class ServerRowsModel;

// The working window: the server list with its state images, the remark of the focused server,
// the launch options and the buttons. It holds the options' only copy (LaunchOptionControls) and
// offers the launcher and the probe what they need of it.
class MainWindow : public QDialog, public LaunchOptionControls, public LauncherView {
    Q_OBJECT
public:
    explicit MainWindow(AppState& state);
    ~MainWindow() override;

    // Rebuilds every row from the server list; afterwards no row is selected or current.
    void RefreshServerList();

    // LauncherView
    int SelectedPosition() const override;
    const LaunchOptionControls& OptionControls() const override { return *this; }
    void SetConnectEnabled(bool enabled) override;
    void ShowSelectionMessage() override;

    // LaunchOptionControls
    void TurnConsoleOn() override;
    void TurnAdminOn() override;
    void SelectResolution(Resolution resolution) override;
    bool IsConsoleOn() const override;
    bool IsAdminOn() const override;
    bool IsResolutionSelected(Resolution resolution) const override;

    // The rows as the probe sees them (GUI thread).
    int RowCount() const;
    void SetRowStateImage(int row, int image);
    void SetRowText(int row, int column, const std::string& text);

    // What the probe workers hold: it outlives the window and drops updates once the window is
    // gone. The same object for the window's whole life.
    std::shared_ptr<ProbeView> ProbeViewHandle() const { return probeView_; }

signals:
    // The close request (close box, system menu, Alt+F4, Esc); the window always closes after.
    void CloseRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Esc: closes exactly as the close box does.
    void reject() override;

private:
    void OnFocusedRowChanged();
    void OnConnectClicked();
    void OnAddClicked();
    void OnDeleteClicked();
    void OnEditClicked();
    void OnPasswordClicked();
    void OpenServerEditor();

    AppState& state_;
    ServerRowsModel* rows_ = nullptr;
    QTableView* list_ = nullptr;
    QPlainTextEdit* remark_ = nullptr;
    QPushButton* connect_ = nullptr;
    QPushButton* delete_ = nullptr;
    QCheckBox* console_ = nullptr;
    QCheckBox* admin_ = nullptr;
    QRadioButton* r800x600_ = nullptr;
    QRadioButton* r1024x768_ = nullptr;
    std::shared_ptr<ProbeView> probeView_;
    bool closed_ = false;
};

}  // namespace kestrune
