#include "platform/FtdiUsb.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wirvela {

int FtdiBaudRateForDivisor(std::uint16_t divisor) {
    static constexpr double kFraction[4] = {0.0, 0.5, 0.25, 0.125};
    const int integer = divisor & 0x3FFF;
    const double value = integer + kFraction[divisor >> 14];
    // The chip knows no divisors between 0 and 2 other than its two special cases.
    if (integer == 0 && value < 1.0) return 3000000;
    if (value < 2.0) return integer == 0 ? 3000000 : 2000000;
    return static_cast<int>(std::lround(3000000.0 / value));
}

namespace {

using Clock = std::chrono::steady_clock;

// libftdi's default write time-out, used when the caller asks for none.
constexpr int kDefaultWriteTimeoutMs = 5000;
// Extra time one USB transfer may take beyond the read time-out. The chip answers every
// latency period (at most 255 ms) even without data, so a transfer never really times out;
// the slack only keeps libusb from cutting off a transfer that carries data.
constexpr int kReadSlackMs = 300;

struct ChipKind {
    std::uint32_t d2xxType = 3;  // FT_DEVICE_UNKNOWN
    int interfaces = 1;
    bool highSpeed = false;
};

// The chip from the device release number, as libftdi itself tells the chips apart.
ChipKind KindOf(const libusb_device_descriptor& d) {
    switch (d.bcdDevice) {
        case 0x200: return d.iSerialNumber == 0 ? ChipKind{0, 1, false} : ChipKind{1, 1, false};
        case 0x400: return {0, 1, false};
        case 0x500: return {4, 2, false};
        case 0x600: return {5, 1, false};
        case 0x700: return {6, 2, true};
        case 0x800: return {7, 4, true};
        case 0x900: return {8, 1, true};
        case 0x1000: return {9, 1, false};
        default: return {};
    }
}

struct ListedDevice {
    std::uint8_t bus = 0;
    std::uint8_t address = 0;
    int interfaceIndex = 0;
    int interfaceCount = 1;
    bool highSpeed = false;
    FtDeviceInfo info;
};

struct OpenDevice {
    std::mutex m;
    ftdi_context* ctx = nullptr;
    std::uint32_t readTimeoutMs = 1000;
    int writeTimeoutMs = kDefaultWriteTimeoutMs;
    std::uint8_t bus = 0;
    std::uint8_t address = 0;
    int interfaceIndex = 0;

    void Shut() {
        std::lock_guard lock(m);
        if (!ctx) return;
        ftdi_usb_close(ctx);
        ftdi_free(ctx);
        ctx = nullptr;
    }
    ~OpenDevice() { Shut(); }
};

}  // namespace

struct FtdiUsb::Impl {
    std::mutex m;
    std::vector<ListedDevice> list;
    bool listed = false;
    std::map<FtHandle, std::shared_ptr<OpenDevice>> open;
    FtHandle next = 0x55B00001;

    void Enumerate();
    FtHandle OpenHandleOf(const ListedDevice& d) const;
    std::shared_ptr<OpenDevice> Find(FtHandle handle) {
        std::lock_guard lock(m);
        const auto it = open.find(handle);
        return it == open.end() ? nullptr : it->second;
    }
};

FtHandle FtdiUsb::Impl::OpenHandleOf(const ListedDevice& d) const {
    for (const auto& [handle, dev] : open) {
        if (dev->bus == d.bus && dev->address == d.address && dev->interfaceIndex == d.interfaceIndex) return handle;
    }
    return 0;
}

