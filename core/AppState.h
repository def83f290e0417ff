#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/ServerList.h"

namespace kestrune {

// The process-wide state. ServerList is shared so that a probe worker still running at program
// end holds the list alive instead of touching released memory.
struct AppState {
    std::shared_ptr<ServerList> serverList = std::make_shared<ServerList>();
    std::string settingsFileName;
    std::string settingsText;
    std::string startupPassword;
    std::int32_t accessGranted = 0;
    std::int32_t editTarget = 0;
};

}  // namespace kestrune
