#include "core/scan/AppScanSession.h"

#include "core/scan/InstalledAppScanner.h"

#include <stdexcept>
#include <utility>

namespace kestrine {

AppScanSession::AppScanSession(ScanFunction scan, std::shared_ptr<BackgroundExecutor> background,
                               MainThreadPoster postToMain)
    : scan_(std::move(scan)), background_(std::move(background)), postToMain_(std::move(postToMain)),
      alive_(std::make_shared<AppScanSession*>(this)) {
    if (!scan_) throw std::invalid_argument("AppScanSession needs a scan function");
    if (!background_) throw std::invalid_argument("AppScanSession needs a background executor");
    if (!postToMain_) throw std::invalid_argument("AppScanSession needs a main-thread poster");
}

AppScanSession::~AppScanSession() = default;

void AppScanSession::start() {
    if (worker_ || finished_) return;
    const std::int64_t generation = ++generation_;

    BackgroundExecutor::Job job = [scan = scan_, post = postToMain_, session = std::weak_ptr(alive_),
                                   generation](std::stop_token stop) {
        std::vector<PresetApp> apps;
        try {
            apps = scan(stop);
        } catch (...) {
            apps.clear(); // a failed scan found nothing
        }
        try {
            post([session, generation, apps = std::move(apps)]() mutable {
                if (auto alive = session.lock()) (*alive)->deliver(generation, std::move(apps));
            });
        } catch (...) {
            // Without a main thread to deliver to, the result has nowhere to go.
        }
    };

    // The state is set before the job starts, so that an executor which runs the job at
    // once (and a poster that delivers at once) still find a running scan to complete.
    worker_.emplace(std::nostopstate);
    isScanning_ = true;
    std::stop_source source;
    try {
        source = background_->run(std::move(job));
    } catch (...) {
        if (generation_ == generation) {
            worker_.reset();
            isScanning_ = false;
        }
        return;
    }
    if (generation_ != generation) {
        source.request_stop(); // released or completed while starting
        return;
    }
    if (!worker_) return; // already delivered, and observers told
    worker_ = source;
    notify();
}

void AppScanSession::release() {
    if (worker_) {
        worker_->request_stop();
        worker_.reset();
    }
    ++generation_;
    const bool changed = isScanning_ || finished_ || !apps_.empty();
    std::vector<PresetApp>().swap(apps_);
    finished_ = false;
    isScanning_ = false;
    if (changed) notify();
}

void AppScanSession::deliver(std::int64_t generation, std::vector<PresetApp> apps) {
    if (generation != generation_) return;
    worker_.reset();
    apps_ = std::move(apps);
    finished_ = true;
    isScanning_ = false;
    notify();
}

void AppScanSession::notify() {
    if (!onChange) return;
    auto action = onChange; // the action may replace onChange, or end the session
    action();
}

AppScanSession::ScanFunction AppScanSession::installedApplications() {
    return [](std::stop_token stop) {
        InstalledAppScanner scanner(InstalledAppScanner::defaultRoots(), &InstalledAppScanner::defaultDisplayName);
        return scanner.scan(stop);
    };
}

} // namespace kestrine
