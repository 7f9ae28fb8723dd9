#include "player/loader/GuardedEntryCall.h"

#include <cstdint>
#include <cstdio>

#include "player/loader/LoaderError.h"

namespace vell::player {

namespace {

// The point to return to when the guarded call faults on this thread.
struct TRecovery {
  void* jumpBuffer[5];
  DWORD faultCode;
  BOOL result;
};
thread_local TRecovery* recovery = nullptr;

__attribute__((noinline, noreturn)) void ReturnFromFault() {
  __builtin_longjmp(recovery->jumpBuffer, 1);
}

bool IsProcessorFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_STACK_OVERFLOW:
      return true;
    default:
      return false;
  }
}

// The faulting thread continues in ReturnFromFault as if called there.
void ResumeInReturnFromFault(CONTEXT& context) {
  const auto target = reinterpret_cast<std::uintptr_t>(&ReturnFromFault);
#if defined(__x86_64__)
  context.Rip = target;
  // The stack as a function finds it on entry: 16-byte aligned before the call.
  context.Rsp = (context.Rsp & ~std::uint64_t{15}) - 8;
#elif defined(__i386__)
  context.Eip = static_cast<DWORD>(target);
#else
#error "no fault recovery for this processor"
#endif
}

// Only faults nobody in the module handled reach this filter; the thread
// then resumes in ReturnFromFault, which goes back to the guarded call.
LONG WINAPI ResumeAtRecovery(EXCEPTION_POINTERS* fault) {
  if (!recovery || !IsProcessorFault(fault->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  recovery->faultCode = fault->ExceptionRecord->ExceptionCode;
  ResumeInReturnFromFault(*fault->ContextRecord);
  return EXCEPTION_CONTINUE_EXECUTION;
}

// On x86 the handler records of the frames the fault abandoned are still
// chained from the thread block; 64-bit code finds handlers in tables.
#if defined(__i386__)
void* ExceptionChain() {
  void* chain;
  asm volatile("movl %%fs:0, %0" : "=r"(chain));
  return chain;
}
void SetExceptionChain(void* chain) { asm volatile("movl %0, %%fs:0" : : "r"(chain) : "memory"); }
#else
void* ExceptionChain() { return nullptr; }
void SetExceptionChain(void*) {}
#endif

// This thread's recovery point and the process's filter for as long as the
// guarded call runs; both are given back however the call ends.
class TRecoveryScope {
public:
  explicit TRecoveryScope(TRecovery& here)
      : outer_(recovery), previousFilter_(SetUnhandledExceptionFilter(ResumeAtRecovery)) {
    recovery = &here;
  }
  ~TRecoveryScope() {
    recovery = outer_;
    SetUnhandledExceptionFilter(previousFilter_);
  }
  TRecoveryScope(const TRecoveryScope&) = delete;
  TRecoveryScope& operator=(const TRecoveryScope&) = delete;

private:
  TRecovery* const outer_;
  const LPTOP_LEVEL_EXCEPTION_FILTER previousFilter_;
};

struct TGuardedCall {
  TDllEntry Entry;
  PIMAGE_TLS_CALLBACK Callback;
  HINSTANCE Instance;
  DWORD Reason;
  const char* What;
};

__attribute__((noinline)) BOOL CallGuarded(const TGuardedCall& call) {
  TRecovery here{};
  here.result = TRUE;
  void* const chain = ExceptionChain();
  {
    const TRecoveryScope scope(here);
    if (__builtin_setjmp(here.jumpBuffer) == 0) {
      if (call.Entry) {
        here.result = call.Entry(call.Instance, call.Reason, nullptr);
      } else {
        call.Callback(call.Instance, call.Reason, nullptr);
      }
    } else {
      SetExceptionChain(chain);
    }
  }
  if (here.faultCode != 0) {
    char message[96];
    std::snprintf(message, sizeof message, "the module's %s faulted (exception 0x%08lX)", call.What,
                  static_cast<unsigned long>(here.faultCode));
    throw ELoaderError(message);
  }
  return here.result;
}

}  // namespace

BOOL CallEntryGuarded(TDllEntry entry, HINSTANCE instance, DWORD reason) {
  return CallGuarded({entry, nullptr, instance, reason, "entry point"});
}

void CallTlsCallbackGuarded(PIMAGE_TLS_CALLBACK callback, HINSTANCE instance, DWORD reason) {
  CallGuarded({nullptr, callback, instance, reason, "TLS callback"});
}

}  // namespace vell::player
