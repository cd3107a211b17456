// The PJL the monitor writes and the reply lines it recognises, byte for byte.
#pragma once

namespace langmon {

inline constexpr char kUel[] = "\x1b%-12345X";
inline constexpr char kStatusRequest1[] = "@PJL USTATUS DEVICE=ON\n@PJL INFO STATUS\r\n";
inline constexpr char kStatusRequest2[] = "@PJL USTATUS QELDEVICE=ON\n@PJL INFO QELSTATUS\r\n";
inline constexpr char kAdjustDcsQuery[] = "@PJL DINQUIRE QELXFERADJUSTDCS\r\n";
inline constexpr char kStatusQuery1[] = "@PJL INFO STATUS\r\n";
inline constexpr char kStatusQuery2[] = "@PJL INFO QELSTATUS\r\n";
inline constexpr char kConfigQuery[] = "@PJL INFO CONFIG\r\n";
inline constexpr char kMemoryQuery[] = "@PJL INFO MEMORY\r\n";
inline constexpr char kAdjustDcsToken[] = "QelXferAdjustDCS";  // a job of exactly these 16 bytes

inline constexpr char kPageLine[] = "@PJL USTATUS PAGE\r\n";

}  // namespace langmon
