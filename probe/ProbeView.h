#pragma once

#include <functional>
#include <string>

namespace kestrune {

// What the probe needs of the main window's list view. The window implements it.
class ProbeView {
public:
    virtual ~ProbeView() = default;

    // GUI thread: the number of rows of the list view.
    virtual int RowCount() const = 0;

    // Worker thread: runs `update` on the GUI thread and returns once it has run. When the window
    // is gone, `update` is dropped and the call returns at once; it never touches a dead window.
    virtual void ApplyOnGuiThread(const std::function<void()>& update) = 0;

    // GUI thread only, from inside ApplyOnGuiThread. Rows and columns count from 0; images are
    // 0 online, 1 offline, 2 unknown; `text` is code page 936, as every text of the system.
    virtual void SetRowStateImage(int row, int image) = 0;
    virtual void SetRowText(int row, int column, const std::string& text) = 0;
};

}  // namespace kestrune
