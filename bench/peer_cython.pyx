# cython: language_level=3, boundscheck=False, wraparound=False, initializedcheck=False
# The Cython peer of pyrqx's functions for the call benchmark: the same Python
# calling convention (cells are one-element lists, arrays are lists copied into
# C arrays and copied back element by element), the same conversions, the
# same library (bench/build/lib/libcrqx.so). Written the way one would write
# such a wrapper by hand in Cython: typed C variables, malloc'd arrays, loops
# over the lists.
from libc.stdlib cimport malloc, calloc, free
from libc.string cimport memcpy, strlen

cdef extern from "crqx.h":
    void c_qzvver "qzvver"(int *status, float *ver)
    void c_qzvrrng_f "qzvrrng_f"(int *status, int dbkey, char *objnam, int *range,
                                 void *valary, int tmiss, void *mistt)
    void c_qzvwrng_f "qzvwrng_f"(int *status, int dbkey, char *objnam, int *range,
                                 void *valary, int tmiss, void *mistt)
    int c_zavo_get_precisions "zavo_get_precisions"(int dbkey, char *objnam, int *range,
                                                    double *valary)
    int c_zavo_write_precisions "zavo_write_precisions"(int dbkey, char *objnam, int *range,
                                                        double *valary)


# ---- helpers -------------------------------------------------------------

cdef char* name_buffer(object cell) except NULL:
    """cell[0].encode("UTF-8") copied up to its first NUL into a malloc'd buffer."""
    encoded = cell[0].encode("UTF-8")
    cdef const char* src = encoded
    cdef size_t n = strlen(src)
    cdef char* buf = <char*>malloc(n + 1)
    if buf == NULL:
        raise MemoryError()
    memcpy(buf, src, n)
    buf[n] = 0
    return buf


cdef int* int_array(object lst) except? NULL:
    """A list of ints as a malloc'd C array; None gives NULL."""
    if lst is None:
        return NULL
    cdef Py_ssize_t i, n = len(lst)
    cdef int* arr = <int*>malloc((n if n > 0 else 1) * sizeof(int))
    if arr == NULL:
        raise MemoryError()
    try:
        for i in range(n):
            arr[i] = lst[i]
    except BaseException:
        free(arr)
        raise
    return arr


cdef double* double_array(object lst, Py_ssize_t* count) except NULL:
    """A list of floats as a malloc'd C array; None gives a one-element scratch array."""
    cdef Py_ssize_t i, n
    cdef double* arr
    if lst is None:
        count[0] = 0
        arr = <double*>calloc(1, sizeof(double))
        if arr == NULL:
            raise MemoryError()
        return arr
    n = len(lst)
    arr = <double*>malloc((n if n > 0 else 1) * sizeof(double))
    if arr == NULL:
        raise MemoryError()
    try:
        for i in range(n):
            arr[i] = lst[i]
    except BaseException:
        free(arr)
        raise
    count[0] = n
    return arr


cdef int store_doubles(object lst, double* arr, Py_ssize_t n) except -1:
    """Writes arr[i] back into lst[i], in place, for i below len(lst) and n."""
    if lst is None:
        return 0
    cdef Py_ssize_t i, m = len(lst)
    if m > n:
        m = n
    for i in range(m):
        lst[i] = arr[i]
    return 0


# ---- the functions -------------------------------------------------------

def qzvver(status, ver):
    cdef int st = -1
    cdef float v = ver[0]
    c_qzvver(&st, &v)
    status[0] = st
    ver[0] = v


cdef inline int range_call(bint write, status, int dbkey, objnam, range_, valary,
                           int tmiss, mistt) except -1:
    cdef int st = -1
    cdef char* name = NULL
    cdef int* rng = NULL
    cdef double* vals = NULL
    cdef double* table = NULL
    cdef Py_ssize_t nvals = 0, ntable = 0
    try:
        name = name_buffer(objnam)
        rng = int_array(range_)
        vals = double_array(valary, &nvals)
        table = double_array(mistt, &ntable)
        if write:
            c_qzvwrng_f(&st, dbkey, name, rng, vals, tmiss, table)
        else:
            c_qzvrrng_f(&st, dbkey, name, rng, vals, tmiss, table)
        status[0] = st
        objnam[0] = name.decode("UTF-8")
        store_doubles(valary, vals, nvals)
        store_doubles(mistt, table, ntable)
    finally:
        free(name)
        free(rng)
        free(vals)
        free(table)
    return 0


def qzvrrng_double(status, int dbkey, objnam, range_, valary, int tmiss, mistt):
    range_call(False, status, dbkey, objnam, range_, valary, tmiss, mistt)


def qzvwrng_double(status, int dbkey, objnam, range_, valary, int tmiss, mistt):
    range_call(True, status, dbkey, objnam, range_, valary, tmiss, mistt)


def zavo_get_precisions(int dbkey, objnam, range_, valary):
    cdef int rc
    cdef char* name = NULL
    cdef int* rng = NULL
    cdef double* vals = NULL
    cdef Py_ssize_t nvals = 0
    try:
        name = name_buffer(objnam)
        rng = int_array(range_)
        vals = double_array(valary, &nvals)
        rc = c_zavo_get_precisions(dbkey, name, rng, vals)
        objnam[0] = name.decode("UTF-8")
        store_doubles(valary, vals, nvals)
    finally:
        free(name)
        free(rng)
        free(vals)
    return rc


def zavo_write_precisions(int dbkey, objnam, range_, valary):
    cdef int rc
    cdef char* name = NULL
    cdef int* rng = NULL
    cdef double* vals = NULL
    cdef Py_ssize_t nvals = 0
    try:
        name = name_buffer(objnam)
        rng = int_array(range_)
        vals = double_array(valary, &nvals)
        rc = c_zavo_write_precisions(dbkey, name, rng, vals)
        objnam[0] = name.decode("UTF-8")
    finally:
        free(name)
        free(rng)
        free(vals)
    return rc
