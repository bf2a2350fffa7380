/*
 * pyconfig.h for the Windows compile check only (scripts/check-windows).
 *
 * It stands in for the configuration header of a 64-bit Windows build of
 * CPython, so the module's sources can be compiled for Windows with the
 * mingw-w64 cross compiler against the Python headers of this machine. It is
 * never used to build a module that runs. What it assumes:
 *  - the target is x86_64 Windows: LLP64 (int and long 32 bits, long long,
 *    pointers and size_t 64 bits, wchar_t 16 bits);
 *  - CPython is a shared build (pythonXY.dll), so its functions are
 *    dllimport and PyMODINIT_FUNC exports the module's init function with
 *    __declspec(dllexport), as in a real Windows build;
 *  - no POSIX headers (unistd.h, sys/select.h, sys/time.h) exist; the
 *    standard C headers and sys/stat.h do;
 *  - release build: no Py_DEBUG, no reference tracing.
 */
#ifndef PYRQX_WINDOWS_CHECK_PYCONFIG_H
#define PYRQX_WINDOWS_CHECK_PYCONFIG_H

#if !defined(_WIN64)
#  error "this pyconfig.h describes 64-bit Windows only"
#endif

#define MS_WIN32
#define MS_WIN64
#define MS_WINDOWS
#define NT_THREADS
#define WITH_THREAD
#define Py_ENABLE_SHARED 1
#define HAVE_DECLSPEC_DLL
#define Py_WINVER 0x0602
#define Py_NTDDI 0x06020000

#define SIZEOF_SHORT 2
#define SIZEOF_INT 4
#define SIZEOF_LONG 4
#define SIZEOF_LONG_LONG 8
#define SIZEOF_DOUBLE 8
#define SIZEOF_FLOAT 4
#define SIZEOF_VOID_P 8
#define SIZEOF_SIZE_T 8
#define SIZEOF_TIME_T 8
#define SIZEOF_OFF_T 4
#define SIZEOF_FPOS_T 8
#define SIZEOF_WCHAR_T 2
#define SIZEOF__BOOL 1
#define SIZEOF_PID_T SIZEOF_INT
#define SIZEOF_UINTPTR_T 8
#define SIZEOF_HKEY 8
#define ALIGNOF_SIZE_T 8
#define ALIGNOF_LONG 4
#define HAVE_LONG_LONG 1
#define PY_LONG_LONG long long
#define PY_LLONG_MIN LLONG_MIN
#define PY_LLONG_MAX LLONG_MAX
#define PY_ULLONG_MAX ULLONG_MAX
#define HAVE_WCHAR_H 1
#define HAVE_STDDEF_H 1
#define HAVE_SYS_STAT_H 1
#define HAVE_IO_H 1
#define HAVE_PROCESS_H 1
#define HAVE_SIGNAL_H 1
#define HAVE_FCNTL_H 1
#define HAVE_ERRNO_H 1
#define DONT_HAVE_SIG_ALARM
#define DONT_HAVE_SIG_PAUSE
#define LONG_BIT 32
#define WORD_BIT 32
#define PY_FORMAT_SIZE_T "I"
#define PLATFORM "win32"

/* mingw-w64's C library declares ssize_t and pid_t itself. */
#define HAVE_SSIZE_T 1

#endif
