#pragma once

namespace kestrune {

// Raises the soft limit of open descriptors to the hard limit, so that one probe per server does
// not fail for want of a descriptor on a long list. False when the limit could not be read or
// set; the old limit then stays.
bool RaiseDescriptorLimit();

}  // namespace kestrune
