#pragma once
// A stand-in USB bridge that records what the link writes and answers like a quiet,
// well-behaved controller: no motion, no reports of its own unless told. wirvela-cli
// uses it to print the frames an operation sends without a device; tests use it to see
// the exact bytes, to script replies and to make single library calls fail.
//
// The byte stream is read as the controller reads it: 12-byte frames, except that a
// C_WRDMA frame is followed by its block of raw bytes. Each complete frame gets the
// responder's reply (no reply when it returns nothing). The default responder answers
// C_PVER with 38, C_STATE with 0xC0, the clock query with 1, C_INFO with the info text
// one character at a time, C_READ_POS 0x37/0x36 with the checksum of the last block,
// and everything else with 16.
//
// Thread-safe: the window thread and the link's reader thread may call it, and a test
// may push reports from a third thread.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "controller/Frame.h"
#include "platform/Ftdi.h"

namespace wirvela {

class RecordingFtdi : public Ftdi {
public:
    enum class Call { List, Detail, Open, Characteristics, Divisor, Latency, Timeouts, Write, Read };
    // A responder's answer to a frame: a reply byte 0 … 255, kSilent (no reply) or
    // kDefault (the default reply). It runs under the device's lock and must not call
    // back into the device.
    using Responder = std::function<int(const Frame& frame)>;
    static constexpr int kSilent = -1;
    static constexpr int kDefault = -2;

    // One device with the identity the link looks for by default (0403:6010 "00000000").
    RecordingFtdi();
    explicit RecordingFtdi(std::vector<FtDeviceInfo> devices);

    static FtDeviceInfo Device(std::uint16_t vid, std::uint16_t pid, std::string serial,
                               std::string description = "Recording bridge", std::uint32_t location = 0x11);

    // ---- Ftdi ----------------------------------------------------------------------
    FtStatus CreateDeviceInfoList(std::uint32_t& count) override;
    FtStatus GetDeviceInfoDetail(std::uint32_t index, FtDeviceInfo& info) override;
    FtStatus Open(std::uint32_t index, FtHandle& handle) override;
    FtStatus Close(FtHandle handle) override;
    FtStatus SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                    std::uint8_t parity) override;
    FtStatus SetDivisor(FtHandle handle, std::uint16_t divisor) override;
    FtStatus SetLatencyTimer(FtHandle handle, std::uint8_t milliseconds) override;
    FtStatus SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) override;
    FtStatus Purge(FtHandle handle, std::uint32_t mask) override;
    FtStatus Write(FtHandle handle, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written) override;
    FtStatus Read(FtHandle handle, std::uint8_t* bytes, std::uint32_t count, std::uint32_t& read) override;

    // ---- control -------------------------------------------------------------------
    void SetResponder(Responder responder);
    void SetInfo(std::string info);
    // Makes every later call of that kind return `status` (kFtOk: behave again).
    void Fail(Call call, FtStatus status);
    // Writes accept at most this many bytes per call (a short write).
    void LimitWrite(std::uint32_t bytes);
    // An unsolicited status byte, as the controller reports while a program runs.
    void Report(std::uint8_t status);

    // ---- what was seen ---------------------------------------------------------------
    std::vector<Frame> Frames() const;                      // complete frames, in order
    std::vector<std::vector<std::uint8_t>> Writes() const;  // the bytes of each write call
    std::vector<std::uint8_t> LastBlock() const;            // raw bytes after the last C_WRDMA
    std::uint16_t BlockChecksum() const;
    int Purges(std::uint32_t mask) const;  // purge calls with exactly this mask
    bool IsOpen() const;
    std::size_t Waiting() const;  // bytes waiting to be read by the host
    std::uint32_t ReadTimeout() const;
    std::uint16_t Divisor() const;
    std::uint8_t Latency() const;
    void ClearRecord();

private:
    FtStatus Failure(Call call) const;
    int DefaultReply(const Frame& frame);
    void Consume(std::uint8_t byte);

    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<FtDeviceInfo> devices_;
    std::vector<FtStatus> failures_;
    Responder responder_;
    FtHandle open_ = 0;
    std::uint32_t readTimeout_ = 10;
    std::uint16_t divisor_ = 0;
    std::uint8_t latency_ = 0;
    std::uint32_t writeLimit_ = 0;
    std::deque<std::uint8_t> rx_;
    Frame pending_{};
    std::size_t pendingSize_ = 0;
    std::uint32_t blockRemaining_ = 0;
    std::vector<std::uint8_t> block_;
    std::string info_ = "Recording bridge";
    std::size_t infoPos_ = 0;
    std::vector<Frame> frames_;
    std::vector<std::vector<std::uint8_t>> writes_;
    std::vector<std::uint32_t> purges_;
};

}  // namespace wirvela
