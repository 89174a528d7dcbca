// Additions to the device library's interface that the program does not need: the default
// endpoint, and the status events beyond those the program reads.
#pragma once

// Where the library looks for the virtual LAN when neither IP_NET_DVR_SetEndpoint nor
// NETSDK_ENDPOINT says otherwise; camsim listens here by default.
#define NETSDK_DEFAULT_ENDPOINT "127.0.0.1:29120"

// Status event: the connection of an open login was lost (the device restarted or went away).
// With auto-reconnect on, the library keeps trying and reports NETSDK_EVENT_LOGIN_OK with value
// NETSDK_VALUE_RECONNECTED once the device takes the login again.
#define NETSDK_EVENT_DISCONNECTED 6

// The value argument of the status callback.
#define NETSDK_VALUE_NONE 0
#define NETSDK_VALUE_RECONNECTED 1 /* with NETSDK_EVENT_LOGIN_OK */
#define NETSDK_VALUE_REFUSED 1     /* with NETSDK_EVENT_LOGIN_FAILED: wrong user or password */
#define NETSDK_VALUE_UNREACHABLE 2 /* with NETSDK_EVENT_LOGIN_FAILED: nobody at that address */
