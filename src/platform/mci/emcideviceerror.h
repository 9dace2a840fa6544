#pragma once
// Raised by the media player when it cannot open a file or play it; the
// message says which file and why.

#include "platform/errors.h"

namespace audrel {

class EMCIDeviceError : public EAudrelError
{
public:
    using EAudrelError::EAudrelError;
};

} // namespace audrel
