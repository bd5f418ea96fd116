#pragma once
// The USB transport of the controller link: finds the configured FTDI bridge among the
// connected devices, opens and configures it, exchanges one 12-byte frame for one status
// byte, and runs the reader thread that receives the controller's reports while a
// program runs. The link lock decides which of the two threads owns the port.
//
// Threads. Every operation runs on the window thread, the thread that constructed the
// link (it also takes the link lock there); the reader thread only reads while it holds
// the lock. Destroy the link on the window thread as well: a report the reader is
// delivering at that moment is handled before the reader ends.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "controller/Frame.h"
#include "controller/LinkLock.h"
#include "controller/LinkServices.h"
#include "platform/Ftdi.h"

namespace wirvela {

class EventChannel;
struct SettingKey;

class RSport {
public:
    static constexpr std::uint32_t kBlockBufferBytes = 0xffc00;  // 87296 frames
    static constexpr int kEventMessage = 0xC000;
    static constexpr double kDefaultClock = 7372800;
    static constexpr std::size_t kSerialChars = 10;
    static constexpr std::size_t kDescriptionChars = 30;

    // Link construction: reads the settings, finds and opens the device, creates the
    // link lock (taken by the calling thread) and the reader thread, which waits until
    // ResumeReader. A failure leaves InitError() 289, 565 or 562.
    RSport(LinkServices services, EventChannel* eventWindow);
    virtual ~RSport();
    RSport(const RSport&) = delete;
    RSport& operator=(const RSport&) = delete;

    // Looks for the configured device and opens it: 0 (also when none matches), or
    // the result of OpenByIndex. The search is written line by line to the memo.
    int FindAndOpen();
    // Opens and configures device `index`: 0, or 292 at the first failing library call.
    int OpenByIndex(std::uint32_t index);
    // One frame out, one status byte in: 0 with the byte in `reply`, or 297 (write),
    // 294 (no reply within TimeoutRX), 296 (read failure while sending byte by byte)
    // or the library status of a failed read.
    int RawExchange(const Frame& frame, std::uint8_t& reply, bool purge);
    // Writes a program block packet: 0, or 297 for a failed or short write.
    int Write(const std::uint8_t* bytes, std::uint32_t count);
    // Reads up to `count` bytes that follow a reply, each read waiting at most the read
    // time-out; returns how many arrived.
    std::uint32_t ReadMore(std::uint8_t* bytes, std::uint32_t count);
    // Makes the controller drop a partial frame: 0, 294 or 297.
    int Resync();

    // Lets the reader thread run (start-up step 2); does nothing without one.
    void ResumeReader();
    bool HasReader() const { return reader_.joinable(); }

    // The window the controller's reports go to, as event 0xC000 with the code.
    void SetEventWindow(EventChannel* window) { eventWindow_.store(window); }
    EventChannel* EventWindow() const { return eventWindow_.load(); }

    int InitError() const { return initError_; }
    bool Running() const { return running_.load(); }
    bool IsOpen() const { return handle_ != 0; }
    bool Buffered() const { return buffered_; }
    std::uint16_t Vid() const { return vid_; }
    std::uint16_t Pid() const { return pid_; }
    const std::string& SerialNo() const { return serialNo_; }
    const std::string& Description() const { return description_; }
    // The identity the search looked for.
    const DeviceIdentity& Wanted() const { return wanted_; }
    // "RS_LOCK_MUTEX<n>", empty when the link has no lock.
    std::string LockName() const { return lock_ ? lock_->Name() : std::string(); }
    // True when the calling thread owns the port.
    bool HoldsPort() const { return lock_ && lock_->HeldByCurrentThread(); }

protected:
    // Ends the reader thread; the most derived destructor calls it first so that a
    // report being handled meets a complete link.
    void StopReader();

    // An integer setting of the link, clamped into the key's limits (NaN reads as the lower).
    int ReadInt(const SettingKey& key) const;
    void LogMessage(std::string_view text) const;
    // One line to "debug_lines.txt" when the parameter trace is on.
    void Trace(const char* format, ...) const __attribute__((format(printf, 2, 3)));

    LinkServices services_;
    DeviceIdentity wanted_;
    FtHandle handle_ = 0;
    std::uint16_t pid_ = 0;
    std::uint16_t vid_ = 0;
    std::string serialNo_;
    std::string description_;
    std::atomic<bool> running_{false};  // written by the window thread only
    bool frameDump_ = false;
    bool blockMode_ = false;
    bool buffered_ = false;
    std::vector<std::uint8_t> block_;  // kBlockBufferBytes when buffered
    std::uint32_t blockLength_ = 0;
    double xAxisDir_ = 1;
    double yAxisDir_ = 1;
    std::FILE* trace_ = nullptr;
    double clock_ = kDefaultClock;
    std::string info_;
    std::int64_t waitTimeout_ = 100;  // WaitSynchMutexTimeout, ms
    std::unique_ptr<LinkLock> lock_;
    std::atomic<EventChannel*> eventWindow_{nullptr};
    int initError_ = 0;

private:
    void ReaderLoop(std::stop_token stop);
    void WaitTicks(std::uint32_t milliseconds) const;
    void Memo(const std::string& line) const;

    std::mutex gateMutex_;
    std::condition_variable_any gate_;
    bool resumed_ = false;
    std::atomic<bool> readerDone_{true};
    // The window the reader waits on while a report is being handled; null otherwise.
    std::atomic<EventChannel*> deliveringTo_{nullptr};
    std::jthread reader_;
};

}  // namespace wirvela
