#pragma once

#include "core/LaunchOptions.h"

namespace kestrune {

// What the session launcher needs of the main window. The window implements it.
class LauncherView {
public:
    virtual ~LauncherView() = default;
    // The item value of the selected row, 0 when none.
    virtual int SelectedPosition() const = 0;
    virtual const LaunchOptionControls& OptionControls() const = 0;
    virtual void SetConnectEnabled(bool enabled) = 0;
    // "请选择服务器列表！" / "操作错误", error icon, OK.
    virtual void ShowSelectionMessage() = 0;
};

}  // namespace kestrune
