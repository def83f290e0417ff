#include "probe/ProbeServer.h"

#include <optional>
#include <string>
#include <utility>

#include "probe/TextToInteger.h"

namespace kestrune {

namespace {

// Hands one row update to the GUI thread. The update checks again there, where the rows are
// rebuilt after every change of the list, that the position still holds the probed entry and
// that the row exists. It owns what it touches, so it never reaches released state.
void ApplyToRow(const std::shared_ptr<ServerList>& list, const std::shared_ptr<ProbeView>& view,
                int position, EntryId id, std::function<void(ProbeView&, int row)> change) {
    view->ApplyOnGuiThread([list, view, position, id, change = std::move(change)] {
        const int row = position - 1;
        if (list->Holds(position, id) && row < view->RowCount()) {
            change(*view, row);
        }
    });
}

}  // namespace

void ProbeServer(int position, const std::shared_ptr<ServerList>& list,
                 const std::shared_ptr<ProbeView>& view, const ConnectAttempt& tryConnect) {
    // The position check and the private copy under one lock of the list, so that no removal
    // can come between them.
    const std::optional<IdentifiedEntry> copy = list->SnapshotAt(position);
    if (!copy) {
        return;
    }
    const std::int32_t port = TextToInteger(copy->entry.port);
    const bool online = tryConnect(copy->entry.address, port);

    const ServerStatus status = online ? ServerStatus::Online : ServerStatus::Offline;
    if (!list->SetStatusIfSame(position, copy->id, status)) {
        return;
    }
    const int image = online ? kOnlineImage : kOfflineImage;
    ApplyToRow(list, view, position, copy->id,
               [image](ProbeView& v, int row) { v.SetRowStateImage(row, image); });
    ApplyToRow(list, view, position, copy->id,
               [text = std::string(online ? kOnlineText : kOfflineText)](ProbeView& v, int row) {
                   v.SetRowText(row, kStatusColumn, text);
               });
}

}  // namespace kestrune
