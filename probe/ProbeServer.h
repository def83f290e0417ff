#pragma once

#include <memory>
#include "core/ServerList.h"
#include "probe/ProbeEnvironment.h"
#include "probe/ProbeView.h"

namespace kestrune {

// The status column of the list view and the state images the probe sets.
inline constexpr int kStatusColumn = 3;
inline constexpr int kOnlineImage = 0;
inline constexpr int kOfflineImage = 1;

// The status texts, code page 936: "在线" and "离线".
inline constexpr char kOnlineText[] = "\xD4\xDA\xCF\xDF";
inline constexpr char kOfflineText[] = "\xC0\xEB\xCF\xDF";

// The whole body of one worker: probes the server at `position` (1-based) on a private copy of
// its entry, writes its status, then hands the state image and the status text of row
// position-1 to the GUI thread, one after the other, waiting for each. A result lands only while
// the position still holds the entry that was probed; otherwise it is dropped.
void ProbeServer(int position, const std::shared_ptr<ServerList>& list,
                 const std::shared_ptr<ProbeView>& view, const ConnectAttempt& tryConnect);

}  // namespace kestrune
