// A scenario: the devices of the virtual LAN. Written as lines of a directive and key=value
// pairs ('#' starts a comment, values with blanks go in double quotes):
//
//   defaults password=secret rate_kib=512        # for the devices of the following lines
//   fleet count=24 nvr=1                           # the generated default fleet
//   device serial=RD1 ip=192.168.1.10 type=IPC-R4B sd1=30436 allnet=0xFF allnet_state=1
//   fault serial=RD1 kind=ignore-code code=1012    # serial=* gives it to every device so far
//
// Device keys: serial ip type user password channel port mac mask gateway allnet allnet_state
// version sd1 sd2 usb audio factory_ip factory_user factory_password factory_allnet_state, and the
// timings login_ms answer_ms search_ms reboot_ms restore_ms format_ms check_ms
// upgrade_restart_ms rate_kib. Fault kinds: refuse-login ignore-login ignore-code refuse-code
// [times=] refuse-firmware [version=] keep-version stall-transfer [at=] fail-transfer [at=]
// fail-format reject-modify vanish-after-restore restore-to ip= short-storage drop
// on=login|transfer|check|CODE [at=] no-stream bad-header corrupt-frames.
//
// ONVIF keys, read only when the simulator speaks ONVIF, on device, defaults and fleet lines:
// onvif_auth=digest|token|both (both) digest=md5|sha256|both (both, SHA-256 offered first)
// clock_skew_s=SECONDS (may be negative) time_zone=POSIX zone, daylight-saving rule allowed (UTC0;
// e.g. CST-8, CET-1CEST,M3.5.0,M10.5.0/3) daylight_savings=0|1 (1: follows the zone's rule)
// utc_is_local=0|1 time_needs_login=0|1 lockout=N (wrong logins in a row, SOAP or RTSP; 0 = never)
// reboot_needed=0|1 service_host=lan|HOST[:PORT] (the host of the service addresses; lan = the
// device's address) lan_xaddr=0|1 probe_types=transmitter|device|both (both) media2=0|1 (1)
// http_upgrade=0|1 (1) reboot_before_status=0|1 rtsp_redirect=HOST:PORT (its stream's DESCRIBE
// answers 302 with that authority) rtsp_auth=md5|sha256|both|basic (md5: how its RTSP server
// asks for the account; sha256 is a camera that offers only SHA-256 digest over RTSP, as newer
// firmware does, both offers SHA-256 first and MD5 beside it, basic is an older camera that asks
// for the password in clear text, Basic only) main_codec=h264|h265|mpeg4 (h264: what its main
// profile encodes; h265 is a newer camera whose main stream is H.265, mpeg4 an older one whose
// main stream is MPEG-4 Visual; every device offers a second profile, sub, in H.264 at 160 x 90).
// The device's faults keep their meaning there.
//
// Keys that reproduce what real cameras of other makers do:
//   nonce_ttl_s=N (120) stale_flag=0|1 (1): digest nonces expire after N seconds, and many
//     devices then send the new challenge without stale=true, as if the credentials were wrong.
//   user_level=administrator|operator|user: the account's level under ONVIF's default access
//     policy; an Operator may not reboot, restore, upgrade or change the network or accounts
//     (ter:NotAuthorized, HTTP 400), a User may only read.
//   upload_auth=none|digest: the firmware upload address wants HTTP digest, as on devices whose
//     web server guards every path; the refusal is sent as soon as the request's head arrives.
//   utc_field=0|1 (1): 0 leaves UTCDateTime out of the time answer (local time and zone only).
//   xaddrs=ADDR,ADDR,...: the probe answer's XAddrs in that order, "self" standing for the device's
//     own address (devices list link-local, stale or second-interface addresses beside it).
//   relates_to=probe|other: other answers with a RelatesTo of another message, as a stale or
//     misdirected ProbeMatch on a busy LAN does.
//   interfaces=normal|none|fault|dhcp: GetNetworkInterfaces answers no interface, a fault, or DHCP
//     on with the address it had before still listed as the manual one.
//   services_error=STATUS: GetServices answered with that HTTP status and an HTML page, as older
//     firmware without the operation does.
//   upload_delay=TEXT: StartFirmwareUpgrade's UploadDelay as written, e.g. the long form
//     P0Y0M0DT0H0M2S or an absurd P999999999999D.
//
// Keys of the settings services (video and audio encoders, video source, imaging, overlays, cell
// motion), whose options differ from camera to camera as they do between makers' product lines:
//   onvif_model=a|b|c (a): the option tables the device answers with. a is a 1080p bullet (H.264
//     and H.265, four overlays, rotation, a 22 x 18 motion grid), b a 4 MP dome (higher
//     resolutions and bit rates, imaging ranges 0..255, no backlight level, automatic white
//     balance only, three overlays, a 16 x 12 grid), c an older 960p box camera (H.264 Baseline
//     only, no constant bit rate, 15 fps, imaging ranges 0..10, no overlays at all, an 8 x 6 grid).
//   imaging=0|1 (1): 0 is a camera without the imaging service (listed nowhere, its address
//     answers 404), as many encoders and older firmware are.
//   analytics=0|1 (1): 0 is a camera without the analytics service and without a video analytics
//     configuration in its profiles, as cameras that offer motion detection only on their web
//     page are.
//   osd=0|1 (1): 0 is firmware whose media2 service has no overlays (OSD="false" in its
//     capabilities, the overlay calls answer ActionNotSupported), as model c always is.
//   h264_only=0|1 (0): 1 offers H.264 only in the encoder options, as cameras whose H.265 needs
//     a licence or a newer firmware do; main_codec=h265 still starts the main encoder at H.265.
//
// Several devices may hold one address (after a factory restore they all come back at
// 192.168.1.123): each answers the search with its own serial number and a ModifyIPC reaches the
// device its search result names, while a login to that address reaches the first of them in
// scenario order, as on a LAN where they would fight over it.
#pragma once

#include <string>
#include <vector>

#include "sim/device_config.h"

namespace camsim {

struct Scenario {
  std::vector<DeviceConfig> devices;
};

// cameras cameras and, when withNvr, one NVR among them: varied types, storage and all-network
// bytes, search answers spread over 0.1 to 1 s.
Scenario DefaultFleet(int cameras = 24, bool withNvr = true);

// On failure error is "NAME:LINE: reason".
bool ParseScenario(const std::string& text, const std::string& name, Scenario* scenario,
                   std::string* error);
bool LoadScenario(const std::string& path, Scenario* scenario, std::string* error);

}  // namespace camsim