void FtdiUsb::Impl::Enumerate() {
    list.clear();
    listed = true;
    ftdi_context* ctx = ftdi_new();  // fails when libusb cannot be initialised
    if (!ctx) return;
    ftdi_device_list* devices = nullptr;
    if (ftdi_usb_find_all(ctx, &devices, 0, 0) > 0) {
        for (ftdi_device_list* d = devices; d != nullptr; d = d->next) {
            libusb_device_descriptor descriptor{};
            if (libusb_get_device_descriptor(d->dev, &descriptor) < 0) continue;
            const ChipKind kind = KindOf(descriptor);
            char description[128] = {};
            char serial[64] = {};
            // Failure leaves what could be read (a device without a serial number, or no
            // access at all); the device is listed either way.
            ftdi_usb_get_strings(ctx, d->dev, nullptr, 0, description, sizeof description - 1, serial,
                                 sizeof serial - 1);
            description[sizeof description - 1] = '\0';
            serial[sizeof serial - 1] = '\0';
            for (int i = 0; i < kind.interfaces; ++i) {
                ListedDevice entry;
                entry.bus = libusb_get_bus_number(d->dev);
                entry.address = libusb_get_device_address(d->dev);
                entry.interfaceIndex = i;
                entry.interfaceCount = kind.interfaces;
                entry.highSpeed = kind.highSpeed;
                entry.info.type = kind.d2xxType;
                entry.info.id = (static_cast<std::uint32_t>(descriptor.idVendor) << 16) | descriptor.idProduct;
                entry.info.location = (static_cast<std::uint32_t>(entry.bus) << 8) | libusb_get_port_number(d->dev);
                entry.info.serialNumber = serial;
                entry.info.description = description;
                if (kind.interfaces > 1) {
                    const char letter = static_cast<char>('A' + i);
                    if (!entry.info.serialNumber.empty()) entry.info.serialNumber += letter;
                    entry.info.description += ' ';
                    entry.info.description += letter;
                }
                list.push_back(entry);
            }
        }
    }
    if (devices) ftdi_list_free(&devices);
    ftdi_free(ctx);
}

FtdiUsb::FtdiUsb() : impl_(std::make_unique<Impl>()) {}

FtdiUsb::~FtdiUsb() {
    std::map<FtHandle, std::shared_ptr<OpenDevice>> open;
    {
        std::lock_guard lock(impl_->m);
        open.swap(impl_->open);
    }
    for (auto& [handle, dev] : open) dev->Shut();
}

FtStatus FtdiUsb::CreateDeviceInfoList(std::uint32_t& count) {
    std::lock_guard lock(impl_->m);
    impl_->Enumerate();
    count = static_cast<std::uint32_t>(impl_->list.size());
    return kFtOk;
}

FtStatus FtdiUsb::GetDeviceInfoDetail(std::uint32_t index, FtDeviceInfo& info) {
    std::lock_guard lock(impl_->m);
    if (!impl_->listed) impl_->Enumerate();
    if (index >= impl_->list.size()) return kFtDeviceNotFound;
    const ListedDevice& d = impl_->list[index];
    info = d.info;
    info.handle = impl_->OpenHandleOf(d);
    info.flags = (info.handle != 0 ? 1u : 0u) | (d.highSpeed ? 2u : 0u);
    return kFtOk;
}

FtStatus FtdiUsb::Open(std::uint32_t index, FtHandle& handle) {
    handle = 0;
    ListedDevice d;
    {
        std::lock_guard lock(impl_->m);
        if (!impl_->listed) impl_->Enumerate();
        if (index >= impl_->list.size()) return kFtDeviceNotFound;
        d = impl_->list[index];
        if (impl_->OpenHandleOf(d) != 0) return kFtDeviceNotOpened;
    }
    ftdi_context* ctx = ftdi_new();
    if (!ctx) return kFtDeviceNotOpened;
    if (d.interfaceCount > 1) ftdi_set_interface(ctx, static_cast<ftdi_interface>(INTERFACE_A + d.interfaceIndex));
    if (ftdi_usb_open_bus_addr(ctx, d.bus, d.address) < 0) {
        ftdi_free(ctx);
        return kFtDeviceNotOpened;
    }
    auto dev = std::make_shared<OpenDevice>();
    dev->ctx = ctx;
    dev->bus = d.bus;
    dev->address = d.address;
    dev->interfaceIndex = d.interfaceIndex;
    std::lock_guard lock(impl_->m);
    handle = impl_->next++;
    impl_->open[handle] = std::move(dev);
    return kFtOk;
}

FtStatus FtdiUsb::Close(FtHandle handle) {
    std::shared_ptr<OpenDevice> dev;
    {
        std::lock_guard lock(impl_->m);
        const auto it = impl_->open.find(handle);
        if (it == impl_->open.end()) return kFtInvalidHandle;
        dev = std::move(it->second);
        impl_->open.erase(it);
    }
    dev->Shut();  // waits for a read or write in progress on the device
    return kFtOk;
}

FtStatus FtdiUsb::SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                         std::uint8_t parity) {
    if (wordLength != 7 && wordLength != 8) return kFtInvalidParameter;
    if (stopBits > 2 || parity > 4) return kFtInvalidParameter;
    const auto dev = impl_->Find(handle);
    if (!dev) return kFtInvalidHandle;
    std::lock_guard lock(dev->m);
    if (!dev->ctx) return kFtInvalidHandle;
    const auto bits = wordLength == 7 ? BITS_7 : BITS_8;
    const auto stop = stopBits == 0 ? STOP_BIT_1 : (stopBits == 1 ? STOP_BIT_15 : STOP_BIT_2);
    const auto par = static_cast<ftdi_parity_type>(parity);  // same numbering: none, odd, even, mark, space
    return ftdi_set_line_property(dev->ctx, bits, stop, par) < 0 ? kFtIoError : kFtOk;
}

