// worker.cpp: the parts every test worker shares.
#include "ethtester/worker.h"

#include "common/adapter/requests.h"
#include "resources/ethtester_ids.h"

namespace lt::ethtester {

bool reportIfFailed(WorkerContext& context, bool ok, const uint32_t& error) {
    if (!ok) context.reporter.reportError(0, error, IDS_API_DEVICEIOCONTROL, context.selection.logging);
    return ok;
}

bool countAdapters(WorkerContext& context, adapter::ControlHandle& handle, uint32_t& count, TestResult& result) {
    uint32_t error = 0;
    count = 0;
    if (!reportIfFailed(context, adapter::getDeviceCount(handle, count, error), error)) {
        result = kDeviceCountFailed;
        return false;
    }
    if (count == 0) {
        // The same report as a failed request; the request itself succeeded, so no system text.
        context.reporter.reportError(0, 0, IDS_API_DEVICEIOCONTROL, context.selection.logging);
        result = kNoAdapter;
        return false;
    }
    return true;
}

TestResult stopWorker(WorkerContext& context) {
    context.runIdle.set();
    return kStopped;
}

}  // namespace lt::ethtester
