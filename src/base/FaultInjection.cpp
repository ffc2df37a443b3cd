#include "base/FaultInjection.h"

#include <unistd.h>

#include "base/Errors.h"

namespace korvane {

namespace detail {

std::atomic<bool> gFaultArmed{false};

namespace {
TFaultPlan gPlan;
std::atomic<uint64_t> gCounted{0};
std::atomic<uint32_t> gFiredOp{0};
}  // namespace

void CountFileOp(TFileOp op)
{
    if (!(gPlan.Ops & op)) return;
    if (gCounted.fetch_add(1) + 1 != gPlan.FailAt) return;
    gFiredOp.store(op);
    if (gPlan.Crash) ::_exit(kCrashExitCode);
    if (gPlan.Act) return gPlan.Act(gPlan.ActArg);
    RaiseIoErrno(gPlan.Errno);
}

int KernelCopyRefusal() { return gPlan.RefuseKernelCopy; }
TIoRecord* IoRecord() { return gPlan.Record; }

}  // namespace detail

TFaultInjection::TFaultInjection(const TFaultPlan& plan)
{
    detail::gPlan = plan;
    detail::gCounted.store(0);
    detail::gFiredOp.store(0);
    detail::gFaultArmed.store(true);
}

TFaultInjection::~TFaultInjection() { detail::gFaultArmed.store(false); }

uint64_t TFaultInjection::Counted() const { return detail::gCounted.load(); }
bool TFaultInjection::Fired() const { return detail::gFiredOp.load() != 0; }
TFileOp TFaultInjection::FiredOp() const { return TFileOp(detail::gFiredOp.load()); }

}  // namespace korvane