FtStatus FtdiUsb::SetDivisor(FtHandle handle, std::uint16_t divisor) {
    const auto dev = impl_->Find(handle);
    if (!dev) return kFtInvalidHandle;
    std::lock_guard lock(dev->m);
    if (!dev->ctx) return kFtInvalidHandle;
    const int result = ftdi_set_baudrate(dev->ctx, FtdiBaudRateForDivisor(divisor));
    if (result == -1) return kFtInvalidParameter;
    return result < 0 ? kFtIoError : kFtOk;
}

FtStatus FtdiUsb::SetLatencyTimer(FtHandle handle, std::uint8_t milliseconds) {
    const auto dev = impl_->Find(handle);
    if (!dev) return kFtInvalidHandle;
    std::lock_guard lock(dev->m);
    if (!dev->ctx) return kFtInvalidHandle;
    const unsigned char latency = milliseconds == 0 ? 1 : milliseconds;
    return ftdi_set_latency_timer(dev->ctx, latency) < 0 ? kFtIoError : kFtOk;
}

FtStatus FtdiUsb::SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
    const auto dev = impl_->Find(handle);
    if (!dev) return kFtInvalidHandle;
    std::lock_guard lock(dev->m);
    if (!dev->ctx) return kFtInvalidHandle;
    dev->readTimeoutMs = readMs;
    dev->writeTimeoutMs = writeMs == 0 ? kDefaultWriteTimeoutMs : static_cast<int>(std::min<std::uint32_t>(writeMs, 3600000));
    return kFtOk;
}

FtStatus FtdiUsb::Purge(FtHandle handle, std::uint32_t mask) {
    const auto dev = impl_->Find(handle);
    if (!dev) return kFtInvalidHandle;
    std::lock_guard lock(dev->m);
    if (!dev->ctx) return kFtInvalidHandle;
    bool ok = true;
    if (mask & kFtPurgeRx) ok = ftdi_tciflush(dev->ctx) >= 0 && ok;
    if (mask & kFtPurgeTx) ok = ftdi_tcoflush(dev->ctx) >= 0 && ok;
    return ok ? kFtOk : kFtIoError;
}

FtStatus FtdiUsb::Write(FtHandle handle, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written) {
    written = 0;
    if (count > 0 && bytes == nullptr) return kFtInvalidParameter;
    if (count > static_cast<std::uint32_t>(INT32_MAX)) return kFtInvalidParameter;
    const auto dev = impl_->Find(handle);
    if (!dev) return kFtInvalidHandle;
    std::lock_guard lock(dev->m);
    if (!dev->ctx) return kFtInvalidHandle;
    if (count == 0) return kFtOk;
    dev->ctx->usb_write_timeout = dev->writeTimeoutMs;
    const int result = ftdi_write_data(dev->ctx, bytes, static_cast<int>(count));
    if (result < 0) return kFtIoError;
    written = static_cast<std::uint32_t>(result);
    return kFtOk;
}

FtStatus FtdiUsb::Read(FtHandle handle, std::uint8_t* bytes, std::uint32_t count, std::uint32_t& read) {
    read = 0;
    if (count > 0 && bytes == nullptr) return kFtInvalidParameter;
    if (count > static_cast<std::uint32_t>(INT32_MAX)) return kFtInvalidParameter;
    const auto dev = impl_->Find(handle);
    if (!dev) return kFtInvalidHandle;
    std::lock_guard lock(dev->m);
    if (!dev->ctx) return kFtInvalidHandle;
    const auto deadline = Clock::now() + std::chrono::milliseconds(dev->readTimeoutMs);
    while (read < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        dev->ctx->usb_read_timeout = static_cast<int>(std::max<long long>(left, 0)) + kReadSlackMs;
        const auto before = Clock::now();
        const int got = ftdi_read_data(dev->ctx, bytes + read, static_cast<int>(count - read));
        if (got < 0) return kFtIoError;
        read += static_cast<std::uint32_t>(got);
        if (read >= count || Clock::now() >= deadline) break;
        // An empty answer normally takes one latency period; never spin faster than 1 ms.
        if (got == 0 && Clock::now() - before < std::chrono::milliseconds(1)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return kFtOk;
}

}  // namespace wirvela
