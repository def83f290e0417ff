#include "platform/ThreadPriority.h"

#include <sys/resource.h>
#include <unistd.h>

namespace kestrune {

void LowerThreadPriority() {
    // On Linux the nice value belongs to the thread, so this leaves the GUI thread as it is.
    constexpr int kBackgroundNice = 10;
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kBackgroundNice);
}

}  // namespace kestrune
