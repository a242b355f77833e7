#pragma once

#include "core/model/PresetApp.h"
#include "core/scan/BackgroundExecutor.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

namespace kestrine {

/// Runs the installed-application scan at most once between two releases, in the
/// background, and hands its result to the main thread. A generation counter, moved on by
/// every start() and release(), throws away results that arrive for an earlier run.
///
/// Every member is used on the main thread only, and the session is destroyed there too.
/// Only the scan function runs elsewhere. Results that arrive after the session is gone
/// are dropped; destroying the session does not stop a running scan (an executor that
/// goes with it may, see ThreadBackgroundExecutor).
class AppScanSession {
public:
    /// The background work; it should return early (any list) once `stop` is requested.
    using ScanFunction = std::function<std::vector<PresetApp>(std::stop_token stop)>;
    /// Queues an action to run later on the main thread; callable from any thread. It must
    /// return without waiting for the main thread.
    using MainThreadPoster = std::function<void(std::function<void()>)>;

    /// Throws std::invalid_argument when `scan`, `background` or `postToMain` is missing.
    AppScanSession(ScanFunction scan, std::shared_ptr<BackgroundExecutor> background, MainThreadPoster postToMain);
    ~AppScanSession();
    AppScanSession(const AppScanSession&) = delete;
    AppScanSession& operator=(const AppScanSession&) = delete;

    /// The last delivered result; empty while idle or scanning.
    const std::vector<PresetApp>& apps() const { return apps_; }
    /// A scan has started and its result has been neither delivered nor dropped.
    bool isScanning() const { return isScanning_; }

    /// Called on the main thread after `apps()` or `isScanning()` changed.
    std::function<void()> onChange;

    /// Starts a scan unless one is running or a result is held. When the background
    /// executor cannot start the job the session stays idle, and a later start() retries.
    void start();

    /// Stops a running scan, forgets its result and any held result, and makes the next
    /// start() scan afresh. Calls `onChange` only when something visible changed.
    void release();

    /// The scan the application runs: the default application folders with the default
    /// display names.
    static ScanFunction installedApplications();

private:
    void deliver(std::int64_t generation, std::vector<PresetApp> apps);
    void notify();

    ScanFunction scan_;
    std::shared_ptr<BackgroundExecutor> background_;
    MainThreadPoster postToMain_;

    std::vector<PresetApp> apps_;
    bool isScanning_ = false;
    bool finished_ = false;
    std::optional<std::stop_source> worker_;
    std::int64_t generation_ = 0;

    // Deliveries hold this weakly: it expires when the session is destroyed.
    std::shared_ptr<AppScanSession*> alive_;
};

} // namespace kestrine
