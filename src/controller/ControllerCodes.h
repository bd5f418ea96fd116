#pragma once
// The result codes of the controller link. Every operation returns a 16-bit code:
// 0 … 255 are status bytes of the controller (or a status of the USB library passed
// through), 256 and above are made by the host. 16 (STAT_OK) is success for every
// command operation; the raw exchange returns 0 for success.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace wirvela {

class Prompt;
class TMessages;

// Status bytes of the controller.
constexpr int RS_OK = 0;
constexpr int STAT_OK = 16;
constexpr int STAT_VER = 38;
constexpr int STAT_END = 48;
constexpr int STAT_ERR_PARITY = 129;
constexpr int STAT_ERR_OVERF = 130;
constexpr int STAT_ERR_OVERR = 131;
constexpr int STAT_ERR_OVERFM = 132;
constexpr int STAT_NOTSUP = 133;
constexpr int STAT_UNK = 134;
constexpr int STAT_ERR_IPWM = 135;
constexpr int STAT_ERR_IFAN = 136;
constexpr int STAT_ERR_DMAWRTM = 138;
constexpr int STAT_ERR_OVERSIZE = 139;
constexpr int WYL_LEWY = 145;
constexpr int WYL_PRAWY = 146;
constexpr int WYL_GORA = 148;
constexpr int WYL_LEWY_GORA = 149;
constexpr int WYL_PRAWY_GORA = 150;
constexpr int WYL_DOL = 152;
constexpr int WYL_LEWY_DOL = 153;
constexpr int WYL_PRAWY_DOL = 154;
constexpr int NO_PLOTER = 159;
// The switch reports all share the high nibble 9: 0x90 | the closed switches, and 0x90
// itself once all are open again.
constexpr int kAllSwitchesOpen = 144;
constexpr bool IsLimitSwitch(int code) { return (code >> 4) == 9; }

// Controller states, the replies of C_STATE (not in the code table).
constexpr int STATE_NORM = 0xC0;
constexpr int STATE_CUT = 0xC1;
constexpr int STATE_HOLD = 0xC2;
constexpr int STATE_ERR = 0xC3;

// Codes of the transport.
constexpr int RS_CLOSE_COM_ERR = 288;
constexpr int RS_OPEN_COM_ERR = 289;
constexpr int RS_COM_CONFIG_ERR = 291;
constexpr int RS_SETRS_COM_ERR = 292;
constexpr int RS_TIMEOUT_SET_ERR = 293;
constexpr int RS_EMPTY_RESP = 294;
constexpr int RS_RESP = 295;
constexpr int RS_BUSY = 296;
constexpr int RS_WRITE_ERR = 297;
constexpr int RS_FIFO_SET_ERR = 298;
constexpr int RS_EXTRA_FRAME = 299;
constexpr int RS_DMA_CRC_ERROR = 302;

// Codes of the command layer and the link's threads.
constexpr int ERR_VERSION = 557;       // firmware not compatible (no table entry)
constexpr int ERR_STATE = 558;         // state at the handshake neither ready nor a limit switch (no entry)
constexpr int ERR_SEGMENT_LONG = 560;  // a segment longer than 32760 steps (no entry)
constexpr int COM_CUT_PROCESSING = 561;
constexpr int COM_DEAMON_CREATE_ERR = 562;
constexpr int COM_ASYNCH_ERR_READ = 564;
constexpr int COM_MUTEX_CREATE_ERR = 565;
constexpr int COM_MUTEX_BUSY_ASYNCH = 566;
constexpr int COM_MUTEX_BUSY = 567;
constexpr int COM_MUTEX_ERR = 568;
constexpr int ERR_WAIT_MUTEX = 569;
constexpr int ERR_COUNTER_OVERFLOW = 769;
constexpr int ERR_RASTER_OVERFLOW = 770;
constexpr int ERR_INTER_OVERFLOW = 771;
constexpr int ERR_COUNTER_OVERFLOW_EXT = 772;

// The message shown for a code outside the table.
constexpr int kUnknownCodeMessage = 74;

struct ControllerCode {
    int code;
    std::string_view name;  // empty for the one unnamed row (144)
    int messageKey;         // local.txt message with the code's text
};

class ControllerCodes {
public:
    // The table in its documented order.
    static std::span<const ControllerCode> Table();
    // nullptr for a code outside the table.
    static const ControllerCode* Find(int code);
    // The code's message text; message 74 for a code outside the table.
    static std::string CodeText(const TMessages& messages, int code);
    // " <text>. \n [ <code> = <hex>hex ]: <name>"; message 74 as it is for a code outside the table.
    static std::string FormatCode(const TMessages& messages, int code);
    // Codes 0 and 16: nothing, returns 0. Otherwise a box "<CodeText> [<code>=<hex>hex]"
    // with the caption and an exclamation icon; returns the code.
    static int ShowCodeBox(Prompt& prompt, const TMessages& messages, std::string_view caption, int code);
};

}  // namespace wirvela
