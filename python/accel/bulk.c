/*
 * rqx._bulk: series values straight between the engine and a buffer.
 *
 * pyrqx moves values through Python lists, one float object per value. The
 * pythonic package reads and writes whole series into numpy arrays, so this
 * accelerator hands the engine the array's own memory instead: no Python
 * object is made per value. It links to the same libcrqx as pyrqx, so the
 * session and the database keys are the ones pyrqx's calls see.
 *
 * get(kind, dbkey, name, freq, first, last, buffer) -> status
 * put(kind, dbkey, name, freq, first, last, buffer[, value_type]) -> status
 *
 * kind is one letter: 'p' precision (double), 'n' numeric (float), 'b'
 * boolean (int), 'd' date (int). The buffer must be C-contiguous, hold
 * exactly last - first + 1 elements of the kind's item size and, for get,
 * be writable; anything else raises before the engine is called.
 */
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "crqx.h"

typedef int (*value_getter)(int dbkey, char* name, int* range, void* values);
typedef int (*value_putter)(int dbkey, char* name, int* range, int value_type, void* values);

/* Each kind's functions behind one signature: the array as void *, and the
   date writer's value type, which the other writers do not take. */
#define KIND_FUNCTIONS(kind, ctype, get, put_call)                                           \
    static int get_##kind(int dbkey, char* name, int* range, void* values) {                 \
        return get(dbkey, name, range, (ctype*)values);                                      \
    }                                                                                        \
    static int put_##kind(int dbkey, char* name, int* range, int value_type, void* values) { \
        (void)value_type;                                                                    \
        return put_call;                                                                     \
    }
KIND_FUNCTIONS(precision, double, zavo_get_precisions,
               zavo_write_precisions(dbkey, name, range, (double*)values))
KIND_FUNCTIONS(numeric, float, zavo_get_numerics,
               zavo_write_numerics(dbkey, name, range, (float*)values))
KIND_FUNCTIONS(boolean, int, zavo_get_booleans,
               zavo_write_booleans(dbkey, name, range, (int*)values))
KIND_FUNCTIONS(date, int, zavo_get_dates,
               zavo_write_dates(dbkey, name, range, value_type, (int*)values))

/* One row per value kind: its letter, item size and engine functions. */
typedef struct {
    char letter;
    Py_ssize_t itemsize;
    value_getter get;
    value_putter put;
} kind_row;

static const kind_row kinds[] = {
    {'p', sizeof(double), get_precision, put_precision},
    {'n', sizeof(float), get_numeric, put_numeric},
    {'b', sizeof(int), get_boolean, put_boolean},
    {'d', sizeof(int), get_date, put_date},
};

static const kind_row* find_kind(int letter) {
    for (size_t i = 0; i < sizeof kinds / sizeof kinds[0]; i++)
        if (kinds[i].letter == letter) return &kinds[i];
    PyErr_Format(PyExc_ValueError, "unknown value kind '%c'", letter);
    return NULL;
}

/* The buffer's struct format letter matches the kind's C type. */
static int format_fits(const char* format, char letter) {
    if (format == NULL) return 0;
    if (*format == '<' || *format == '=' || *format == '@') format++;
    if (format[0] == '\0' || format[1] != '\0') return 0;
    switch (letter) {
        case 'p': return *format == 'd';
        case 'n': return *format == 'f';
        default: return *format == 'i' || (*format == 'l' && sizeof(long) == sizeof(int));
    }
}

/* Checks the buffer against the kind and the range; sets an exception. */
static int buffer_fits(const Py_buffer* view, const kind_row* kind, int first, int last) {
    long long count = (long long)last - first + 1;
    if (count < 1) {
        PyErr_SetString(PyExc_ValueError, "the range holds no observation");
        return 0;
    }
    if (view->itemsize != kind->itemsize || !format_fits(view->format, kind->letter)) {
        PyErr_Format(PyExc_TypeError,
                     "kind '%c' needs items of %zd bytes (%s), the buffer has '%s'", kind->letter,
                     kind->itemsize,
                     kind->letter == 'p'   ? "float64"
                     : kind->letter == 'n' ? "float32"
                                           : "int32",
                     view->format ? view->format : "B");
        return 0;
    }
    if (view->len != count * kind->itemsize) {
        PyErr_Format(PyExc_ValueError, "the buffer holds %zd values, the range %lld",
                     view->len / view->itemsize, count);
        return 0;
    }
    return 1;
}

static PyObject* transfer(PyObject* args, int writing) {
    int letter, dbkey, freq, first, last, value_type = 0;
    const char* name;
    PyObject* target;
    if (!PyArg_ParseTuple(args, writing ? "CiyiiiO|i" : "CiyiiiO", &letter, &dbkey, &name, &freq,
                          &first, &last, &target, &value_type))
        return NULL;
    const kind_row* kind = find_kind(letter);
    if (kind == NULL) return NULL;
    Py_buffer view;
    int flags = PyBUF_C_CONTIGUOUS | PyBUF_FORMAT | (writing ? 0 : PyBUF_WRITABLE);
    if (PyObject_GetBuffer(target, &view, flags) < 0) return NULL;
    if (!buffer_fits(&view, kind, first, last)) {
        PyBuffer_Release(&view);
        return NULL;
    }
    int range[CRQX_RANGE_SIZE];
    range[CRQX_RANGE_FREQ] = freq;
    range[CRQX_RANGE_FIRST] = first;
    range[CRQX_RANGE_LAST] = last;
    int status = writing ? kind->put(dbkey, (char*)name, range, value_type, view.buf)
                         : kind->get(dbkey, (char*)name, range, view.buf);
    PyBuffer_Release(&view);
    return PyLong_FromLong(status);
}

static PyObject* bulk_get(PyObject* self, PyObject* args) {
    (void)self;
    return transfer(args, 0);
}

static PyObject* bulk_put(PyObject* self, PyObject* args) {
    (void)self;
    return transfer(args, 1);
}

static PyMethodDef methods[] = {
    {"get", bulk_get, METH_VARARGS, "get(kind, dbkey, name, freq, first, last, buffer) -> status"},
    {"put", bulk_put, METH_VARARGS,
     "put(kind, dbkey, name, freq, first, last, buffer[, value_type]) -> status"},
    {NULL, NULL, 0, NULL},
};

static struct PyModuleDef module = {
    PyModuleDef_HEAD_INIT,
    "rqx._bulk",
    "Series values between the engine and buffers.",
    -1,
    methods,
    NULL,
    NULL,
    NULL,
    NULL,
};

PyMODINIT_FUNC PyInit__bulk(void) { return PyModule_Create(&module); }
