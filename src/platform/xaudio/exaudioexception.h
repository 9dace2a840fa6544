#pragma once
// Raised by TXaudioPlayer when the player library cannot be loaded or bound,
// or its player cannot be started.

#include "platform/errors.h"

namespace audrel {

class EXaudioException : public EAudrelError
{
public:
    using EAudrelError::EAudrelError;
};

} // namespace audrel
