#pragma once

#include <functional>
#include <stop_token>

namespace kestrine {

/// Runs jobs away from the calling thread.
class BackgroundExecutor {
public:
    /// The work to run; it should return soon after its token reports a stop request.
    using Job = std::function<void(std::stop_token)>;

    virtual ~BackgroundExecutor() = default;

    /// Starts `job` and returns the source whose request_stop() asks that job to stop.
    /// Throws when the job cannot be started; the job has then not run and will not run.
    virtual std::stop_source run(Job job) = 0;
};

} // namespace kestrine
