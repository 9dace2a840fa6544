#pragma once
// A command on its way from a control_message_send_* call to the player thread.

#include <string>
#include <vector>

namespace audrel::xaudio {

struct Command
{
    int code = 0;
    int integers[4] = {};
    std::string strings[2];
    std::vector<char> data;
};

} // namespace audrel::xaudio
