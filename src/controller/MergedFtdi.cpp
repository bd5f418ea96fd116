#include "controller/MergedFtdi.h"

#include "controller/SimulatedController.h"
#include "controller/SimulatedFtdi.h"
#include "platform/FtdiUsb.h"

namespace wirvela {

MergedFtdi::MergedFtdi(std::vector<std::shared_ptr<Ftdi>> backends) {
    for (auto& b : backends) Add(std::move(b));
}

void MergedFtdi::Add(std::shared_ptr<Ftdi> backend) {
    if (!backend) return;
    std::lock_guard lock(m_);
    backends_.push_back(std::move(backend));
    listed_ = false;
}

void MergedFtdi::Snapshot() {
    list_.clear();
    for (std::size_t b = 0; b < backends_.size(); ++b) {
        std::uint32_t n = 0;
        if (backends_[b]->CreateDeviceInfoList(n) != kFtOk) continue;
        for (std::uint32_t i = 0; i < n; ++i) list_.push_back(Listed{b, i});
    }
    listed_ = true;
}

bool MergedFtdi::Find(FtHandle handle, Route& route) const {
    std::lock_guard lock(m_);
    const auto it = routes_.find(handle);
    if (it == routes_.end()) return false;
    route = it->second;
    return true;
}

FtStatus MergedFtdi::CreateDeviceInfoList(std::uint32_t& count) {
    std::lock_guard lock(m_);
    Snapshot();
    count = static_cast<std::uint32_t>(list_.size());
    return kFtOk;
}

FtStatus MergedFtdi::GetDeviceInfoDetail(std::uint32_t index, FtDeviceInfo& info) {
    std::lock_guard lock(m_);
    if (!listed_) Snapshot();
    if (index >= list_.size()) return kFtDeviceNotFound;
    const Listed entry = list_[index];
    const FtStatus status = backends_[entry.backend]->GetDeviceInfoDetail(entry.index, info);
    if (status != kFtOk) return status;
    // The backend's handle means nothing to the caller; show ours.
    FtHandle shown = 0;
    if (info.handle != 0) {
        for (const auto& [merged, route] : routes_) {
            if (route.backend == backends_[entry.backend] && route.handle == info.handle) shown = merged;
        }
    }
    info.handle = shown;
    return kFtOk;
}

FtStatus MergedFtdi::Open(std::uint32_t index, FtHandle& handle) {
    handle = 0;
    std::shared_ptr<Ftdi> backend;
    std::uint32_t local = 0;
    {
        std::lock_guard lock(m_);
        if (!listed_) Snapshot();
        if (index >= list_.size()) return kFtDeviceNotFound;
        backend = backends_[list_[index].backend];
        local = list_[index].index;
    }
    FtHandle inner = 0;
    const FtStatus status = backend->Open(local, inner);
    if (status != kFtOk) return status;
    std::lock_guard lock(m_);
    handle = nextHandle_++;
    routes_[handle] = Route{backend, inner};
    return kFtOk;
}

FtStatus MergedFtdi::Close(FtHandle handle) {
    Route route;
    {
        std::lock_guard lock(m_);
        const auto it = routes_.find(handle);
        if (it == routes_.end()) return kFtInvalidHandle;
        route = it->second;
        routes_.erase(it);
    }
    return route.backend->Close(route.handle);
}

FtStatus MergedFtdi::SetDataCharacteristics(FtHandle handle, std::uint8_t wordLength, std::uint8_t stopBits,
                                            std::uint8_t parity) {
    Route r;
    if (!Find(handle, r)) return kFtInvalidHandle;
    return r.backend->SetDataCharacteristics(r.handle, wordLength, stopBits, parity);
}

FtStatus MergedFtdi::SetDivisor(FtHandle handle, std::uint16_t divisor) {
    Route r;
    if (!Find(handle, r)) return kFtInvalidHandle;
    return r.backend->SetDivisor(r.handle, divisor);
}

FtStatus MergedFtdi::SetLatencyTimer(FtHandle handle, std::uint8_t milliseconds) {
    Route r;
    if (!Find(handle, r)) return kFtInvalidHandle;
    return r.backend->SetLatencyTimer(r.handle, milliseconds);
}

FtStatus MergedFtdi::SetTimeouts(FtHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
    Route r;
    if (!Find(handle, r)) return kFtInvalidHandle;
    return r.backend->SetTimeouts(r.handle, readMs, writeMs);
}

FtStatus MergedFtdi::Purge(FtHandle handle, std::uint32_t mask) {
    Route r;
    if (!Find(handle, r)) return kFtInvalidHandle;
    return r.backend->Purge(r.handle, mask);
}

FtStatus MergedFtdi::Write(FtHandle handle, const std::uint8_t* bytes, std::uint32_t count, std::uint32_t& written) {
    written = 0;
    Route r;
    if (!Find(handle, r)) return kFtInvalidHandle;
    return r.backend->Write(r.handle, bytes, count, written);
}

FtStatus MergedFtdi::Read(FtHandle handle, std::uint8_t* bytes, std::uint32_t count, std::uint32_t& read) {
    read = 0;
    Route r;
    if (!Find(handle, r)) return kFtInvalidHandle;
    return r.backend->Read(r.handle, bytes, count, read);
}

std::unique_ptr<Ftdi> MakeDefaultFtdi(std::shared_ptr<SimulatedController> controller, bool includeUsb) {
    auto merged = std::make_unique<MergedFtdi>();
    if (includeUsb) merged->Add(std::make_shared<FtdiUsb>());
    if (!controller) controller = std::make_shared<SimulatedController>();
    merged->Add(std::make_shared<SimulatedFtdi>(std::move(controller)));
    return merged;
}

}  // namespace wirvela
