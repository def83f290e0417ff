#include "ui/ServerListView.h"

namespace kestrune {

void ServerListView::focusInEvent(QFocusEvent* event) {
    // The item view's own handler would make the first row current, which counts as a pick.
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

}  // namespace kestrune
