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

// Only faults nobody in the module handled reach this filter; the thread
// then resumes in ReturnFromFault, which goes back to the guarded call.
LONG WINAPI ResumeAtRecovery(EXCEPTION_POINTERS* fault) {
  if (!recovery || !IsProcessorFault(fault->ExceptionRecord->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  recovery->faultCode = fault->ExceptionRecord->ExceptionCode;
  fault->ContextRecord->Eip = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(&ReturnFromFault));
  return EXCEPTION_CONTINUE_EXECUTION;
}

void* ExceptionChain() {
  void* chain;
  asm volatile("movl %%fs:0, %0" : "=r"(chain));
  return chain;
}

void SetExceptionChain(void* chain) { asm volatile("movl %0, %%fs:0" : : "r"(chain) : "memory"); }

}  // namespace

__attribute__((noinline)) void CallEntryGuarded(TDllEntry entry, HINSTANCE instance, DWORD reason) {
  TRecovery here{};
  TRecovery* const outer = recovery;
  void* const chain = ExceptionChain();
  const LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = SetUnhandledExceptionFilter(ResumeAtRecovery);
  recovery = &here;
  if (__builtin_setjmp(here.jumpBuffer) == 0) {
    entry(instance, reason, nullptr);
  } else {
    // Handler records that the faulting code pushed lie below this frame.
    SetExceptionChain(chain);
  }
  recovery = outer;
  SetUnhandledExceptionFilter(previousFilter);
  if (here.faultCode != 0) {
    char message[96];
    std::snprintf(message, sizeof message, "the module's entry point faulted (exception 0x%08lX)",
                  static_cast<unsigned long>(here.faultCode));
    throw ELoaderError(message);
  }
}

}  // namespace vell::player
