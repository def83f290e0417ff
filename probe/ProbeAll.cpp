#include "probe/ProbeAll.h"

#include <new>
#include <system_error>
#include <utility>

#include "probe/ProbeServer.h"

namespace kestrune {

void ProbeAll(std::shared_ptr<ServerList> list, std::shared_ptr<ProbeView> view) {
    ProbeAll(std::move(list), std::move(view), DefaultProbeEnvironment());
}

void ProbeAll(std::shared_ptr<ServerList> list, std::shared_ptr<ProbeView> view,
              const ProbeEnvironment& environment) {
    if (!list || !view) {
        return;
    }
    const int rows = view->RowCount();
    for (int position = 1; position <= rows; ++position) {
        try {
            environment.startThread([list, view, position, tryConnect = environment.tryConnect] {
                ProbeServer(position, list, view, tryConnect);
            });
        } catch (const std::system_error&) {
            // No thread for this row: it keeps its status, without a message.
        } catch (const std::bad_alloc&) {
            // Likewise when there is no memory left to start one.
        }
    }
}

}  // namespace kestrune
