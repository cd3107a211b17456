// Structured exceptions: the exception record and codes that a guarded call
// reports. Records take their natural size on this 64-bit platform; code that
// copies one uses sizeof(EXCEPTION_RECORD). The guard itself is kw::SehGuard
// (kw/seh.h); RaiseException raises a software exception that a guard catches.
#pragma once
#include "win/base.h"

#define EXCEPTION_MAXIMUM_PARAMETERS 15

typedef struct _EXCEPTION_RECORD {
  DWORD ExceptionCode;
  DWORD ExceptionFlags;                      // EXCEPTION_NONCONTINUABLE for software exceptions
  struct _EXCEPTION_RECORD* ExceptionRecord; // chained record; always null here
  PVOID ExceptionAddress;                    // instruction that faulted / raise routine
  DWORD NumberParameters;
  ULONG_PTR ExceptionInformation[EXCEPTION_MAXIMUM_PARAMETERS];
} EXCEPTION_RECORD, *PEXCEPTION_RECORD;

static_assert(sizeof(EXCEPTION_RECORD) == 152, "EXCEPTION_RECORD natural 64-bit size");
static_assert(offsetof(EXCEPTION_RECORD, ExceptionCode) == 0);
static_assert(offsetof(EXCEPTION_RECORD, ExceptionFlags) == 4);
static_assert(offsetof(EXCEPTION_RECORD, ExceptionRecord) == 8);
static_assert(offsetof(EXCEPTION_RECORD, ExceptionAddress) == 16);
static_assert(offsetof(EXCEPTION_RECORD, NumberParameters) == 24);
static_assert(offsetof(EXCEPTION_RECORD, ExceptionInformation) == 32);

// The processor context is not exposed by this layer; filters get only the record.
typedef struct _CONTEXT CONTEXT, *PCONTEXT;
typedef struct _EXCEPTION_POINTERS {
  PEXCEPTION_RECORD ExceptionRecord;
  PCONTEXT ContextRecord;
} EXCEPTION_POINTERS, *PEXCEPTION_POINTERS, *LPEXCEPTION_POINTERS;

#define EXCEPTION_NONCONTINUABLE 0x1

#define EXCEPTION_EXECUTE_HANDLER 1
#define EXCEPTION_CONTINUE_SEARCH 0
#define EXCEPTION_CONTINUE_EXECUTION (-1)

// Exception codes. For access violations and in-page errors,
// ExceptionInformation[0] is 0 for a read, 1 for a write, 8 for an
// instruction fetch, and [1] is the data address (all ones when the
// processor gave none); an in-page error adds the I/O status in [2].
#define EXCEPTION_DATATYPE_MISALIGNMENT 0x80000002u
#define EXCEPTION_BREAKPOINT 0x80000003u
#define EXCEPTION_SINGLE_STEP 0x80000004u
#define EXCEPTION_ACCESS_VIOLATION 0xC0000005u
#define EXCEPTION_IN_PAGE_ERROR 0xC0000006u
#define EXCEPTION_ILLEGAL_INSTRUCTION 0xC000001Du
#define EXCEPTION_NONCONTINUABLE_EXCEPTION 0xC0000025u
#define EXCEPTION_ARRAY_BOUNDS_EXCEEDED 0xC000008Cu
#define EXCEPTION_FLT_DENORMAL_OPERAND 0xC000008Du
#define EXCEPTION_FLT_DIVIDE_BY_ZERO 0xC000008Eu
#define EXCEPTION_FLT_INEXACT_RESULT 0xC000008Fu
#define EXCEPTION_FLT_INVALID_OPERATION 0xC0000090u
#define EXCEPTION_FLT_OVERFLOW 0xC0000091u
#define EXCEPTION_FLT_STACK_CHECK 0xC0000092u
#define EXCEPTION_FLT_UNDERFLOW 0xC0000093u
#define EXCEPTION_INT_DIVIDE_BY_ZERO 0xC0000094u
#define EXCEPTION_INT_OVERFLOW 0xC0000095u
#define EXCEPTION_PRIV_INSTRUCTION 0xC0000096u
#define EXCEPTION_STACK_OVERFLOW 0xC00000FDu
// A C++ exception thrown inside a guarded call ('msc' with the customer bit),
// the code the Windows C++ runtime raises. ExceptionAddress is the C++
// runtime's throw routine; ExceptionInformation[0] points at the mangled name
// of the thrown type (a string with static lifetime) when it is known.
#define EXCEPTION_CPP_EXCEPTION 0xE06D7363u

// Raises a software exception. Inside a guard the guard catches it with this
// code, flags (EXCEPTION_NONCONTINUABLE added) and up to 15 arguments;
// outside any guard the process ends, as an unhandled exception does.
KW_API void WINAPI RaiseException(DWORD code, DWORD flags, DWORD nArgs, const ULONG_PTR* args);
