// The device library's two callbacks. They run on the library's threads with the engine as
// their user value, never touch a window, and find what they mark by login handle: the first
// entry of a list whose login handle is the given one. A handle that nothing holds (and every
// handle ≤ 0) changes nothing.
#pragma once

#include <cstdint>

namespace batch {

class Engine;

// Events 4 and 5 settle a login (login queue, login event, configuration push list); 14 and 15
// go to the upgrade coordinator as 2034 and 2035. Returns 0.
int StatusCallback(int loginHandle, int eventCode, int value, void* user);

// A device's answer to SystemControl or SetDVRConfig. Bit 31 of the code marks a failed command,
// whose code is in the low 24 bits. Returns 0.
int ResponseCallback(int loginHandle, std::uint32_t code, const char* text, void* user);

// Registers both with the library, the engine as their user value.
void RegisterCallbacks(Engine& engine);

}  // namespace batch
