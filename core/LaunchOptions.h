#pragma once

namespace kestrune {

enum class Resolution { R800x600, R1024x768 };

// What the settings file and the launcher need of the main window's option controls. The
// controls hold the options' only copy; the window implements this.
class LaunchOptionControls {
public:
    virtual ~LaunchOptionControls() = default;
    virtual void TurnConsoleOn() = 0;
    virtual void TurnAdminOn() = 0;
    virtual void SelectResolution(Resolution resolution) = 0;
    virtual bool IsConsoleOn() const = 0;
    virtual bool IsAdminOn() const = 0;
    virtual bool IsResolutionSelected(Resolution resolution) const = 0;
};

// A plain holder, for code and tests that run without a window.
class LaunchOptionValues : public LaunchOptionControls {
public:
    void TurnConsoleOn() override { console = true; }
    void TurnAdminOn() override { admin = true; }
    void SelectResolution(Resolution r) override {
        r800x600 = r == Resolution::R800x600;
        r1024x768 = r == Resolution::R1024x768;
    }
    bool IsConsoleOn() const override { return console; }
    bool IsAdminOn() const override { return admin; }
    bool IsResolutionSelected(Resolution r) const override {
        return r == Resolution::R800x600 ? r800x600 : r1024x768;
    }

    bool console = false;
    bool admin = false;
    bool r800x600 = false;
    bool r1024x768 = false;
};

}  // namespace kestrune
